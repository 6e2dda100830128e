#include "window/control_table.h"

#include <algorithm>

#include "resources/resource.h"
#include "window/panel_texts.h"

namespace varnite {

// Four rows 480 twips apart, each a button with its status label level with it; the two
// panels share one rectangle over the label column. lblAbout is 120 twips wider than the
// other labels, and cmdEdit comes after the Help and About buttons in the tab order.
// The rows keep two lines each, as written (the formatter would give every field a line).
// clang-format off
const ControlRow kControlTable[kControlCount] = {
    {Control::cmdCreate, IDC_CMD_CREATE, "cmdCreate", ControlKind::Button, "Create File",
     {120, 720, 1335, 375}, true, 0},
    {Control::lblCreate, IDC_LBL_CREATE, "lblCreate", ControlKind::Label,
     "This Will Create A Dummy File On Drive C:", {1680, 720, 3015, 255}, true, 1},
    {Control::cmdEdit, IDC_CMD_EDIT, "cmdEdit", ControlKind::Button, "CueSheet",
     {120, 1200, 1335, 375}, true, 7},
    {Control::lblCueSheet, IDC_LBL_CUESHEET, "lblCueSheet", ControlKind::Label,
     "Select Your CDRwin CueSheet For Editing", {1680, 1200, 3015, 255}, true, 2},
    {Control::cmdHelp, IDC_CMD_HELP, "cmdHelp", ControlKind::Button, "Help Please",
     {120, 1680, 1335, 375}, true, 3},
    {Control::lblHelp, IDC_LBL_HELP, "lblHelp", ControlKind::Label,
     "How The Hell Do I Work This Program ?", {1680, 1680, 3015, 255}, true, 5},
    {Control::cmdAbout, IDC_CMD_ABOUT, "cmdAbout", ControlKind::Button, "About Varnite",
     {120, 2160, 1335, 375}, true, 4},
    {Control::lblAbout, IDC_LBL_ABOUT, "lblAbout", ControlKind::Label,
     "Its Polite To Read The About Bit Yer Know !", {1680, 2160, 3135, 255}, true, 6},
    {Control::txtAbout, IDC_TXT_ABOUT, "txtAbout", ControlKind::Panel, kAboutText,
     {1680, 720, 3135, 1815}, false, 9, "About Varnite"},
    {Control::txtHelp, IDC_TXT_HELP, "txtHelp", ControlKind::ScrollingPanel, kHelpText,
     {1680, 720, 3135, 1815}, false, 8, "Help"},
};
// clang-format on

const ControlRow& RowOf(Control control) { return kControlTable[static_cast<int>(control)]; }

const ControlRow* RowWithId(int id) {
  for (const ControlRow& row : kControlTable) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

bool TakesFocus(ControlKind kind) { return kind != ControlKind::Label; }

Control FirstInTabOrder() {
  return std::min_element(std::begin(kControlTable), std::end(kControlTable),
                          [](const ControlRow& a, const ControlRow& b) {
                            return a.tabPosition < b.tabPosition;
                          })
      ->control;
}

std::vector<Control> CreationOrder() {
  std::vector<const ControlRow*> rows;
  for (const ControlRow& row : kControlTable) rows.push_back(&row);
  std::stable_sort(rows.begin(), rows.end(), [](const ControlRow* a, const ControlRow* b) {
    const bool aFirst = TakesFocus(a->kind), bFirst = TakesFocus(b->kind);
    if (aFirst != bFirst) return aFirst;
    return a->tabPosition < b->tabPosition;
  });
  std::vector<Control> order;
  order.reserve(rows.size());
  for (const ControlRow* row : rows) order.push_back(row->control);
  return order;
}

namespace {

int ScaleRounded(long long value, int numerator, int denominator) {
  const long long scaled = value * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / denominator
                                      : -((-scaled + half) / denominator));
}

}  // namespace

int TwipsToPixels(int twips, int dpi) { return ScaleRounded(twips, dpi, 1440); }

int FontPixelHeight(int hundredthsOfPoint, int dpi) {
  return ScaleRounded(hundredthsOfPoint, dpi, 7200);
}

PixelRect ToPixels(const TwipsRect& rect, int dpiX, int dpiY) {
  return {TwipsToPixels(rect.left, dpiX), TwipsToPixels(rect.top, dpiY),
          TwipsToPixels(rect.width, dpiX), TwipsToPixels(rect.height, dpiY)};
}

PixelRect LabelRect(const ControlRow& row, int dpi, int textWidth) {
  PixelRect rect = ToPixels(row.twips, dpi, dpi);
  if (dpi == kDesignDpi || textWidth <= rect.width) return rect;
  const int room = TwipsToPixels(kClientWidthTwips, dpi) - rect.left;
  rect.width = std::max(rect.width, std::min(textWidth, room));
  return rect;
}

}  // namespace varnite
