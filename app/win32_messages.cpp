// The window's messages, each to a handler of its own: those that are input go to the ways
// in, the rest paint, lay out and keep the focus.
#include "app/win32_main_window.h"

#include "app/process_image.h"
#include "app/shell_paths.h"

namespace varnite {
namespace {

// WM_DPICHANGED, which Windows 8.1 and later send when the window moves to a display of
// another DPI (the headers define it only for those versions).
constexpr UINT kDpiChanged = 0x02E0;

}  // namespace

// One line per message: the dispatch reads as a table of which handler takes what.
// clang-format off
LRESULT Win32MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate();
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_ERASEBKGND: return 1;  // WM_PAINT paints every pixel
    case WM_PAINT: return OnPaint();
    case WM_PRINTCLIENT: return OnPrintClient(reinterpret_cast<HDC>(wParam));
    case kDpiChanged: return OnDpiChanged(wParam, lParam);
    case WM_SYSCOLORCHANGE: return OnSysColorChange(wParam, lParam);
    case WM_SETTINGCHANGE: return OnSettingChange();
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(wParam, lParam);
    case WM_ACTIVATE: return OnActivate(wParam);
    case WM_SETFOCUS: return OnSetFocus();
    case WM_DROPFILES: return OnDropFiles(reinterpret_cast<HDROP>(wParam));
    case WM_COPYDATA: return OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kOpenStartPaths: return OnOpenStartPaths();
    case WM_CLOSE: return OnClose();
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_ENDSESSION: return OnEndSession(wParam);
    case WM_DESTROY: return OnDestroy();
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}
// clang-format on

LRESULT Win32MainWindow::OnCreate() {
  // A window with holes is no use: without every control, creating it fails, and start-up
  // says so.
  created_ = CreateControls();
  return created_ ? 0 : -1;
}

LRESULT Win32MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != BN_CLICKED || lParam == 0) return 0;
  if (const ControlRow* row = RowWithId(LOWORD(wParam))) waysIn_.Click(row->control);
  return 0;
}

LRESULT Win32MainWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  backdrop_.Paint(dc, paint.rcPaint);
  EndPaint(hwnd_, &paint);
  return 0;
}

// A themed button has its corners painted by asking the window to paint into the button's
// own DC, its origin moved to the window's: a copy in logical coordinates lands right there.
LRESULT Win32MainWindow::OnPrintClient(HDC dc) {
  RECT area;
  if (GetClipBox(dc, &area) == ERROR) GetClientRect(hwnd_, &area);
  backdrop_.Paint(dc, area);
  return 0;
}

LRESULT Win32MainWindow::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  ApplyDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
  return 0;
}

LRESULT Win32MainWindow::OnSysColorChange(WPARAM wParam, LPARAM lParam) {
  // The common controls learn of it only from their parent.
  for (HWND control : controls_) {
    if (control) SendMessageW(control, WM_SYSCOLORCHANGE, wParam, lParam);
  }
  RebuildBackdrop();
  return 0;
}

LRESULT Win32MainWindow::OnSettingChange() {
  // High Contrast may have been switched on or off.
  if (HighContrastOn() != backdrop_.HighContrast()) RebuildBackdrop();
  return 0;
}

LRESULT Win32MainWindow::OnActivate(WPARAM wParam) {
  // Keep the focused control across message boxes and other windows.
  if (LOWORD(wParam) == WA_INACTIVE) lastFocus_ = GetFocus();
  return 0;
}

LRESULT Win32MainWindow::OnSetFocus() {
  if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_)) {
    SetFocus(lastFocus_);
  } else {
    SetFocus(Handle(FirstInTabOrder()));
  }
  return 0;
}

LRESULT Win32MainWindow::OnDropFiles(HDROP drop) {
  // The paths are taken and the drop finished at once: the edit that follows shows boxes,
  // and the shell's memory is not held through them.
  waysIn_.OpenPaths(DroppedPaths(drop));
  return 0;
}

// Paths that a second start of Varnite hands over. The sender is answered before anything
// is opened, so it ends at once instead of waiting through the edit's boxes.
LRESULT Win32MainWindow::OnCopyData(const COPYDATASTRUCT& data) {
  const bool taken = waysIn_.HandOver(
      data.dwData, data.lpData, data.cbData,
      [](std::uint32_t id) { return IsAnotherVarniteProcess(id); }, [] { ReplyMessage(TRUE); });
  return taken ? TRUE : FALSE;
}

LRESULT Win32MainWindow::OnOpenStartPaths() {
  waysIn_.OpenStartPaths();
  return 0;
}

// Alt+F4, the taskbar, another program: while a command runs its boxes take this too.
LRESULT Win32MainWindow::OnClose() {
  waysIn_.Close();
  return 0;
}

LRESULT Win32MainWindow::OnQueryEndSession() { return waysIn_.MayEndSession() ? TRUE : FALSE; }

LRESULT Win32MainWindow::OnEndSession(WPARAM wParam) {
  waysIn_.EndSession(wParam != FALSE);
  return 0;
}

LRESULT Win32MainWindow::OnDestroy() {
  // Not when creating the window failed: the quit would close start-up's box at once.
  if (created_) PostQuitMessage(0);
  return 0;
}

}  // namespace varnite
