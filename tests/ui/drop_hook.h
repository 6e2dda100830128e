// The end-to-end driver's way to drop files on Varnite as Explorer does. An HDROP is
// memory of the process that receives it, so it has to be made inside Varnite: the driver
// puts the paths in a named shared memory block, sets the hook below on Varnite's thread
// and sends the window a registered message; the hook, running in Varnite's process, builds
// the HDROP from the block and posts WM_DROPFILES. (The paths do not travel in a
// WM_COPYDATA: Wine gives a WH_CALLWNDPROC hook its lParam before it is brought over into
// the receiving process.)
//
// The same DLL tells the driver when Varnite has taken everything posted to it so far: the
// driver posts a registered marker and sets a WH_GETMESSAGE hook, which sees the marker
// leave the queue. Posted messages leave in the order they came, so by then every earlier
// one (a drop, a queued click) has been dispatched, in Varnite's loop or a box's.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace varnite::ui {

// The registered message that asks the hook for a drop.
constexpr wchar_t kDropRequestMessage[] = L"VarniteTestDropRequest";
// The shared block: a DWORD with the byte count of the paths, then the paths as UTF-16,
// each ended by a NUL, and one more NUL after the last, as in the HDROP itself.
constexpr wchar_t kDropPathsBlock[] = L"VarniteTestDropPaths";
// Set by the hook once the WM_DROPFILES is posted.
constexpr wchar_t kDropPostedEvent[] = L"VarniteTestDropPosted";
// The WH_CALLWNDPROC procedure's exported name in varnite_drop_hook.dll.
constexpr char kDropHookName[] = "VarniteDropHook";

// The marker the driver posts, the event the hook sets once Varnite's thread has taken it,
// and the WH_GETMESSAGE procedure's exported name.
constexpr wchar_t kSettleMessage[] = L"VarniteTestSettle";
constexpr wchar_t kSettledEvent[] = L"VarniteTestSettled";
constexpr char kSettleHookName[] = "VarniteSettleHook";

// The same hook brings Varnite what Wine never sends it. Asked with the first message
// (wParam the new DPI, lParam the window's DPI now), it sends the window WM_DPICHANGED with
// the suggested rectangle in Varnite's own memory: the client area scaled to the new DPI
// plus the frame, which Wine keeps at one size. Asked with the second (wParam 1 or 0), it
// makes Varnite find High Contrast on or off: it points Varnite's import of
// SystemParametersInfoW at a stand-in that says so, sets a High Contrast Black palette
// with SetSysColors (or puts back the colours it found), and sends WM_SETTINGCHANGE.
constexpr wchar_t kDpiRequestMessage[] = L"VarniteTestDpiRequest";
constexpr wchar_t kHighContrastRequestMessage[] = L"VarniteTestHighContrastRequest";
// The system colours the stand-in palette sets, and High Contrast Black's values for them.
constexpr COLORREF kHighContrastWindow = RGB(0, 0, 0), kHighContrastText = RGB(255, 255, 255);
constexpr int kHighContrastElements[] = {COLOR_WINDOW,        COLOR_WINDOWTEXT, COLOR_HIGHLIGHT,
                                         COLOR_HIGHLIGHTTEXT, COLOR_BTNFACE,    COLOR_BTNTEXT};
constexpr COLORREF kHighContrastBlack[] = {kHighContrastWindow, kHighContrastText,
                                           RGB(26, 235, 255),   RGB(0, 0, 0),
                                           RGB(0, 0, 0),        RGB(255, 255, 255)};

}  // namespace varnite::ui
