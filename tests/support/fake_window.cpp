#include "tests/support/fake_window.h"

namespace varnite::testing {

const char* ControlName(Control control) {
  switch (control) {
    case Control::cmdCreate: return "cmdCreate";
    case Control::lblCreate: return "lblCreate";
    case Control::cmdEdit: return "cmdEdit";
    case Control::lblCueSheet: return "lblCueSheet";
    case Control::cmdHelp: return "cmdHelp";
    case Control::lblHelp: return "lblHelp";
    case Control::cmdAbout: return "cmdAbout";
    case Control::lblAbout: return "lblAbout";
    case Control::txtAbout: return "txtAbout";
    case Control::txtHelp: return "txtHelp";
  }
  return "?";
}

FakeWindow::FakeWindow()
    : captions_{{Control::cmdCreate, "Create File"},
                {Control::lblCreate, "This Will Create A Dummy File On Drive C:"},
                {Control::cmdEdit, "CueSheet"},
                {Control::lblCueSheet, "Select Your CDRwin CueSheet For Editing"},
                {Control::cmdHelp, "Help Please"},
                {Control::lblHelp, "How The Hell Do I Work This Program ?"},
                {Control::cmdAbout, "About Varnite"},
                {Control::lblAbout, "Its Polite To Read The About Bit Yer Know !"}} {}

std::string FakeWindow::Caption(Control control) const {
  auto it = captions_.find(control);
  return it == captions_.end() ? std::string() : it->second;
}

void FakeWindow::SetCaption(Control control, const std::string& text) {
  captions_[control] = text;
  events.push_back(std::string("set ") + ControlName(control) + "=" + text);
}

void FakeWindow::SetPanelVisible(Control panel, bool visible) {
  visible_[panel] = visible;
  events.push_back(std::string(visible ? "show " : "hide ") + ControlName(panel));
}

bool FakeWindow::PanelVisible(Control panel) const {
  auto it = visible_.find(panel);
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

}  // namespace varnite::testing
