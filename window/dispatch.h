// Commands reach their handlers through here, one at a time. A handler's message boxes
// and file dialog run message loops of their own, so a second click queued behind the
// first (two BM_CLICKs from automation, say) would otherwise start a second handler in
// the middle of the first. While one command runs, every other is dropped.
#pragma once

#include <exception>
#include <functional>
#include <map>

#include "window/main_window.h"

namespace varnite {

class Dispatcher {
 public:
  using Handler = std::function<void()>;
  using FailureReport = std::function<void(std::exception_ptr)>;

  void Bind(Control control, Handler handler);

  // What to do with a failure no handler caught. The report runs while the failed command
  // still counts as running, so nothing else is taken while it shows a box; after it the
  // dispatcher takes no command at all and Ended() is true: the program is to end.
  // Without a report the failure goes on to the caller of Click or Run.
  void ReportUncaughtFailures(FailureReport report);

  // Runs the handler bound to `control` to its end. Returns false, and runs nothing,
  // while another command is running, once the dispatcher has ended, or when no handler
  // is bound to `control`.
  bool Click(Control control);
  // Runs `command` under the same one-at-a-time rule: for ways in other than a button.
  bool Run(const Handler& command);

  // The user, the system or another program asks the window to close. With nothing
  // running the dispatcher ends at once and this returns true: close now. While a command
  // runs (its boxes pump messages, so the close arrives inside it) the close is kept and
  // this returns false; the dispatcher ends as the command does, after all its boxes, and
  // whoever called Click or Run then finds Ended() true and closes the window.
  bool RequestClose();

  bool Busy() const { return busy_; }
  bool Ended() const { return ended_; }

 private:
  std::map<Control, Handler> handlers_;
  FailureReport report_;
  bool busy_ = false;
  bool ended_ = false;
  bool closeRequested_ = false;
};

}  // namespace varnite
