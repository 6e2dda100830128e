// A MainWindow that records what the handlers do, and a Shell that records what the ways in
// do, as one line per event, and answers the file dialog from a script.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "window/main_window.h"
#include "window/ways_in.h"

namespace varnite::testing {

class FakeWindow final : public MainWindow, public Shell {
 public:
  FakeWindow();

  std::string Caption(Control control) const override;
  void SetCaption(Control control, const std::string& text) override;
  void SetVisible(Control control, bool visible) override;
  bool ShowOpenDialog() override;
  std::string ChosenPath() const override;
  void SetChosenPath(const std::string& path) override { chosen_ = path; }
  void ShowMessage(const Message& message) override;
  void Beep() override;
  void BlockShutdown(const std::string& reason) override;
  void UnblockShutdown() override { events.push_back("unblock"); }
  void ShowWorking(bool working) override { events.push_back(working ? "working" : "arrow"); }
  void Close() override { events.push_back("close"); }

  // The next ShowOpenDialog chooses `path`; with no choice queued it is cancelled.
  void QueueChoice(const std::string& path) { choices_.push_back(path); }
  void QueueCancel() { choices_.push_back(std::nullopt); }

  bool Visible(Control control) const;
  int ChosenPathReads() const { return pathReads_; }

  // "box[info|Varnite] text", "beep", "set lblCreate=text", "show txtAbout", "dialog",
  // "block <reason>", "unblock", "working", "arrow", "close".
  std::vector<std::string> events;
  // Called while the dialog or a box is open, with its event just recorded: what a real
  // one's message loop would deliver meanwhile (a drop, say) happens here.
  std::function<void(std::string event)> whileOpen;  // a copy: it may add events

 private:
  std::map<Control, std::string> captions_;
  std::map<Control, bool> visible_;
  std::deque<std::optional<std::string>> choices_;
  std::string chosen_;
  mutable int pathReads_ = 0;
};

const char* ControlName(Control control);

}  // namespace varnite::testing
