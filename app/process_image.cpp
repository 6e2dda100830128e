#include "app/process_image.h"

#include <string>

#include "fileio/system_function_win32.h"
#include "window/hand_over.h"

namespace varnite {
namespace {

constexpr DWORD kPathUnits = 32768;                 // the longest path Windows has, with its NUL
constexpr DWORD kQueryLimitedInformation = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

using QueryFullProcessImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);

// Windows XP has no QueryFullProcessImageNameW; there the process's first module is asked
// through psapi.dll, loaded from the system folder and never by bare name.
GetModuleFileNameExFn FindXpModuleFileName() {
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring psapi = std::wstring(system, length) + L"\\psapi.dll";
  HMODULE module = LoadLibraryW(psapi.c_str());
  if (!module) return nullptr;
  return reinterpret_cast<GetModuleFileNameExFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "GetModuleFileNameExW")));
}

}  // namespace

std::u16string ProcessImage(DWORD id) {
  static const auto query =
      SystemFunction<QueryFullProcessImageNameFn>(L"kernel32.dll", "QueryFullProcessImageNameW");
  HANDLE process = OpenProcess(
      query ? kQueryLimitedInformation : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (!process) return u"";
  std::wstring image(kPathUnits, L'\0');
  DWORD exitCode = 0;
  DWORD length = 0;
  // A process that has ended keeps its id while a handle is open: it is no Varnite.
  if (GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE) {
    if (query) {
      DWORD size = kPathUnits;
      if (query(process, 0, image.data(), &size)) length = size;
    } else {
      static const GetModuleFileNameExFn moduleFileName = FindXpModuleFileName();
      if (moduleFileName) length = moduleFileName(process, nullptr, image.data(), kPathUnits);
    }
  }
  CloseHandle(process);
  return std::u16string(image.begin(),
                        image.begin() + static_cast<std::wstring::difference_type>(length));
}

bool IsAnotherVarniteProcess(DWORD id) {
  // This process is asked the same way as the other, so both paths have the same form.
  static const std::u16string self = ProcessImage(GetCurrentProcessId());
  return IsAnotherVarnite(id, GetCurrentProcessId(), ProcessImage(id), self);
}

}  // namespace varnite
