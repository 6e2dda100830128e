#include "window/dispatch.h"

namespace varnite {

void Dispatcher::Bind(Control control, Handler handler) { handlers_[control] = std::move(handler); }

void Dispatcher::ReportUncaughtFailures(FailureReport report) { report_ = std::move(report); }

bool Dispatcher::Click(Control control) {
  auto it = handlers_.find(control);
  return it != handlers_.end() && Run(it->second);
}

bool Dispatcher::Run(const Handler& command) {
  if (busy_ || ended_) return false;
  // Cleared however the command ends, so a failure that goes on to the caller does not
  // leave every button dead; a close asked for meanwhile is carried out however it ends.
  struct Running {
    Dispatcher& self;
    explicit Running(Dispatcher& dispatcher) : self(dispatcher) { self.busy_ = true; }
    ~Running() {
      self.busy_ = false;
      if (self.closeRequested_) self.ended_ = true;
    }
  } running(*this);
  try {
    command();
  } catch (...) {
    if (!report_) throw;
    report_(std::current_exception());
    // Set only once the report is done: a click dropped while its box is open must not
    // look like the end of the program to whoever sent it.
    ended_ = true;
  }
  return true;
}

bool Dispatcher::RequestClose() {
  if (busy_) {
    closeRequested_ = true;
    return false;
  }
  ended_ = true;
  return true;
}

}  // namespace varnite
