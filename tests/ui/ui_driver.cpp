#include "tests/ui/ui_driver.h"

#include <oleacc.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "fileio/utf.h"
#include "resources/resource.h"
#include "tests/ui/drop_hook.h"

namespace varnite::ui {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x440;
constexpr int kFileNameComboId = 1148;  // cmb13 of the explorer-style open dialog

std::wstring WindowClass(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

struct Search {
  DWORD pid;
  const wchar_t* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  if (ProcessOf(hwnd) == search->pid && IsWindowVisible(hwnd) && WindowClass(hwnd) == search->cls) {
    search->found.push_back(hwnd);
  }
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* cls) {
  Search search{pid, cls, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// What the icon of a message box shows, from the pixels on the screen: the stop sign is
// mostly red, the information sign mostly blue.
BoxIcon ClassifyIcon(HWND icon) {
  if (!icon || !IsWindowVisible(icon)) return BoxIcon::None;
  DWORD_PTR handle = 0;
  SendMessageTimeoutW(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &handle);
  if (!handle) return BoxIcon::None;
  RECT rc;
  GetWindowRect(icon, &rc);
  HDC screen = GetDC(nullptr);
  int red = 0, blue = 0;
  for (int y = rc.top; y < rc.bottom; ++y) {
    for (int x = rc.left; x < rc.right; ++x) {
      COLORREF c = GetPixel(screen, x, y);
      int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      if (r > 150 && g < 110 && b < 110) ++red;
      if (b > 150 && r < 110) ++blue;
    }
  }
  ReleaseDC(nullptr, screen);
  if (red > 40 && red > blue) return BoxIcon::Stop;
  if (blue > 40 && blue > red) return BoxIcon::Information;
  return BoxIcon::Other;
}

const char* IconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None:
      return "no icon";
    case BoxIcon::Information:
      return "information";
    case BoxIcon::Stop:
      return "stop";
    case BoxIcon::Other:
      return "another icon";
  }
  return "?";
}

// The hook DLL, loaded here once; Varnite's thread gets it when a hook is set on it.
HMODULE HookDll() {
  static HMODULE dll = LoadLibraryW((ProgramFolder() + L"\\varnite_drop_hook.dll").c_str());
  Check(dll != nullptr, "varnite_drop_hook.dll loads");
  return dll;
}

HOOKPROC HookProc(const char* name) {
  auto proc =
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(HookDll(), name)));
  Check(proc != nullptr, std::string(name) + " is exported by varnite_drop_hook.dll");
  return proc;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > ms) return false;
    Sleep(25);
  }
}

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }
std::wstring Wide(const char* utf8) { return Utf8ToWide(utf8); }

void CheckFocusOn(Varnite& app, int id, const std::string& when) {
  HWND expected = app.Control(id);
  WaitUntil([&] { return app.Focus() == expected; }, 5000);
  CheckEq(app.Text(app.Focus()), app.Text(expected), "focus " + when);
}

void WaitForCaption(Varnite& app, int id, const wchar_t* text) {
  WaitUntil([&] { return app.Text(id) == text; }, 5000);
  CheckEq(app.Text(id), text, "caption of " + std::to_string(id));
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::wstring LoadDllInside(HANDLE process, const std::wstring& name) {
  const SIZE_T bytes = (name.size() + 1) * sizeof(wchar_t);
  void* remoteName = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
  Check(remoteName != nullptr, "memory for a DLL name in the other process");
  Check(WriteProcessMemory(process, remoteName, name.c_str(), bytes, nullptr) != FALSE,
        "the DLL name written into the other process");
  // kernel32 lies at the same address in every process of one architecture.
  using AnyFunction = void (*)();
  auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<AnyFunction>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
  HANDLE thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remoteName, 0, nullptr);
  Check(thread != nullptr, "a thread in the other process loads " + Narrow(name));
  const bool done = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
  CloseHandle(thread);
  Check(done, "the load of " + Narrow(name) + " ends");
  VirtualFreeEx(process, remoteName, 0, MEM_RELEASE);

  HMODULE modules[1024];
  DWORD needed = 0;
  Check(EnumProcessModules(process, modules, sizeof modules, &needed) != FALSE,
        "the other process's modules can be listed");
  const DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), 1024);
  for (DWORD i = 0; i < count; ++i) {
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameExW(process, modules[i], path, MAX_PATH)) continue;
    const wchar_t* slash = wcsrchr(path, L'\\');
    if (_wcsicmp(slash ? slash + 1 : path, name.c_str()) == 0) return path;
  }
  return L"";
}

void Check(bool condition, const std::string& what) {
  if (!condition) throw CheckFailure{what};
}

void CheckEq(const std::wstring& actual, const std::wstring& expected, const std::string& what) {
  if (actual != expected) {
    throw CheckFailure{what + ": got \"" + Narrow(actual) + "\", expected \"" + Narrow(expected) +
                       "\""};
  }
}

void CheckEq(long actual, long expected, const std::string& what) {
  if (actual != expected) {
    throw CheckFailure{what + ": got " + std::to_string(actual) + ", expected " +
                       std::to_string(expected)};
  }
}

namespace {

PROCESS_INFORMATION StartVarnite(const std::wstring& arguments, const std::wstring& folder,
                                 const std::wstring& program) {
  const std::wstring exe = program.empty() ? ProgramFolder() + L"\\Varnite.exe" : program;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring command = L"\"" + exe + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  PROCESS_INFORMATION process{};
  Check(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &si, &process) != FALSE,
        "Varnite.exe starts (error " + std::to_string(GetLastError()) + ")");
  return process;
}

// A Varnite left running by a case that was cut short (a time-out ends the driver, not the
// program) would take the next start as a second one: it is ended first.
void EndLeftoverVarnite() {
  HWND window = FindWindowW(VARNITE_WINDOW_CLASS, nullptr);
  if (!window) return;
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(window));
  const bool ended = process && TerminateProcess(process, 1) &&
                     WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
  if (process) CloseHandle(process);
  Check(ended, "a Varnite left running is ended");
}

}  // namespace

void StartAgain(const std::wstring& arguments) {
  PROCESS_INFORMATION second = StartVarnite(arguments, L"", L"");
  const bool ended = WaitForSingleObject(second.hProcess, 20000) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(second.hProcess, &code);
  if (!ended) TerminateProcess(second.hProcess, 1);
  CloseHandle(second.hThread);
  CloseHandle(second.hProcess);
  Check(ended, "the second Varnite ends by itself");
  CheckEq(static_cast<long>(code), 0, "the second Varnite's exit code");
}

Varnite::Varnite(const std::wstring& arguments, const std::wstring& folder,
                 const std::wstring& program) {
  EndLeftoverVarnite();
  process_ = StartVarnite(arguments, folder, program);
  WaitUntil(
      [&] {
        auto windows = TopLevelWindows(process_.dwProcessId, VARNITE_WINDOW_CLASS);
        window_ = windows.empty() ? nullptr : windows.front();
        return window_ != nullptr;
      },
      20000);
  Check(window_ != nullptr, "the Varnite window appears");
  WaitForInputIdle(process_.hProcess, 5000);
}

Varnite::~Varnite() {
  if (process_.hProcess) {
    if (IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  // SetSysColors keeps its colours for the wineserver's life, so the next case's Varnite
  // would start with them.
  if (!coloursFound_.empty()) {
    SetSysColors(static_cast<int>(coloursFound_.size()), kHighContrastElements,
                 coloursFound_.data());
  }
}

bool Varnite::Running() const {
  return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT && IsWindow(window_);
}

HWND Varnite::Control(int id) const {
  HWND hwnd = GetDlgItem(window_, id);
  Check(hwnd != nullptr, "control " + std::to_string(id) + " exists");
  return hwnd;
}

std::wstring Varnite::Text(HWND hwnd) const {
  wchar_t buffer[4096] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return std::wstring(buffer, copied);
}

RECT Varnite::ClientRectOf(int id) const {
  RECT rc;
  GetWindowRect(Control(id), &rc);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

HWND Varnite::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(process_.dwThreadId, &info);
  return info.hwndFocus;
}

void Varnite::Click(int id) { PostMessageW(Control(id), BM_CLICK, 0, 0); }

void Varnite::MouseClick(int id) {
  HWND target = Control(id);
  RECT rc;
  GetClientRect(target, &rc);
  const LPARAM middle = MAKELPARAM((rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2);
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  PostMessageW(target, WM_LBUTTONUP, 0, middle);
}

void Varnite::PressKey(UINT vk) {
  HWND target = Focus();
  Check(target != nullptr, "a control has the focus");
  // The key's lParam: a repeat count of 1 and the scan code; a key-up has the previous
  // state and transition bits set too.
  const auto scan = static_cast<LPARAM>(MapVirtualKeyW(vk, 0));
  PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
  PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
}

HWND Varnite::FindDialog(bool fileDialog) const {
  for (HWND dlg : TopLevelWindows(process_.dwProcessId, L"#32770")) {
    bool isFileDialog = GetDlgItem(dlg, kFileNameComboId) != nullptr;
    if (isFileDialog == fileDialog) return dlg;
  }
  return nullptr;
}

MessageBoxView Varnite::WaitForMessageBox(DWORD ms) {
  MessageBoxView box;
  WaitUntil([&] { return (box.hwnd = FindDialog(false)) != nullptr; }, ms);
  Check(box.hwnd != nullptr, "a message box appears");
  box.title = Text(box.hwnd);
  box.text = Text(GetDlgItem(box.hwnd, kMessageBoxTextId));
  // The icon is read off the screen: until the box has painted, its place shows only the
  // box's face, which reads as "another icon".
  RedrawWindow(box.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HWND icon = GetDlgItem(box.hwnd, kMessageBoxIconId);
  WaitUntil([&] { return (box.icon = ClassifyIcon(icon)) != BoxIcon::Other; }, 2000);
  return box;
}

void Varnite::CloseMessageBox(const MessageBoxView& box) {
  PostMessageW(GetDlgItem(box.hwnd, IDOK), BM_CLICK, 0, 0);
  Check(WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, 10000),
        "the message box closes");
}

void Varnite::ExpectMessageBox(const std::wstring& text, BoxIcon icon, const std::wstring& title) {
  MessageBoxView box = WaitForMessageBox();
  CheckEq(box.text, text, "message box text");
  CheckEq(box.title, title, "message box title for \"" + Narrow(text) + "\"");
  Check(box.icon == icon, "message box \"" + Narrow(text) + "\" shows " + IconName(box.icon) +
                              ", expected " + IconName(icon));
  CloseMessageBox(box);
}

HWND Varnite::WaitForFileDialog(DWORD ms) {
  HWND dlg = nullptr;
  WaitUntil([&] { return (dlg = FindDialog(true)) != nullptr; }, ms);
  Check(dlg != nullptr, "the file dialog appears");
  // It fills its folder view after it shows, partly from messages it posts to itself; a
  // name typed before then is lost.
  Check(WaitUntil([&] { return FindWindowExW(dlg, nullptr, L"SHELLDLL_DefView", nullptr); }, ms),
        "the file dialog shows its folder");
  Settle();
  return dlg;
}

void Varnite::ChooseFile(const std::wstring& path) {
  HWND dlg = WaitForFileDialog();
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(GetDlgItem(dlg, kFileNameComboId), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
  PostMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
  Check(WaitUntil([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }, 10000),
        "the file dialog closes after a choice");
}

void Varnite::CancelFileDialog() {
  HWND dlg = WaitForFileDialog();
  PostMessageW(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
  Check(WaitUntil([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }, 10000),
        "the file dialog closes after a cancel");
}

void Varnite::WaitForNoDialog(DWORD ms) {
  Check(WaitUntil([&] { return !FindDialog(false) && !FindDialog(true); }, ms),
        "no dialog is left open");
}

int Varnite::MessageBoxesOpen() const {
  int count = 0;
  for (HWND dlg : TopLevelWindows(process_.dwProcessId, L"#32770")) {
    if (GetDlgItem(dlg, kFileNameComboId) == nullptr) ++count;
  }
  return count;
}

void Varnite::Drop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  const std::size_t bytes = list.size() * sizeof(wchar_t);
  const DWORD size = static_cast<DWORD>(bytes);
  HANDLE block = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof size + size, kDropPathsBlock);
  Check(block != nullptr, "the shared block for the paths is made");
  char* view = static_cast<char*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0));
  Check(view != nullptr, "the shared block is mapped");
  std::memcpy(view, &size, sizeof size);
  std::memcpy(view + sizeof size, list.data(), size);
  UnmapViewOfFile(view);

  HANDLE posted = CreateEventW(nullptr, TRUE, FALSE, kDropPostedEvent);
  if (posted) AskHook(kDropRequestMessage, 0, 0);
  const bool done = posted && WaitForSingleObject(posted, 5000) == WAIT_OBJECT_0;
  if (posted) CloseHandle(posted);
  CloseHandle(block);
  Check(done, "the drop is posted inside Varnite");
  Settle();
}

void Varnite::ChangeDpi(int dpi, int fromDpi) {
  AskHook(kDpiRequestMessage, static_cast<WPARAM>(dpi), fromDpi);
}

void Varnite::SetHighContrast(bool on) {
  if (coloursFound_.empty()) {
    for (int element : kHighContrastElements) coloursFound_.push_back(GetSysColor(element));
  }
  AskHook(kHighContrastRequestMessage, on ? 1 : 0, 0);
}

void Varnite::AskHook(const wchar_t* request, WPARAM wParam, LPARAM lParam) {
  HHOOK hook =
      SetWindowsHookExW(WH_CALLWNDPROC, HookProc(kDropHookName), HookDll(), process_.dwThreadId);
  Check(hook != nullptr, "the hook is set on Varnite's thread");
  // Sent, not posted, so the hook sees it; any message loop of Varnite's, a box's or the
  // file dialog's included, takes it.
  DWORD_PTR ignored = 0;
  const bool answered = SendMessageTimeoutW(window_, RegisterWindowMessageW(request), wParam,
                                            lParam, SMTO_ABORTIFHUNG, 10000, &ignored) != 0;
  UnhookWindowsHookEx(hook);
  Check(answered, "Varnite answers " + Narrow(request));
}

void Varnite::Settle() {
  HANDLE settled = CreateEventW(nullptr, TRUE, FALSE, kSettledEvent);
  Check(settled != nullptr, "the settle event is made");
  ResetEvent(settled);
  HHOOK hook =
      SetWindowsHookExW(WH_GETMESSAGE, HookProc(kSettleHookName), HookDll(), process_.dwThreadId);
  const bool taken = hook && PostMessageW(window_, RegisterWindowMessageW(kSettleMessage), 0, 0) &&
                     WaitForSingleObject(settled, 10000) == WAIT_OBJECT_0;
  if (hook) UnhookWindowsHookEx(hook);
  CloseHandle(settled);
  Check(hook != nullptr, "the settle hook is set on Varnite's thread");
  Check(taken, "Varnite takes the messages posted to it");
}

int Varnite::DialogCount() const {
  return static_cast<int>(TopLevelWindows(process_.dwProcessId, L"#32770").size());
}

Varnite::Pixels Varnite::CaptureClientArea() const {
  RedrawWindow(window_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // The paint reaches the screen a little after the program has drawn it: take pictures
  // until two in a row agree.
  Pixels last;
  Pixels now = CaptureClientAreaOnce();
  Check(WaitUntil(
            [&] {
              Sleep(100);
              last = std::move(now);
              now = CaptureClientAreaOnce();
              return now.colours == last.colours;
            },
            5000),
        "the window's picture on the screen stops changing");
  return now;
}

Varnite::Pixels Varnite::CaptureClientAreaOnce() const {
  RECT client;
  GetClientRect(window_, &client);
  POINT origin = {0, 0};
  ClientToScreen(window_, &origin);
  Pixels pixels;
  pixels.width = client.right;
  pixels.height = client.bottom;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  Check(bitmap != nullptr, "a bitmap for the screen's pixels");
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const auto* bgra = static_cast<const unsigned char*>(bits);
  pixels.colours.resize(static_cast<std::size_t>(pixels.width * pixels.height));
  for (std::size_t i = 0; i < pixels.colours.size(); ++i) {
    pixels.colours[i] = RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

int DisplayDpi() {
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  CheckEq(dpiY, dpiX, "the display's vertical DPI");
  char expected[16] = {};
  if (GetEnvironmentVariableA("VARNITE_UI_DPI", expected, sizeof expected) > 0) {
    CheckEq(dpiX, std::atol(expected), "the display's DPI (VARNITE_UI_DPI)");
  }
  return dpiX;
}

int OtherDpi(int dpi) { return dpi == 144 ? 96 : 144; }

std::wstring AccessibleName(HWND control) {
  static const bool com = SUCCEEDED(CoInitialize(nullptr));
  Check(com, "COM starts in the driver");
  // __uuidof: MinGW-w64's liboleacc.a holds no IID_IAccessible of its own to link to.
  IAccessible* object = nullptr;
  const HRESULT found =
      AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&object));
  Check(SUCCEEDED(found) && object != nullptr,
        "a screen reader's view of control " + std::to_string(GetDlgCtrlID(control)));
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const bool named = SUCCEEDED(object->get_accName(self, &name)) && name != nullptr;
  object->Release();
  std::wstring result = named ? std::wstring(name, SysStringLen(name)) : L"";
  SysFreeString(name);
  return result;
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  Check(file != INVALID_HANDLE_VALUE, "can read " + Narrow(path));
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  Check(file != INVALID_HANDLE_VALUE, "can write " + Narrow(path));
  DWORD put = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(file);
  Check(put == bytes.size(), "wrote " + Narrow(path));
}

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemovePath(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    RemoveDirectoryW(path.c_str());
  } else {
    DeleteFileW(path.c_str());
  }
}

// ---- What several subjects' cases share ----

const std::wstring kDummyFile = L"C:\\Varnite.PSX";

const std::string kSheet =
    "FILE \"album.bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    INDEX 01 10:00:00\r\n";
const std::string kAppended =
    "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 03 Audio\r\nPregap 00:10:00\r\n"
    "Index 01 00:00:00\r\n"
    "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 04 mode1/2352\r\nIndex 01 00:00:00\r\n"
    "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 05 mode2/2352\r\nIndex 01 00:00:00\r\n";

std::wstring FreshSheet(const std::wstring& folder, const std::string& bytes,
                        const std::wstring& name) {
  // Every folder on the way, for a sheet more than one new folder deep.
  for (std::size_t at = folder.find(L'\\', 3); at != std::wstring::npos;
       at = folder.find(L'\\', at + 1)) {
    CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring path = folder + L"\\" + name;
  RemovePath(path);
  WriteFileBytes(path, bytes);
  return path;
}

void ExpectThreeTracksAdded(Varnite& app, const std::wstring& path, const std::string& sheet,
                            const std::string& appended) {
  const std::string line = "\nTrack ";
  for (std::size_t at = appended.find(line); at != std::string::npos;
       at = appended.find(line, at + 1)) {
    const std::wstring number = Wide(appended.substr(at + line.size(), 2).c_str());
    MessageBoxView box = app.WaitForMessageBox();
    CheckEq(app.Text(IDC_LBL_CUESHEET), path, "the label shows the chosen path");
    CheckEq(box.text, L"Track " + number + L" has been added", "track box");
    CheckEq(box.title, L"Varnite", "track box title");
    Check(box.icon == BoxIcon::None, "a track box has no icon");
    app.CloseMessageBox(box);
  }
  app.ExpectMessageBox(L"Now Record The Image Back To CD Using The Same Cue Sheet",
                       BoxIcon::Information);
  app.WaitForNoDialog();
  CheckEq(app.Text(IDC_LBL_CUESHEET), L"Protection Tracks Have Been Added", "label at the end");
  Check(ReadFileBytes(path) == sheet + appended,
        "the cue sheet holds its own bytes and then the protection tracks");
}

}  // namespace varnite::ui
