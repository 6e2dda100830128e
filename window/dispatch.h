// Commands reach their handlers through here, one at a time. A handler's message boxes
// and file dialog run message loops of their own, so a second click queued behind the
// first (two BM_CLICKs from automation, say) would otherwise start a second handler in
// the middle of the first. While one command runs, every other is dropped.
#pragma once

#include <functional>
#include <map>

#include "window/main_window.h"

namespace varnite {

class Dispatcher {
 public:
  using Handler = std::function<void()>;

  void Bind(Control control, Handler handler);

  // Runs the handler bound to `control` to its end. Returns false, and runs nothing,
  // while another command is running or when no handler is bound to `control`.
  bool Click(Control control);
  // Runs `command` under the same one-at-a-time rule: for ways in other than a button.
  bool Run(const Handler& command);

  bool Busy() const { return busy_; }

 private:
  std::map<Control, Handler> handlers_;
  bool busy_ = false;
};

}  // namespace varnite
