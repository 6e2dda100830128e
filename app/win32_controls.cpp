// The window's controls, made from the control table: those shown at start when the window
// is created, the others when first shown.
#include "app/win32_main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fileio/utf.h"

namespace varnite {
namespace {

// The panels are read-only, so they have no use for the Tab key; without this a multi-line
// edit keeps Tab for itself and the keyboard user could not leave a shown panel. Nor
// should tabbing into one select its whole text, as the dialog manager does for an edit.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, PanelProc, id);
  LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
  if (message == WM_GETDLGCODE) {
    result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_HASSETSEL);
  }
  return result;
}

}  // namespace

// Only the controls shown at start are made with the window. A panel, hidden until its
// button is clicked, is made then: its text takes longer to lay out than all the buttons
// and labels together, and most starts never show it.
bool Win32MainWindow::CreateControls() {
  const std::vector<Control> order = CreationOrder();
  return std::all_of(order.begin(), order.end(), [this](Control control) {
    return !RowOf(control).visibleAtStart || MakeControl(control);
  });
}

HWND Win32MainWindow::Made(Control control) {
  if (!Handle(control)) MakeControl(control);
  return Handle(control);
}

bool Win32MainWindow::MakeControl(Control control) {
  const ControlRow& row = RowOf(control);
  // Its place in the Z-order, which is also the tab order, is the one it would have had if
  // made with the others: just after the last one before it in the creation order. A new
  // control goes to the bottom, which is that place unless one after it is made already.
  HWND after = HWND_TOP;
  bool last = true, passed = false;
  for (Control other : CreationOrder()) {
    if (other == control) {
      passed = true;
    } else if (Handle(other)) {
      if (passed) last = false;
      if (!passed) after = Handle(other);
    }
  }
  auto place = [&after, last](HWND hwnd) {
    if (!last) SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = hwnd;
  };
  if (row.accessibleName) {
    // A screen reader names a control that has no name of its own after the label just
    // before it in the Z-order, even a hidden one: this one shows nothing and takes no
    // place in the tab order.
    HWND name = CreateWindowExW(0, L"STATIC", Utf8ToWide(row.accessibleName).c_str(),
                                WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, hwnd_, nullptr,
                                instance_, nullptr);
    if (!name) return false;
    place(name);
  }
  const wchar_t* cls = L"BUTTON";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (row.visibleAtStart ? WS_VISIBLE : 0);
  DWORD exStyle = 0;
  switch (row.kind) {
    case ControlKind::Button:
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::Label:
      // One line, cut at the right edge: a long path never grows or wraps the label.
      cls = L"STATIC";
      style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
      break;
    case ControlKind::Panel:
    case ControlKind::ScrollingPanel:
      // Read-only: the texts are fixed and nothing ever reads them back.
      cls = L"EDIT";
      style |= WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
      if (row.kind == ControlKind::ScrollingPanel) style |= WS_VSCROLL;
      exStyle = WS_EX_CLIENTEDGE;
      break;
  }
  // A panel wraps its text anew whenever its font or width changes, which for the help
  // text takes milliseconds: it gets its text once its font is set and it is laid out.
  const bool panel = row.kind == ControlKind::Panel || row.kind == ControlKind::ScrollingPanel;
  const std::wstring text = Utf8ToWide(row.initialText);
  const PixelRect rect = ToPixels(row.twips, dpi_, dpi_);
  HWND hwnd =
      CreateWindowExW(exStyle, cls, panel ? L"" : text.c_str(), style, rect.left, rect.top,
                      rect.width, rect.height, hwnd_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
  if (!hwnd) return false;
  place(hwnd);
  if (panel && !SetWindowSubclass(hwnd, PanelProc, 0, 0)) {
    DestroyWindow(hwnd);
    return false;
  }
  controls_[static_cast<int>(control)] = hwnd;
  FitControl(row);
  return !panel || SetWindowTextW(hwnd, text.c_str());
}

}  // namespace varnite
