#include "cuesheet/sheet_checks.h"

#include <algorithm>
#include <cstdio>

#include "cuesheet/protection_block.h"
#include "cuesheet/track_scan.h"
#include "window/box_text.h"

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

// How much of a sheet's end is kept to look for an unfinished protection block: more than
// the longest block's lines.
constexpr std::size_t kTailKept = 128;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Control bytes a text file may hold: tab, the line ends, form feed (a page break some
// editors keep) and SUB, the end-of-file mark DOS editors wrote. Any other, NUL above all,
// is found in disc images, UTF-16 text and damaged files, never in a cue sheet.
bool IsTextByte(unsigned char c) {
  return c >= 0x20 || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x1A;
}

// Passes a file's bytes on to the track scan, judging each on the way: the first two, the
// first byte that is not text (after which it reads nothing more, so a disc image is not
// read to its end), and the last kTailKept.
class TextWatch final : public InputFile {
 public:
  explicit TextWatch(InputFile& from) : from_(from) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    if (foundNonText_) return 0;
    std::size_t got = from_.Read(buffer, size);
    for (std::size_t i = 0; i < got; ++i) {
      if (!IsTextByte(static_cast<unsigned char>(buffer[i]))) {
        foundNonText_ = true;
        nonText_ = static_cast<unsigned char>(buffer[i]);
        nonTextOffset_ = read_ + i;
        got = i;
        break;
      }
    }
    if (head_.size() < 2) head_.append(buffer, std::min<std::size_t>(got, 2 - head_.size()));
    tail_.append(buffer, got);
    if (tail_.size() > 2 * kTailKept) tail_.erase(0, tail_.size() - kTailKept);
    read_ += got;
    return got;
  }
  bool IsUtf16() const { return head_ == "\xFF\xFE" || head_ == "\xFE\xFF"; }
  bool foundNonText() const { return foundNonText_; }
  unsigned char nonText() const { return nonText_; }
  std::uint64_t nonTextOffset() const { return nonTextOffset_; }
  const std::string& tail() const { return tail_; }
  std::uint64_t read() const { return read_; }

 private:
  InputFile& from_;
  std::string head_, tail_;
  std::uint64_t read_ = 0;
  bool foundNonText_ = false;
  unsigned char nonText_ = 0;
  std::uint64_t nonTextOffset_ = 0;
};

std::string NotTextRefusal(unsigned char byte, std::uint64_t offset) {
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", byte);
  const std::string what = byte == 0 ? "A NUL Byte" : std::string("The Control Byte ") + hex;
  return "This File Is Not A Text File: It Holds " + what + " At Offset " + std::to_string(offset) +
         " (Counting From 0).\r\nA Disc Image Or Other Binary File Holds Such Bytes; A Cue "
         "Sheet Saved As Unicode Text Holds NUL Bytes Too.\r\nIf It Is A Cue Sheet, " +
         std::string(kSaveAsAnsi) + kNothingAdded;
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
  const std::string shown = PathForBox(path);
  if (kind == PathKind::Folder) {
    return kOnlyCueSheets + ("This Is A Folder:\r\n" + shown) + kNothingOpened;
  }
  if (!IsCueSheetName(path)) {
    return kOnlyCueSheets + ("This File Is Not One:\r\n" + shown) + kNothingOpened;
  }
  // A path typed on a command line may name nothing; three "File not found" retries
  // would say less than this.
  if (kind == PathKind::Missing) {
    return "This Cue Sheet Cannot Be Found:\r\n" + shown + kNothingOpened;
  }
  return std::string();
}

std::string OpenedFileRefusal(EditHandle& sheet, const std::string& path,
                              StepFailureHandler& onFailure) {
  // The look at the path came before the open, and what stands there may have changed
  // since, or a name may stand for something else: NUL.cue is the NUL device, and a link
  // named .cue may lead to a disc image.
  const std::string shown = PathForBox(path);
  switch (AttemptStep(onFailure, [&] { return sheet.Kind(); })) {
    case OpenedKind::DiskFile:
      break;
    case OpenedKind::Folder:
      return kOnlyCueSheets + ("This Is A Folder:\r\n" + shown) + kNothingAdded;
    case OpenedKind::NotDiskFile:
      return kOnlyCueSheets + ("This Is A Device Or A Pipe, Not A File On A Disk:\r\n" + shown) +
             kNothingAdded;
    case OpenedKind::Link:
      return kOnlyCueSheets + ("This Is A Link To Another File:\r\n" + shown) + kNothingAdded;
  }
  const std::string finalPath = AttemptStep(onFailure, [&] { return sheet.FinalPath(); });
  if (!finalPath.empty() && !IsCueSheetName(finalPath)) {
    return kOnlyCueSheets +
           ("This Name Leads To A File That Is Not One:\r\n" + shown + "\r\nLeads To:\r\n" +
            PathForBox(finalPath)) +
           kNothingAdded;
  }
  return std::string();
}

std::string ContentRefusal(EditHandle& sheet, StepFailureHandler& onFailure, SheetFacts& facts) {
  // One read of the whole sheet serves every check below and the first pass's track scan.
  HandleReader reader(sheet, 0);
  TextWatch text(reader);
  const TrackRecords tracks = ScanTrackRecords(text, onFailure);

  // Appending 8-bit lines to UTF-16 text would spoil it, and the scan cannot read it.
  if (text.IsUtf16()) {
    return "This Cue Sheet Is Saved As Unicode Text.\r\n" + std::string(kSaveAsAnsi) +
           kNothingAdded;
  }
  if (text.foundNonText()) return NotTextRefusal(text.nonText(), text.nonTextOffset());
  if (EndsInUnfinishedBlock(text.tail())) {
    return "This Cue Sheet Ends With An Unfinished Protection Track, Left By An Edit That "
           "Could Not Write All Of It.\r\nDelete The Lines After Its Last Whole Track, Then "
           "Select It Again." +
           std::string(kNothingAdded);
  }
  // A track record whose number is not a number goes to the retry rule, exactly as the
  // retry rule's own scan would have it: shown, tried again, and after the third failure
  // the edit is given up with nothing written. Only now, so that a binary file with TRACK
  // somewhere in it is told apart as such first.
  if (tracks.anyBadNumber) {
    AttemptStep(onFailure, [&] { return TrackNumberOf(tracks.firstBadNumber); });
  }
  facts.lastTrack = tracks.any ? TrackNumberOf(tracks.last) : 0;
  facts.length = text.read();
  if (facts.lastTrack < kLowestLastTrack) {
    return "This Cue Sheet's Last Track Number Is Below Zero, Which No CD Track Has.\r\n"
           "Its Last Track Is " +
           std::to_string(facts.lastTrack) + ". Correct That Line First, Then Select It Again." +
           kNothingAdded;
  }
  // A CD holds no track past 99. The retry rule's scan reads two characters of a number,
  // so "TRACK 100" would read back as 10 and number the next tracks twice over: the gate
  // reads the last number as written, every digit of it.
  const std::int64_t written =
      tracks.any ? std::max<std::int64_t>(WrittenTrackNumber(tracks.last), facts.lastTrack) : 0;
  if (written > kHighestLastTrack) {
    return "This Cue Sheet Already Has Too Many Tracks To Take The Three Protection "
           "Tracks.\r\nIts Last Track Is " +
           std::to_string(written) + " And A CD Holds No More Than 99." + kNothingAdded;
  }
  // "TRACK 007" is track 7, but the retry rule's scan reads its first two digits, 00, and
  // would number the new tracks 01 to 03, which the sheet already has.
  if (tracks.any && written != facts.lastTrack) {
    return "This Cue Sheet's Last Track Number Is Written With More Than Two Digits.\r\n"
           "Its Last Track Is " +
           std::to_string(written) + ". Write It As " +
           FormatTrackNumber(static_cast<std::int32_t>(written)) + " First, Then Select It Again." +
           kNothingAdded;
  }
  return std::string();
}

}  // namespace varnite
