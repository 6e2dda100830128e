// A stand-in for a DLL that someone left in a Downloads folder beside Varnite.exe. The
// end-to-end test copies it there under the names of real DLLs. When a process loads it,
// it writes "<its own path>.loaded" holding the path of that process's exe, and then
// refuses to load, so none of its code runs beyond that record.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH + 16] = {};
  DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return FALSE;
  lstrcpyW(marker + length, L".loaded");
  wchar_t exe[MAX_PATH] = {};
  DWORD exeLength = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, exe, exeLength * sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
  }
  return FALSE;
}
