// The event wiring: each of the four buttons' clicks bound to its handler. Portable, so
// that which handler a click runs is tested without a window.
#pragma once

#include "fileio/file_system.h"
#include "window/dispatch.h"
#include "window/main_window.h"

namespace varnite {

void WireClickHandlers(Dispatcher& dispatcher, MainWindow& window, FileSystem& files);

}  // namespace varnite
