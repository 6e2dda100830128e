// Every way input reaches Varnite, and what each does while the program is idle, while a
// command runs (its boxes and the file dialog pump messages, so input arrives inside it) and
// once it has ended: a click, paths dropped or named on the command line, a second start's
// hand-over, a close, and Windows asking whether the session may end. The Win32 shell only
// turns its messages into these calls; the rules are here, tested without a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "window/dispatch.h"
#include "window/main_window.h"

namespace varnite {

// What a command needs of the window beyond what its handler sees.
class Shell {
 public:
  virtual ~Shell() = default;
  // While a command runs, the session is kept from ending, with `reason` shown to the user
  // who logs off; UnblockShutdown lets it end again.
  virtual void BlockShutdown(const std::string& reason) = 0;
  virtual void UnblockShutdown() = 0;
  // The wait cursor while a command works on files, the arrow while it waits for the user.
  virtual void ShowWorking(bool working) = 0;
  // Destroys the window: the program ends.
  virtual void Close() = 0;
};

// The only messages the elevated window takes from programs without administrator rights:
// a drop from Explorer, WM_DROPFILES and WM_COPYGLOBALDATA (0x0049), which carries the
// drop's data. Not WM_COPYDATA: a hand-over comes from a second Varnite, itself elevated,
// and from nothing else.
inline constexpr unsigned kMessagesFromLowerPrivilege[] = {0x0233, 0x0049};

// Why a log-off waits while a command runs.
inline constexpr char kShutdownBlockReason[] = "Varnite is in the middle of editing a file.";

class WaysIn {
 public:
  using OpenCommand = std::function<void(const std::vector<std::string>& paths)>;
  // Is process `id` another running Varnite of the same exe file?
  using SenderCheck = std::function<bool(std::uint32_t id)>;

  // `open` is what paths given from outside run, as one command.
  WaysIn(MainWindow& window, Shell& shell, OpenCommand open);

  // Where the buttons are bound and the failure rule installed.
  Dispatcher& dispatcher() { return dispatcher_; }

  // A button clicked. Dropped without a sign while a command runs: Windows itself says
  // nothing of a click on a window behind a box.
  void Click(Control control);
  // Paths dropped on the window or handed over (UTF-8, full paths), run like a click. While
  // another command runs they are refused with the alert sound: they neither start a second
  // edit inside the first nor vanish without a sign, and can be given again afterwards.
  // None does nothing.
  void OpenPaths(const std::vector<std::string>& paths);
  // The paths of the command line, kept until the window is shown; true when there are any,
  // and OpenStartPaths is then to be called, once the message loop runs. They are opened
  // once, however often it is called.
  bool KeepStartPaths(std::vector<std::string> paths);
  void OpenStartPaths();
  // A block a second start sent (WM_COPYDATA). True when it is a hand-over from another
  // running Varnite (`isVarnite`): `answer` is then called, so the sender ends at once
  // rather than waiting through the edit's boxes, and the paths are opened as a drop's.
  // Anything else is refused: false, and nothing is opened.
  bool HandOver(std::uintptr_t tag, const void* block, std::size_t bytes,
                const SenderCheck& isVarnite, const std::function<void()>& answer);

  // Alt+F4, the taskbar, another program: at once when idle; while a command runs, kept
  // until it has ended, after all its boxes.
  void Close();
  // Whether Windows may end the session now: not while a command runs, so that an edit is
  // not cut short between its boxes.
  bool MayEndSession() const;
  // The session ends (whatever the answer was), or does not: `ending` is a close.
  void EndSession(bool ending);

 private:
  // Runs one way in. A command it starts keeps the session from ending and shows the wait
  // cursor while it works; when it has ended the window closes if a close came meanwhile, or
  // if a failure no handler caught has been reported. Inside a running command the way in
  // runs as it is, and the dispatcher refuses what it starts.
  void RunWayIn(const std::function<void()>& wayIn);

  MainWindow& window_;
  Shell& shell_;
  OpenCommand open_;
  Dispatcher dispatcher_;
  std::vector<std::string> startPaths_;
};

}  // namespace varnite
