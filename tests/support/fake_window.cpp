#include "tests/support/fake_window.h"

#include "window/control_table.h"

namespace varnite::testing {

const char* ControlName(Control control) { return RowOf(control).name; }

// The window as it is at start: every control's initial text and visibility.
FakeWindow::FakeWindow() {
  for (const ControlRow& row : kControlTable) {
    captions_[row.control] = row.initialText;
    visible_[row.control] = row.visibleAtStart;
  }
}

std::string FakeWindow::Caption(Control control) const {
  auto it = captions_.find(control);
  return it == captions_.end() ? std::string() : it->second;
}

void FakeWindow::SetCaption(Control control, const std::string& text) {
  captions_[control] = text;
  events.push_back(std::string("set ") + ControlName(control) + "=" + text);
}

void FakeWindow::SetVisible(Control control, bool visible) {
  visible_[control] = visible;
  events.push_back(std::string(visible ? "show " : "hide ") + ControlName(control));
}

bool FakeWindow::Visible(Control control) const {
  auto it = visible_.find(control);
  return it != visible_.end() && it->second;
}

bool FakeWindow::ShowOpenDialog() {
  events.push_back("dialog");
  if (whileOpen) whileOpen(events.back());
  if (choices_.empty()) return false;
  auto choice = choices_.front();
  choices_.pop_front();
  if (!choice) return false;
  chosen_ = *choice;
  return true;
}

std::string FakeWindow::ChosenPath() const {
  ++pathReads_;
  return chosen_;
}

void FakeWindow::ShowMessage(const Message& message) {
  const char* icon = message.icon == MessageIcon::Information ? "info"
                     : message.icon == MessageIcon::Critical  ? "critical"
                                                              : "none";
  events.push_back(std::string("box[") + icon + "|" + message.title + "] " + message.text);
  if (whileOpen) whileOpen(events.back());
}

void FakeWindow::Beep() { events.push_back("beep"); }

void FakeWindow::BlockShutdown(const std::string& reason) { events.push_back("block " + reason); }

}  // namespace varnite::testing
