// The window's controls, made from the control table when the window is created.
#include "app/win32_main_window.h"

#include <commctrl.h>

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

bool Win32MainWindow::CreateControls() {
  for (Control control : CreationOrder()) {
    const ControlRow& row = RowOf(control);
    if (row.accessibleName) {
      // A screen reader names a control that has no name of its own after the label just
      // before it in the Z-order, even a hidden one: this one shows nothing and takes no
      // place in the tab order.
      if (!CreateWindowExW(0, L"STATIC", Utf8ToWide(row.accessibleName).c_str(),
                           WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, hwnd_, nullptr, instance_,
                           nullptr)) {
        return false;
      }
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
    const PixelRect rect = ToPixels(row.twips, dpi_, dpi_);
    HWND hwnd =
        CreateWindowExW(exStyle, cls, Utf8ToWide(row.initialText).c_str(), style, rect.left,
                        rect.top, rect.width, rect.height, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
    if (!hwnd) return false;
    if ((row.kind == ControlKind::Panel || row.kind == ControlKind::ScrollingPanel) &&
        !SetWindowSubclass(hwnd, PanelProc, 0, 0)) {
      return false;
    }
    controls_[static_cast<int>(control)] = hwnd;
  }
  return true;
}

}  // namespace varnite
