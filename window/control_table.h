// The window described once: its caption and client size, and for every control its kind,
// initial text, rectangle in twips, whether it shows at start and its place in the tab
// order. The Win32 window is built from this table, the test fake starts from it and the
// end-to-end tests expect what it says, at whatever DPI the display has.
#pragma once

#include <vector>

#include "window/main_window.h"

namespace varnite {

inline constexpr char kWindowCaption[] = "Varnite From Quenmore 2000.";

// The client area in twips (1/1440 inch): 327 x 216 pixels at 96 DPI.
inline constexpr int kClientWidthTwips = 4905;
inline constexpr int kClientHeightTwips = 3240;
// The background picture is laid out at 15 twips a pixel, its size at 96 DPI.
inline constexpr int kPictureTwipsPerPixel = 15;
// The DPI at which every twips figure of the table is a whole number of pixels: there the
// window is exactly as designed, pixel for pixel.
inline constexpr int kDesignDpi = 1440 / kPictureTwipsPerPixel;

// Font sizes in hundredths of a point: the default user-interface font, which the buttons
// and labels use, and the help panel's font.
inline constexpr int kUiFontSize = 800;
inline constexpr int kHelpFontSize = 675;

enum class ControlKind { Button, Label, Panel, ScrollingPanel };

// Left, top, width and height in twips from the top-left corner of the client area.
struct TwipsRect {
  int left, top, width, height;
};

// The same in pixels at one DPI.
struct PixelRect {
  int left, top, width, height;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
};

struct ControlRow {
  Control control;
  int id;  // the control's window id, shared with the resources
  const char* name;
  ControlKind kind;
  const char* initialText;  // a panel's fixed text
  TwipsRect twips;
  bool visibleAtStart;
  int tabPosition;
  // What a screen reader calls a control whose own text does not say what it is (a
  // panel, whose text is its content); nullptr where the control's text names it.
  const char* accessibleName = nullptr;
};

inline constexpr int kControlCount = 10;

// Every control once, in the order of the Control enumeration.
extern const ControlRow kControlTable[kControlCount];

const ControlRow& RowOf(Control control);
// The row of the control with window id `id`; nullptr for any other id.
const ControlRow* RowWithId(int id);

// Buttons and panels take the focus; labels never do.
bool TakesFocus(ControlKind kind);
// The control that has the focus when the window is first shown: the first in tab order.
Control FirstInTabOrder();

// The order in which the controls are created, which is their Z-order from the top:
// buttons and panels in tab order (the tab key follows the Z-order), then the labels, so
// that a shown panel lies over every label.
std::vector<Control> CreationOrder();

// twips x dpi / 1440, rounded to the nearest pixel (halves away from zero).
int TwipsToPixels(int twips, int dpi);
PixelRect ToPixels(const TwipsRect& rect, int dpiX, int dpiY);
// A label's rectangle at `dpi` while it shows a text `textWidth` pixels wide: its table
// rectangle, scaled. Where the text needs more room than that at this DPI, the label grows
// to the right (it is transparent, so nothing else changes), up to the client area's
// right edge. At kDesignDpi it is always the table's rectangle.
PixelRect LabelRect(const ControlRow& row, int dpi, int textWidth);
// The em height in pixels of a font of `hundredthsOfPoint` at `dpi`, rounded likewise.
int FontPixelHeight(int hundredthsOfPoint, int dpi);

}  // namespace varnite
