#include "cuesheet/given_paths.h"

#include "cuesheet/protection_tracks.h"

namespace varnite {
namespace {

constexpr char kOnlyCueSheets[] = "Only A Cue Sheet (*.cue) Can Be Used.\r\n";

// Said before anything is opened: the label keeps its text, so it still tells the outcome
// of the last edit.
void Refuse(MainWindow& window, const std::string& why) {
  window.ShowMessage({why + "\r\n\r\nNothing Was Opened.", MessageIcon::Critical});
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool IsCueSheetName(const std::string& path) {
  static constexpr char kExtension[] = ".cue";
  constexpr std::size_t kLength = sizeof kExtension - 1;
  if (path.size() < kLength) return false;
  for (std::size_t i = 0; i < kLength; ++i) {
    if (Lower(path[path.size() - kLength + i]) != kExtension[i]) return false;
  }
  return true;
}

void OpenGivenCueSheet(MainWindow& window, FileSystem& files,
                       const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  // Several at once would mean several edits behind one gesture, each with its boxes;
  // which sheets got their tracks would be easy to lose track of.
  if (paths.size() > 1) {
    Refuse(window, "Please Drop One Cue Sheet At A Time.");
    return;
  }
  const std::string& path = paths.front();
  // A folder first, whatever its name; then the name, so that a disc image dropped by
  // mistake is never opened at all.
  const PathKind kind = files.KindOf(path);
  if (kind == PathKind::Folder) {
    Refuse(window, std::string(kOnlyCueSheets) + "This Is A Folder:\r\n" + path);
    return;
  }
  if (!IsCueSheetName(path)) {
    Refuse(window, std::string(kOnlyCueSheets) + "This File Is Not One:\r\n" + path);
    return;
  }
  // The dialog only lets existing files be chosen; a path typed on a command line may
  // name none, and three "File not found" retries would say less than this.
  if (kind == PathKind::Missing) {
    Refuse(window, "This Cue Sheet Cannot Be Found:\r\n" + path);
    return;
  }
  window.SetChosenPath(path);
  EditChosenCueSheet(window, files);
}

}  // namespace varnite
