// The event wiring: each of the four buttons' clicks bound to its handler, and the rule for
// a failure no handler caught. Portable, so that which handler a click runs, and what the
// user is told when one fails, are tested without a window.
#pragma once

#include <exception>
#include <string>

#include "fileio/file_system.h"
#include "window/dispatch.h"
#include "window/main_window.h"

namespace varnite {

// Binds the four buttons and installs the failure rule: a critical box that gives the
// failure's number and description, shown before the program ends.
void WireClickHandlers(Dispatcher& dispatcher, MainWindow& window, FileSystem& files);

// The text of that box.
std::string UncaughtFailureText(std::exception_ptr failure);

}  // namespace varnite
