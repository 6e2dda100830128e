#include "app/one_varnite.h"

#include "app/hand_over.h"
#include "fileio/utf.h"
#include "resources/resource.h"

namespace varnite {
namespace {

// In the session's own namespace, so each user logged on (fast user switching, remote
// desktop) has a Varnite of their own. Within a session there is one desktop, and two
// windows there would be the same trouble whichever account started them, so the name
// holds no user.
constexpr wchar_t kMutexName[] = L"Local\\Quenmore.Varnite";
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

bool HandOver(HWND window, const std::vector<std::string>& paths) {
  std::vector<std::u16string> units;
  for (const std::string& path : paths) {
    const std::wstring wide = Utf8ToWide(path);
    units.emplace_back(wide.begin(), wide.end());
  }
  const std::u16string block = EncodeHandOver(units);
  COPYDATASTRUCT data{};
  data.dwData = kHandOverTag;
  data.cbData = static_cast<DWORD>(block.size() * sizeof(char16_t));
  data.lpData = const_cast<char16_t*>(block.data());
  // The running Varnite answers before it opens anything, so this returns at once.
  DWORD_PTR taken = FALSE;
  return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kAnswerWaitMs, &taken) != 0 &&
         taken == TRUE;
}

}  // namespace

OneVarnite::~OneVarnite() {
  if (owned_) ReleaseMutex(mutex_);
  if (mutex_) CloseHandle(mutex_);
}

bool OneVarnite::ClaimOrHandOver(const std::vector<std::string>& paths) {
  mutex_ = CreateMutexW(nullptr, TRUE, kMutexName);
  const DWORD error = GetLastError();
  owned_ = mutex_ && error != ERROR_ALREADY_EXISTS;
  // Where no mutex can be had at all, running is better than refusing to.
  if (owned_ || (!mutex_ && error != ERROR_ACCESS_DENIED)) return true;

  const DWORD start = GetTickCount();
  do {
    if (HWND window = FindWindowW(VARNITE_WINDOW_CLASS, nullptr)) {
      BringToFront(window);
      if (paths.empty() || HandOver(window, paths)) return false;
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
