#include "window/ways_in.h"

#include <utility>

#include "window/hand_over.h"

namespace varnite {

WaysIn::WaysIn(MainWindow& window, Shell& shell, OpenCommand open)
    : window_(window), shell_(shell), open_(std::move(open)) {}

void WaysIn::Click(Control control) {
  RunWayIn([&] { dispatcher_.Click(control); });
}

void WaysIn::OpenPaths(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  RunWayIn([&] {
    if (!dispatcher_.Run([&] { open_(paths); })) window_.Beep();
  });
}

bool WaysIn::KeepStartPaths(std::vector<std::string> paths) {
  startPaths_ = std::move(paths);
  return !startPaths_.empty();
}

void WaysIn::OpenStartPaths() {
  const std::vector<std::string> paths = std::move(startPaths_);
  startPaths_.clear();
  OpenPaths(paths);
}

bool WaysIn::HandOver(std::uintptr_t tag, const void* block, std::size_t bytes,
                      const SenderCheck& isVarnite, const std::function<void()>& answer) {
  if (dispatcher_.Ended()) return false;
  const auto handed = DecodeHandOver(tag, block, bytes);
  if (!handed || !isVarnite(handed->sender)) return false;
  std::vector<std::string> paths;
  for (const std::u16string& path : handed->paths) paths.push_back(Utf16ToUtf8(path));
  answer();
  OpenPaths(paths);
  return true;
}

void WaysIn::Close() {
  if (!dispatcher_.Ended() && dispatcher_.RequestClose()) shell_.Close();
}

bool WaysIn::MayEndSession() const { return !dispatcher_.Busy(); }

void WaysIn::EndSession(bool ending) {
  if (ending) Close();
}

void WaysIn::RunWayIn(const std::function<void()>& wayIn) {
  // Once the program has ended nothing more is taken; the window is on its way out.
  if (dispatcher_.Ended()) return;
  if (dispatcher_.Busy()) {
    wayIn();
    return;
  }
  shell_.BlockShutdown(kShutdownBlockReason);
  shell_.ShowWorking(true);
  wayIn();
  shell_.ShowWorking(false);
  shell_.UnblockShutdown();
  if (dispatcher_.Ended()) shell_.Close();
}

}  // namespace varnite
