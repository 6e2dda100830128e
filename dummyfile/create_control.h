// The "Create File" / "Modify" button: writes the full dummy file before recording and
// the short form once recording has begun. Its caption is its only state.
#pragma once

#include "window/main_window.h"
#include "fileio/file_system.h"

namespace varnite {

void cmdCreate_Click(MainWindow& window, FileSystem& files);

}  // namespace varnite
