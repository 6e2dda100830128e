// The "Create File" / "Modify" button: writes the full dummy file before recording and
// the short form once recording has begun. Its caption is its only state.
#pragma once

#include "fileio/file_system.h"
#include "window/main_window.h"

namespace varnite {

void cmdCreate_Click(MainWindow& window, FileSystem& files);

}  // namespace varnite
