// The yardstick for Varnite's start: a bare Win32 window of about Varnite's size, with the
// same manifest and nothing else. It shows itself at once and closes on WM_CLOSE. Built
// with VARNITE_BARE_COMMON_CONTROLS it loads the common controls first, as any program
// with themed buttons does, and has a class name of its own.
#include <windows.h>
#ifdef VARNITE_BARE_COMMON_CONTROLS
#include <commctrl.h>
#define VARNITE_BARE_CLASS L"VarniteBareCommonControls"
#else
#define VARNITE_BARE_CLASS L"VarniteBareWindow"
#endif

namespace {

LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nShowCmd) {
#ifdef VARNITE_BARE_COMMON_CONTROLS
  InitCommonControls();
#endif
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = BareProc;
  wc.hInstance = hInstance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = VARNITE_BARE_CLASS;
  if (!RegisterClassExW(&wc)) return 1;
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 332, 246, nullptr, nullptr, hInstance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, nShowCmd);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
