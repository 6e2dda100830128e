// The help panel's font at a DPI, chosen (window/help_font.h) by measuring the help text
// on this system: where "MS Serif" is missing, the face and size at which the text's
// widest line fits the panel.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace varnite {

// Gives `panel`, already laid out at `dpi`, the help font that fits it and returns that
// font, which the caller deletes once the panel has another; null if none could be made,
// and `panel` then has `fallback`.
HFONT SetHelpFont(HWND panel, int dpi, HFONT fallback);

}  // namespace varnite
