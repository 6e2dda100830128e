#include "app/control_layout.h"

#include "fileio/system_function_win32.h"

#include <string>

namespace varnite {
namespace {

// The pixels a label's text takes in its font: the advance of the whole text, and where
// the last letter's ink reaches past its advance, that too, so that it is not cut.
int LabelTextWidth(HWND label) {
  const int length = GetWindowTextLengthW(label);
  if (length <= 0) return 0;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(label, text.data(), length + 1)));
  if (text.empty()) return 0;
  // Measured on a memory DC: the same font gives the same widths there, and the window's
  // own DC would cost working out what of the label shows.
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return 0;
  HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  // As the label draws it: one line, & as itself.
  RECT extent = {0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent,
            DT_CALCRECT | DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS);
  ABC last{};
  const int overhang =
      GetCharABCWidthsW(dc, text.back(), text.back(), &last) && last.abcC < 0 ? -last.abcC : 0;
  SelectObject(dc, oldFont);
  DeleteDC(dc);
  return extent.right - extent.left + overhang;
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow =
      SystemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
  if (window && getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

void LayOutControl(HWND control, const ControlRow& row, int dpi) {
  const PixelRect rect = row.kind == ControlKind::Label
                             ? LabelRect(row, dpi, LabelTextWidth(control))
                             : ToPixels(row.twips, dpi, dpi);
  // Moved only if it is not there already: a move costs messages and a repaint.
  RECT now;
  GetWindowRect(control, &now);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&now), 2);
  if (now.left == rect.left && now.top == rect.top && now.right == rect.right() &&
      now.bottom == rect.bottom()) {
    return;
  }
  SetWindowPos(control, nullptr, rect.left, rect.top, rect.width, rect.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace varnite
