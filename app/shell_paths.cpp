#include "app/shell_paths.h"

#include "app/system_libraries.h"
#include "fileio/system_function_win32.h"
#include "fileio/utf.h"
#include "window/ways_in.h"

namespace varnite {
namespace {

// Not in Windows XP's headers or its USER32: looked up at run time.
using ChangeWindowMessageFilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
using ChangeWindowMessageFilterFn = BOOL(WINAPI*)(UINT, DWORD);
constexpr DWORD kMsgFltAllow = 1;  // MSGFLT_ALLOW, for the window alone (Windows 7)
constexpr DWORD kMsgFltAdd = 1;    // MSGFLT_ADD, for the whole process (Vista)

// Fills a buffer through a Win32 call that returns the length it wrote, or the size it
// needs when the buffer is too small, or 0 on failure; grows the buffer until the text
// fits, so a path of any length comes back whole.
template <typename Call>
bool GrowingText(Call call, std::wstring& text) {
  DWORD size = MAX_PATH;
  for (;;) {
    text.assign(size, L'\0');
    const DWORD length = call(text.data(), size);
    if (length == 0) return false;
    if (length < size) {
      text.resize(length);
      return true;
    }
    size = length;
  }
}

// A full path as the user knows it: relative paths resolved against the current folder,
// and short 8.3 names, which older shells pass on a command line, made long again.
std::wstring FullPath(const std::wstring& path) {
  std::wstring full, longPath;
  if (!GrowingText(
          [&](wchar_t* buffer, DWORD size) {
            return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
          },
          full)) {
    return path;
  }
  // A path that does not exist is refused as it stands.
  if (!GrowingText([&](wchar_t* buffer,
                       DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); },
                   longPath)) {
    return full;
  }
  return longPath;
}

// Whether anything follows the program's name, which comes first, in quotes or up to the
// first blank, as Windows starts a program. Only then is SHELL32 loaded to split the line.
bool HasArguments(const wchar_t* commandLine) {
  const wchar_t* at = commandLine;
  if (*at == L'"') {
    for (++at; *at && *at != L'"'; ++at) {
    }
    if (*at) ++at;
  } else {
    for (; *at && *at != L' ' && *at != L'\t'; ++at) {
    }
  }
  for (; *at == L' ' || *at == L'\t'; ++at) {
  }
  return *at != L'\0';
}

}  // namespace

// The window is a drop target through its WS_EX_ACCEPTFILES style, which is all that
// DragAcceptFiles would set; that call would need SHELL32 loaded at start.
void AcceptDroppedFiles(HWND window) {
  // Varnite runs elevated, and from Vista on Windows keeps a non-elevated Explorer's
  // messages away from an elevated window unless the window lets them through; a drop
  // takes these two. Windows XP has no such filter, and no such functions.
  auto filterWindow =
      SystemFunction<ChangeWindowMessageFilterExFn>(L"user32.dll", "ChangeWindowMessageFilterEx");
  auto filterProcess =
      SystemFunction<ChangeWindowMessageFilterFn>(L"user32.dll", "ChangeWindowMessageFilter");
  for (UINT message : kMessagesFromLowerPrivilege) {
    if (filterWindow && filterWindow(window, message, kMsgFltAllow, nullptr)) continue;
    if (filterProcess) filterProcess(message, kMsgFltAdd);
  }
}

std::vector<std::string> DroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  const DropApi& api = FindDropApi();
  if (!api.queryFile) {
    // A drop that cannot be read is ignored; its memory, which DragFinish would free, is
    // freed all the same.
    GlobalFree(reinterpret_cast<HGLOBAL>(drop));
    return paths;
  }
  const UINT count = api.queryFile(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = api.queryFile(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    path.resize(api.queryFile(drop, i, path.data(), length + 1));
    if (!path.empty()) paths.push_back(WideToUtf8(FullPath(path)));
  }
  api.finish(drop);
  return paths;
}

std::vector<std::string> CommandLinePaths(const wchar_t* commandLine) {
  std::vector<std::string> paths;
  if (!HasArguments(commandLine)) return paths;
  int count = 0;
  // Explorer quotes each path ("%1" for "Open with", every path of a drop on the icon or
  // of "Send To"); the shell's own splitting rules take the quotes off again.
  LPWSTR* arguments = SplitCommandLine(commandLine, count);
  if (!arguments) return paths;
  for (int i = 1; i < count; ++i) {
    const std::wstring argument = arguments[i];
    if (!argument.empty()) paths.push_back(WideToUtf8(FullPath(argument)));
  }
  LocalFree(arguments);
  return paths;
}

}  // namespace varnite
