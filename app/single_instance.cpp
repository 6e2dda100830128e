#include "app/single_instance.h"

#include "app/process_image.h"
#include "fileio/system_function_win32.h"
#include "fileio/utf.h"
#include "resources/resource.h"
#include "window/hand_over.h"

namespace varnite {
namespace {

// A Varnite that has only just started has no window yet.
constexpr DWORD kWindowWaitMs = 10000;
constexpr DWORD kPollMs = 100;
constexpr UINT kAnswerWaitMs = 10000;

void BringToFront(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  // The user has just started this process, so Windows lets it hand the foreground on:
  // to the window now, and to the boxes the edit of the handed paths will show.
  AllowSetForegroundWindow(process);
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  // A box or the file dialog if one is open: that is where the user has to answer.
  SetForegroundWindow(GetLastActivePopup(window));
}

bool SendPaths(HWND window, const std::vector<std::string>& paths) {
  std::vector<std::u16string> units;
  for (const std::string& path : paths) {
    const std::wstring wide = Utf8ToWide(path);
    units.emplace_back(wide.begin(), wide.end());
  }
  const std::u16string block =
      EncodeHandOver({static_cast<std::uint32_t>(GetCurrentProcessId()), units});
  COPYDATASTRUCT data{};
  data.dwData = kHandOverTag;
  const std::size_t bytes = block.size() * sizeof(char16_t);
  data.cbData = static_cast<DWORD>(bytes);
  data.lpData = const_cast<char16_t*>(block.data());
  // The running Varnite answers before it opens anything, so this returns at once.
  DWORD_PTR taken = FALSE;
  return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kAnswerWaitMs, &taken) != 0 &&
         taken == TRUE;
}

// A window of Varnite's class that belongs to another running Varnite of this exe file; a
// window of that class made by any other program is passed over.
HWND FindVarniteWindow() {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, VARNITE_WINDOW_CLASS, nullptr)) != nullptr) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (IsAnotherVarniteProcess(process)) return window;
  }
  return nullptr;
}

// The calls of private namespaces, Windows Vista and later: looked up, all or none.
struct NamespaceApi {
  HANDLE(WINAPI* createBoundary)(LPCWSTR, ULONG) = nullptr;
  BOOL(WINAPI* addSid)(HANDLE*, PSID) = nullptr;
  HANDLE(WINAPI* create)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) = nullptr;
  HANDLE(WINAPI* open)(LPVOID, LPCWSTR) = nullptr;
  BOOLEAN(WINAPI* close)(HANDLE, ULONG) = nullptr;
  VOID(WINAPI* deleteBoundary)(HANDLE) = nullptr;
};

NamespaceApi FindNamespaceApi() {
  NamespaceApi api;
  api.createBoundary =
      SystemFunction<decltype(api.createBoundary)>(L"kernel32.dll", "CreateBoundaryDescriptorW");
  api.addSid = SystemFunction<decltype(api.addSid)>(L"kernel32.dll", "AddSIDToBoundaryDescriptor");
  api.create = SystemFunction<decltype(api.create)>(L"kernel32.dll", "CreatePrivateNamespaceW");
  api.open = SystemFunction<decltype(api.open)>(L"kernel32.dll", "OpenPrivateNamespaceW");
  api.close = SystemFunction<decltype(api.close)>(L"kernel32.dll", "ClosePrivateNamespace");
  api.deleteBoundary =
      SystemFunction<decltype(api.deleteBoundary)>(L"kernel32.dll", "DeleteBoundaryDescriptor");
  const bool all =
      api.createBoundary && api.addSid && api.create && api.open && api.close && api.deleteBoundary;
  return all ? api : NamespaceApi{};
}

// The Administrators group, S-1-5-32-544, built in place: nothing to free.
struct AdministratorsSid {
  SID sid{SID_REVISION, 2, SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID}};
  DWORD secondRid = DOMAIN_ALIAS_RID_ADMINS;  // the second sub-authority, just after the SID
};

}  // namespace

SingleInstance::~SingleInstance() {
  if (owned_) ReleaseMutex(mutex_);
  if (mutex_) CloseHandle(mutex_);
  // Closed, not destroyed: a start that opened it meanwhile may still use it.
  if (namespace_) FindNamespaceApi().close(namespace_, 0);
  if (boundary_) FindNamespaceApi().deleteBoundary(boundary_);
}

bool SingleInstance::ClaimOrHandOver(const std::vector<std::string>& paths) {
  PrivateNamespace privateNamespace = PrivateNamespace::kMissing;
  const NamespaceApi api = FindNamespaceApi();
  if (api.create) {
    privateNamespace = PrivateNamespace::kFailed;
    AdministratorsSid administrators;
    const std::u16string prefix16 = kPrivateNamespacePrefix;
    const std::wstring prefix(prefix16.begin(), prefix16.end());
    boundary_ = api.createBoundary(prefix.c_str(), 0);
    if (boundary_ && api.addSid(&boundary_, &administrators.sid)) {
      namespace_ = api.create(nullptr, boundary_, prefix.c_str());
      madeNamespace_ = namespace_ != nullptr;
      if (!namespace_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        namespace_ = api.open(boundary_, prefix.c_str());
      }
      if (namespace_) {
        privateNamespace = madeNamespace_ ? PrivateNamespace::kMade : PrivateNamespace::kOpened;
      }
    }
  }
  const std::u16string name = SingleInstanceMutexName(privateNamespace);
  mutex_ = CreateMutexW(nullptr, TRUE, std::wstring(name.begin(), name.end()).c_str());
  const DWORD error = GetLastError();
  owned_ = mutex_ && error != ERROR_ALREADY_EXISTS;
  // Where no mutex can be had at all, running is better than refusing to.
  if (owned_ || (!mutex_ && error != ERROR_ACCESS_DENIED)) return true;

  const DWORD start = GetTickCount();
  do {
    if (HWND window = FindVarniteWindow()) {
      BringToFront(window);
      if (paths.empty() || SendPaths(window, paths)) return false;
      // Gone meanwhile: the Varnite that had it is ending, and its mutex comes free.
      if (IsWindow(window)) break;
    }
    if (!mutex_) {
      Sleep(kPollMs);
      continue;
    }
    // A Varnite that ends, however it ends, gives its mutex up.
    const DWORD wait = WaitForSingleObject(mutex_, kPollMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
      owned_ = true;
      return true;
    }
  } while (GetTickCount() - start < kWindowWaitMs);

  std::wstring text = L"Varnite Is Already Running But Does Not Answer.";
  if (!paths.empty()) text += L"\r\n\r\nNothing Was Opened.";
  MessageBoxW(nullptr, text.c_str(), L"Varnite", MB_OK | MB_ICONSTOP);
  return false;
}

}  // namespace varnite
