// varnite_drop_hook.dll: runs inside Varnite's process as the driver's WH_CALLWNDPROC hook
// and turns a drop request into a real WM_DROPFILES, a DPI request into WM_DPICHANGED and
// a High Contrast request into the settings Varnite then finds; as its WH_GETMESSAGE hook
// it reports when a posted marker leaves Varnite's queue (see drop_hook.h).
#include "tests/ui/drop_hook.h"

#include <shlobj.h>

#include <cstring>
#include <iterator>

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

void SendDpiChange(HWND window, int dpi, int fromDpi) {
  RECT frame, client;
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  RECT suggested = frame;
  suggested.right += MulDiv(client.right, dpi, fromDpi) - client.right;
  suggested.bottom += MulDiv(client.bottom, dpi, fromDpi) - client.bottom;
  SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
}

bool highContrast = false;

BOOL WINAPI StandInSystemParametersInfoW(UINT action, UINT number, void* data, UINT flags) {
  if (action != SPI_GETHIGHCONTRAST || !data) {
    return SystemParametersInfoW(action, number, data, flags);
  }
  auto* settings = static_cast<HIGHCONTRASTW*>(data);
  settings->dwFlags = highContrast ? HCF_HIGHCONTRASTON | HCF_AVAILABLE : HCF_AVAILABLE;
  settings->lpszDefaultScheme = nullptr;
  return TRUE;
}

// Points every slot of the exe's import address tables that holds `real` at `standIn`.
void PatchImports(const void* real, const void* standIn) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (const auto* dll =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       dll->Name; ++dll) {
    for (auto* slot = reinterpret_cast<ULONG_PTR*>(base + dll->FirstThunk); *slot; ++slot) {
      if (*slot != reinterpret_cast<ULONG_PTR>(real)) continue;
      DWORD protection = 0;
      VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
      *slot = reinterpret_cast<ULONG_PTR>(standIn);
      VirtualProtect(slot, sizeof *slot, protection, &protection);
    }
  }
}

void SetHighContrast(HWND window, bool on) {
  // This DLL's own import of it holds the same address as Varnite's.
  [[maybe_unused]] static const bool patched =
      (PatchImports(reinterpret_cast<const void*>(&SystemParametersInfoW),
                    reinterpret_cast<const void*>(&StandInSystemParametersInfoW)),
       true);
  static COLORREF found[std::size(varnite::ui::kHighContrastElements)];
  const int count = static_cast<int>(std::size(found));
  if (on && !highContrast) {
    for (int i = 0; i < count; ++i) found[i] = GetSysColor(varnite::ui::kHighContrastElements[i]);
  }
  // Sends WM_SYSCOLORCHANGE to the top-level windows.
  SetSysColors(count, varnite::ui::kHighContrastElements,
               on ? varnite::ui::kHighContrastBlack : found);
  highContrast = on;
  SendMessageW(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    VarniteDropHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT request = RegisterWindowMessageW(varnite::ui::kDropRequestMessage);
  static const UINT dpiRequest = RegisterWindowMessageW(varnite::ui::kDpiRequestMessage);
  static const UINT highContrastRequest =
      RegisterWindowMessageW(varnite::ui::kHighContrastRequestMessage);
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (request != 0 && call->message == request) PostDrop(call->hwnd);
    if (dpiRequest != 0 && call->message == dpiRequest) {
      SendDpiChange(call->hwnd, static_cast<int>(call->wParam), static_cast<int>(call->lParam));
    }
    if (highContrastRequest != 0 && call->message == highContrastRequest) {
      SetHighContrast(call->hwnd, call->wParam != 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    VarniteSettleHook(int code, WPARAM wParam, LPARAM lParam) {
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
