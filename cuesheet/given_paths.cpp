#include "cuesheet/given_paths.h"

#include "cuesheet/protection_tracks.h"
#include "cuesheet/track_scan.h"

namespace varnite {
namespace {

constexpr char kOnlyCueSheets[] = "Only A Cue Sheet (*.cue) Can Be Used.\r\n";
constexpr char kNothingOpened[] = "\r\n\r\nNothing Was Opened.";
constexpr char kNothingAdded[] = "\r\n\r\nNothing Was Added To The Cue Sheet.";
constexpr char kSaveAsAnsi[] = "Save It As ANSI Text First, Then Select It Again.";

// Three tracks are appended, and a CD holds tracks 1 to 99. Track 0 may end a sheet (the
// next is 01); a number below that is no track at all.
constexpr std::int32_t kLowestLastTrack = 0;
constexpr std::int32_t kHighestLastTrack = 99 - 3;

// How much of the start of a file the text test looks at. Cue sheet keywords are ASCII,
// so UTF-16 text without a byte order mark has a NUL in every other byte of this.
constexpr std::size_t kTextTestBytes = 4096;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Up to kTextTestBytes from the start of the file, however the reads split them.
std::string FirstBytes(FileSystem& files, const std::string& path, StepFailureHandler& onFailure) {
  auto file = AttemptStep(onFailure, [&] { return files.OpenForReading(path); });
  std::string head(kTextTestBytes, '\0');
  std::size_t got = 0;
  while (got < head.size()) {
    const std::size_t more =
        AttemptStep(onFailure, [&] { return file->Read(&head[got], head.size() - got); });
    if (more == 0) break;
    got += more;
  }
  head.resize(got);
  return head;
}

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

std::string PathRefusal(FileSystem& files, const std::string& path) {
  // A folder first, whatever its name; then the name, so that a disc image or another
  // recorder's .toc is never opened at all, even when it is typed into the dialog.
  const PathKind kind = files.KindOf(path);
  if (kind == PathKind::Folder) {
    return kOnlyCueSheets + ("This Is A Folder:\r\n" + path) + kNothingOpened;
  }
  if (!IsCueSheetName(path)) {
    return kOnlyCueSheets + ("This File Is Not One:\r\n" + path) + kNothingOpened;
  }
  // A path typed on a command line may name nothing; three "File not found" retries
  // would say less than this.
  if (kind == PathKind::Missing) {
    return "This Cue Sheet Cannot Be Found:\r\n" + path + kNothingOpened;
  }
  return std::string();
}

std::string ContentRefusal(FileSystem& files, const std::string& path,
                           StepFailureHandler& onFailure, std::int32_t& lastTrack) {
  // Appending 8-bit lines to UTF-16 text would spoil it, and the scan cannot read it.
  const std::string head = FirstBytes(files, path, onFailure);
  if (head.compare(0, 2, "\xFF\xFE") == 0 || head.compare(0, 2, "\xFE\xFF") == 0) {
    return "This Cue Sheet Is Saved As Unicode Text.\r\n" + std::string(kSaveAsAnsi) +
           kNothingAdded;
  }
  if (head.find('\0') != std::string::npos) {
    return "This Cue Sheet Holds NUL Bytes, So It Is Not ANSI Text (It May Be Unicode "
           "Text).\r\n" +
           std::string(kSaveAsAnsi) + kNothingAdded;
  }
  // The gate refuses only what it has positively found. A step of this scan that fails
  // (the file is locked, a read fails, a TRACK has no number) goes to the edit's retry
  // rule, exactly as the edit's own scan would: this scan is the first pass's scan, so
  // the failure is shown, the step tried again, and after the third failure the edit is
  // given up with nothing written.
  lastTrack = FindLastTrackNumber(files, path, 0, onFailure);
  if (lastTrack < kLowestLastTrack) {
    return "This Cue Sheet's Last Track Number Is Below Zero, Which No CD Track Has.\r\n"
           "Its Last Track Is " +
           std::to_string(lastTrack) + ". Correct That Line First, Then Select It Again." +
           kNothingAdded;
  }
  // Numbers past 99 do not exist on a CD, and the scan would read "Track 100" back as 10,
  // numbering the next tracks twice over.
  if (lastTrack > kHighestLastTrack) {
    return "This Cue Sheet Already Has Too Many Tracks To Take The Three Protection "
           "Tracks.\r\nIts Last Track Is " +
           std::to_string(lastTrack) + " And A CD Holds No More Than 99." + kNothingAdded;
  }
  return std::string();
}

void OpenGivenCueSheet(MainWindow& window, FileSystem& files,
                       const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  // Several at once would mean several edits behind one gesture, each with its boxes;
  // which sheets got their tracks would be easy to lose track of.
  if (paths.size() > 1) {
    window.ShowMessage({std::string("Please Drop One Cue Sheet At A Time.") + kNothingOpened,
                        MessageIcon::Critical});
    return;
  }
  window.SetChosenPath(paths.front());
  EditChosenCueSheet(window, files);
}

}  // namespace varnite
