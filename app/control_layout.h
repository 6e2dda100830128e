// The controls of the window laid out from the control table at a DPI, and the DPI a
// window is shown at.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "window/control_table.h"

namespace varnite {

// The DPI of the display `window` is on: GetDpiForWindow where Windows has it (Windows 10
// 1607 and later; looked up at run time, as Windows XP lacks it), else, and for nullptr,
// the system's DPI.
int WindowDpi(HWND window);

// Places `control` where its row of the table says at `dpi`; a label as wide as its text
// needs there, in the font it has (see LabelRect).
void LayOutControl(HWND control, const ControlRow& row, int dpi);

}  // namespace varnite
