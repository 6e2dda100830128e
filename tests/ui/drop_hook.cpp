// varnite_drop_hook.dll: runs inside Varnite's process as the driver's WH_CALLWNDPROC hook
// and turns a drop request into a real WM_DROPFILES, and as its WH_GETMESSAGE hook it
// reports when a posted marker leaves Varnite's queue (see drop_hook.h).
#include "tests/ui/drop_hook.h"

#include <shlobj.h>

#include <cstring>

namespace {

// What Explorer hands a WM_DROPFILES window: movable global memory holding a DROPFILES
// header and then the wide paths, double-NUL-terminated.
HGLOBAL MakeDrop(const char* paths, DWORD size) {
  HGLOBAL memory = GlobalAlloc(GHND | GMEM_SHARE, sizeof(DROPFILES) + size);
  if (!memory) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->pt = {20, 20};
  header->fNC = FALSE;
  header->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), paths, size);
  GlobalUnlock(memory);
  return memory;
}

void PostDrop(HWND window) {
  HANDLE block = OpenFileMappingW(FILE_MAP_READ, FALSE, varnite::ui::kDropPathsBlock);
  if (!block) return;
  const auto* view = static_cast<const char*>(MapViewOfFile(block, FILE_MAP_READ, 0, 0, 0));
  HGLOBAL drop = nullptr;
  if (view) {
    DWORD size = 0;
    std::memcpy(&size, view, sizeof size);
    drop = MakeDrop(view + sizeof size, size);
    UnmapViewOfFile(view);
  }
  CloseHandle(block);
  if (!drop) return;
  if (!PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) {
    GlobalFree(drop);
    return;
  }
  if (HANDLE posted = OpenEventW(EVENT_MODIFY_STATE, FALSE, varnite::ui::kDropPostedEvent)) {
    SetEvent(posted);
    CloseHandle(posted);
  }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK VarniteDropHook(int code, WPARAM wParam,
                                                                   LPARAM lParam) {
  static const UINT request = RegisterWindowMessageW(varnite::ui::kDropRequestMessage);
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (request != 0 && call->message == request) PostDrop(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK VarniteSettleHook(int code, WPARAM wParam,
                                                                     LPARAM lParam) {
  static const UINT marker = RegisterWindowMessageW(varnite::ui::kSettleMessage);
  if (code == HC_ACTION && wParam == PM_REMOVE && marker != 0 &&
      reinterpret_cast<const MSG*>(lParam)->message == marker) {
    if (HANDLE settled = OpenEventW(EVENT_MODIFY_STATE, FALSE, varnite::ui::kSettledEvent)) {
      SetEvent(settled);
      CloseHandle(settled);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
