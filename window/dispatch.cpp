#include "window/dispatch.h"

namespace varnite {

void Dispatcher::Bind(Control control, Handler handler) {
  handlers_[control] = std::move(handler);
}

bool Dispatcher::Click(Control control) {
  auto it = handlers_.find(control);
  return it != handlers_.end() && Run(it->second);
}

bool Dispatcher::Run(const Handler& command) {
  if (busy_) return false;
  // Cleared however the command ends, so a failure the shell reports does not leave
  // every button dead.
  struct Running {
    bool& busy;
    explicit Running(bool& flag) : busy(flag) { busy = true; }
    ~Running() { busy = false; }
  } running(busy_);
  command();
  return true;
}

}  // namespace varnite
