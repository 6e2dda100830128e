// Drives the real Varnite.exe from outside, as a user would: finds its window and
// controls, clicks, types keys, reads and closes message boxes and the file dialog.
// Everything it does to the program goes through posted messages or cross-process
// window messages, so the program's modal loops run exactly as they do for a person.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace varnite::ui {

// Raised by a failed check or a wait that timed out; ends the current case.
struct CheckFailure {
  std::string what;
};

enum class BoxIcon { None, Information, Stop, Other };

struct MessageBoxView {
  HWND hwnd = nullptr;
  std::wstring title;
  std::wstring text;
  BoxIcon icon = BoxIcon::None;
};

class Varnite {
 public:
  // Starts Varnite.exe (beside this driver, or the copy `program`) with `arguments` after
  // its name, in `folder` (the driver's own when empty), and waits for its window.
  explicit Varnite(const std::wstring& arguments = L"", const std::wstring& folder = L"",
                   const std::wstring& program = L"");
  ~Varnite();  // closes the window, and ends the process if it will not go
  Varnite(const Varnite&) = delete;
  Varnite& operator=(const Varnite&) = delete;

  HWND window() const { return window_; }
  HANDLE process() const { return process_.hProcess; }
  HWND Control(int id) const;
  // Whether the control exists yet: one hidden at start is made when first shown.
  bool Made(int id) const { return GetDlgItem(window_, id) != nullptr; }
  bool Running() const;

  std::wstring Text(HWND hwnd) const;
  std::wstring Text(int id) const { return Text(Control(id)); }
  bool Visible(int id) const { return Made(id) && IsWindowVisible(Control(id)) != FALSE; }
  RECT ClientRectOf(int id) const;  // in the main window's client coordinates
  HWND Focus() const;

  void Click(int id);       // a click on a button, as automation sends it (BM_CLICK)
  void MouseClick(int id);  // the mouse pressed and released at the middle of a control
  void PressKey(UINT vk);   // a key press and release on the focused control

  // Waits for the next message box of the program and reads it; fails after `ms`.
  MessageBoxView WaitForMessageBox(DWORD ms = 10000);
  // Checks title, text and icon, then presses OK and waits for the box to go.
  void ExpectMessageBox(const std::wstring& text, BoxIcon icon,
                        const std::wstring& title = L"Varnite");
  void CloseMessageBox(const MessageBoxView& box);

  // The open-file dialog: choose `path`, or cancel.
  HWND WaitForFileDialog(DWORD ms = 15000);
  void ChooseFile(const std::wstring& path);
  void CancelFileDialog();

  // Waits until no dialog of the program is open.
  void WaitForNoDialog(DWORD ms = 10000);
  // How many message boxes of the program are open now.
  int MessageBoxesOpen() const;

  // Drops `paths` on the window as Explorer does: a WM_DROPFILES whose HDROP is built inside
  // Varnite's process. Returns once Varnite's thread has taken the message from its queue
  // and dispatched it (a refused drop is over by then; one that is taken may still be
  // running its boxes).
  void Drop(const std::vector<std::wstring>& paths);
  // Waits until Varnite's thread has taken every message posted to it so far, in its own
  // loop or a box's: a queued click or a drop has then been handled or refused.
  void Settle();

  // What Windows does on a real desktop and Wine never does, brought about inside Varnite
  // by the hook (drop_hook.h); each returns once Varnite has handled it. WM_DPICHANGED to
  // `dpi` from `fromDpi`, as when the window is dragged to another display; and High
  // Contrast on or off, with a High Contrast Black palette while it is on (the colours
  // found before are put back when this object goes, whatever happened).
  void ChangeDpi(int dpi, int fromDpi);
  void SetHighContrast(bool on);

  // How many dialogs (message boxes and file dialogs) of the program are open now.
  int DialogCount() const;

  // What the screen shows of the client area once the window has repainted and the screen
  // has stopped changing.
  struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> colours;  // row by row from the top-left corner
    COLORREF at(int x, int y) const { return colours[static_cast<std::size_t>(y * width + x)]; }
  };
  Pixels CaptureClientArea() const;

 private:
  HWND FindDialog(bool fileDialog) const;
  Pixels CaptureClientAreaOnce() const;
  // Sends Varnite's window the registered message `request` with the hook set on its
  // thread, so that the hook handles it there.
  void AskHook(const wchar_t* request, WPARAM wParam, LPARAM lParam);
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
  std::vector<COLORREF> coloursFound_;
};

// Starts Varnite.exe again with `arguments` while one runs, as "Open with" does, and waits
// for this second process to end; fails unless it ends by itself with exit code 0.
void StartAgain(const std::wstring& arguments);

// Polls `condition` every 25 ms until it holds (true) or `ms` have passed (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD ms);

// Runs `body` as one row of the case being run: prints its outcome, records it for the
// report, and carries on after a failure so that every row of a table is seen. A case that
// runs no row counts as one row of its own name.
void Row(const std::string& name, const std::function<void()>& body);

// Checks, with a readable message on failure.
void Check(bool condition, const std::string& what);
void CheckEq(const std::wstring& actual, const std::wstring& expected, const std::string& what);
void CheckEq(long actual, long expected, const std::string& what);

std::string Narrow(const std::wstring& text);
std::wstring ProgramFolder();  // where this driver and Varnite.exe lie
// Makes the running `process` load the DLL `name` by bare name, as a system DLL inside it
// would (a thread of its own calls LoadLibraryW), and returns the full path of the module
// of that name it then holds, or "" when it holds none.
std::wstring LoadDllInside(HANDLE process, const std::wstring& name);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool PathExists(const std::wstring& path);

// The DPI this process's display has: the program runs in the same Wine prefix, so it
// sees the same. Fails if VARNITE_UI_DPI is set and differs, so a run meant for another
// DPI never passes at 96.
int DisplayDpi();
// The DPI a case moves the window to from `dpi` (and back), as WM_DPICHANGED does when it
// is dragged to another display: 144 (150%), or 96 from 144.
int OtherDpi(int dpi);
// The name a screen reader gives `control`: its MSAA name, asked from this process.
std::wstring AccessibleName(HWND control);
void RemovePath(const std::wstring& path);  // a file, or an empty folder
std::wstring Wide(const char* utf8);

// Waits for the focus to reach control `id`, or the caption of `id` to read `text`.
void CheckFocusOn(Varnite& app, int id, const std::string& when);
void WaitForCaption(Varnite& app, int id, const wchar_t* text);

// ---- What several subjects' cases share ----

extern const std::wstring kDummyFile;  // C:\Varnite.PSX
// A two-track sheet, and what one edit appends to it, written out in full.
extern const std::string kSheet;
extern const std::string kAppended;
// Writes `bytes` as `folder`\`name` (making the folder) and returns its path.
std::wstring FreshSheet(const std::wstring& folder, const std::string& bytes,
                        const std::wstring& name = L"album.cue");
// From the moment `path` is chosen, however: a box for each "Track NN" line of `appended`,
// the last box, the label, and the sheet's bytes: `sheet`, then `appended`.
void ExpectThreeTracksAdded(Varnite& app, const std::wstring& path,
                            const std::string& sheet = kSheet,
                            const std::string& appended = kAppended);

// Every end-to-end case, each defined in the file of its subject.
#define UI_CASE(name, function, label) void function();
#include "tests/ui/ui_cases.inc"
#undef UI_CASE

// The README's pictures and the planting case's control program (the driver's other modes).
int SavePicture(const char* path, const char* panel);
int RunAsControlProgram();

}  // namespace varnite::ui
