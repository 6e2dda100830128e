#include "cuesheet/protection_tracks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <functional>

#include "tests/support/fake_window.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/test_files.h"

namespace varnite {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

constexpr char kCue[] = "D:\\Discs\\album.cue";

TEST(FormatTrackNumber, PadsBelowTenOnly) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "00"}, {3, "03"}, {9, "09"}, {10, "10"}, {99, "99"}, {100, "100"}, {-1, "0-1"}};
  for (auto [number, text] : cases) EXPECT_EQ(FormatTrackNumber(number), text) << number;
}

TEST(ProtectionTrackBlock, HasTheExactLinesOfEachPass) {
  EXPECT_EQ(ProtectionTrackBlock(3, " Audio", true),
            "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 03 Audio\r\n"
            "Pregap 00:10:00\r\nIndex 01 00:00:00\r\n");
  EXPECT_EQ(ProtectionTrackBlock(4, " mode1/2352", false),
            "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 04 mode1/2352\r\n"
            "Index 01 00:00:00\r\n");
  EXPECT_EQ(ProtectionTrackBlock(12, " Audio", true).size(), 86u);
  EXPECT_EQ(ProtectionTrackBlock(12, " mode2/2352", false).size(), 74u);
}

// A count left over from an earlier block starts afresh: the whole block goes out.
TEST(AppendProtectionTrack, CountsTheBlockFromItsFirstByte) {
  testing::MemoryFileSystem files;
  files.files[kCue] = "";
  NoRetry noRetry;
  std::size_t written = 50;
  AppendProtectionTrack(files, kCue, 3, " Audio", true, noRetry, written);
  EXPECT_EQ(files.files.at(kCue), ProtectionTrackBlock(3, " Audio", true));
  EXPECT_EQ(written, 86u);
}

// The three blocks one successful run appends after track `last`.
std::string Blocks(int first) {
  return ProtectionTrackBlock(first, " Audio", true) +
         ProtectionTrackBlock(first + 1, " mode1/2352", false) +
         ProtectionTrackBlock(first + 2, " mode2/2352", false);
}

std::vector<std::string> SuccessEvents(const std::vector<std::string>& numbers) {
  std::vector<std::string> events = {"dialog", std::string("set lblCueSheet=") + kCue};
  for (const auto& n : numbers) {
    events.push_back("beep");
    events.push_back("box[none|Varnite] Track " + n + " has been added");
    events.push_back("beep");
  }
  events.push_back("set lblCueSheet=Protection Tracks Have Been Added");
  events.push_back(
      "box[info|Varnite] Now Record The Image Back To CD Using The Same Cue Sheet");
  return events;
}

struct EditCase {
  const char* what;
  std::string sheet;
  std::vector<std::string> numbers;
  std::string appended;
};
void PrintTo(const EditCase& c, std::ostream* os) { *os << c.what; }

// One click of CueSheet on `sheet`, chosen in the dialog and read in reads of `sizes`.
struct EditRun {
  EditRun(const std::string& sheet, const std::vector<std::size_t>& sizes) {
    files.files[kCue] = sheet;
    files.readSizes = sizes;
    window.QueueChoice(kCue);
    cmdEdit_Click(window, files);
  }
  testing::FakeWindow window;
  testing::MemoryFileSystem files;
};

class CueSheetEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(CueSheetEdit, AppendsThreeNumberedTracksAndKeepsEverythingBefore) {
  const EditCase& c = GetParam();
  for (const auto& sizes : testing::ReadPatterns()) {
    SCOPED_TRACE(testing::DescribeReads(sizes));
    const EditRun run(c.sheet, sizes);
    EXPECT_EQ(run.window.events, SuccessEvents(c.numbers));
    EXPECT_EQ(run.files.files.at(kCue), c.sheet + c.appended);
    EXPECT_EQ(run.files.openFiles, 0);
  }
}

const std::string kTwoTracks =
    "FILE \"album.bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    INDEX 01 10:00:00\r\n";

INSTANTIATE_TEST_SUITE_P(
    Sheets, CueSheetEdit,
    ::testing::Values(
        EditCase{"last track 02", kTwoTracks, {"03", "04", "05"}, Blocks(3)},
        EditCase{"no track record", "REM empty\r\n", {"01", "02", "03"}, Blocks(1)},
        EditCase{"last track 09", "  TRACK 09 AUDIO\r\n", {"10", "11", "12"}, Blocks(10)},
        EditCase{"last track 96 is still room for three", "  TRACK 96 AUDIO\r\n",
                 {"97", "98", "99"}, Blocks(97)},
        EditCase{"second run on the same sheet", kTwoTracks + Blocks(3), {"06", "07", "08"},
                 Blocks(6)},
        EditCase{"no line end at the end", "FILE \"a.wav\" WAVE\n  TRACK 04 AUDIO",
                 {"05", "06", "07"}, Blocks(5)},
        EditCase{"empty file", "", {"01", "02", "03"}, Blocks(1)},
        // Near misses of the UTF-16 byte order marks FF FE and FE FF, and a lone FF.
        EditCase{"FE 41", "\xFE" "A\r\nTRACK 02\r\n", {"03", "04", "05"}, Blocks(3)},
        EditCase{"41 FF", "A\xFF\r\nTRACK 02\r\n", {"03", "04", "05"}, Blocks(3)},
        EditCase{"FF 41", "\xFF" "A\r\nTRACK 02\r\n", {"03", "04", "05"}, Blocks(3)},
        EditCase{"41 FE", "A\xFE\r\nTRACK 02\r\n", {"03", "04", "05"}, Blocks(3)},
        EditCase{"one byte FF", "\xFF", {"01", "02", "03"}, Blocks(1)}),
    [](const auto& row) { return testing::TestName(row.param.what); });

TEST(CueSheetEdit, OneRunAdds234BytesWithTwoDigitNumbers) {
  EXPECT_EQ(Blocks(3).size(), 234u);
}

TEST(CueSheetEdit, ReadsThePathFromTheDialogBeforeEveryUse) {
  testing::FakeWindow window;
  testing::MemoryFileSystem files;
  files.files[kCue] = kTwoTracks;
  window.QueueChoice(kCue);
  cmdEdit_Click(window, files);
  // The empty-path check, the gate's look at the path, the label, the gate's look at the
  // contents (whose scan is the first pass's), two more scans and three appends.
  EXPECT_EQ(window.ChosenPathReads(), 9);
}

TEST(CueSheetEdit, ACancelledDialogTouchesNothing) {
  testing::FakeWindow window;
  testing::MemoryFileSystem files;
  files.files[kCue] = kTwoTracks;
  window.QueueCancel();
  cmdEdit_Click(window, files);
  EXPECT_THAT(window.events,
              ElementsAre("dialog", "box[critical|Varnite] Please Select A Cue Sheet",
                          "set lblCueSheet=There Was No CueSheet Selected"));
  EXPECT_EQ(files.files.at(kCue), kTwoTracks);
  EXPECT_EQ(files.opensForReading + files.opensForAppending, 0);
}

// Sheets the appender refuses: it says why and leaves them byte for byte as they were.
struct RefusalCase {
  const char* what;
  std::string sheet;
  std::string message;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.what; }

class CueSheetRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(CueSheetRefusal, AppendsNothingAndSaysWhy) {
  const RefusalCase& c = GetParam();
  for (const auto& sizes : testing::ReadPatterns()) {
    SCOPED_TRACE(testing::DescribeReads(sizes));
    const EditRun run(c.sheet, sizes);
    EXPECT_THAT(run.window.events,
                ElementsAre("dialog", std::string("set lblCueSheet=") + kCue,
                            "box[critical|Varnite] " + c.message +
                                "\r\n\r\nNothing Was Added To The Cue Sheet."));
    EXPECT_EQ(run.files.files.at(kCue), c.sheet);
    EXPECT_EQ(run.files.opensForAppending, 0);
  }
}

const char kTooMany[] =
    "This Cue Sheet Already Has Too Many Tracks To Take The Three Protection Tracks.\r\n"
    "Its Last Track Is ";
const char kUnicode[] =
    "This Cue Sheet Is Saved As Unicode Text.\r\nSave It As ANSI Text First, Then Select It "
    "Again.";

INSTANTIATE_TEST_SUITE_P(
    Sheets, CueSheetRefusal,
    ::testing::Values(
        RefusalCase{"97", "  TRACK 97 AUDIO\r\n",
                    std::string(kTooMany) + "97 And A CD Holds No More Than 99."},
        RefusalCase{"99", "  TRACK 99 AUDIO\r\n",
                    std::string(kTooMany) + "99 And A CD Holds No More Than 99."},
        RefusalCase{"UTF-16 LE", std::string("\xFF\xFE" "F\0I\0L\0E\0", 10), kUnicode},
        RefusalCase{"UTF-16 BE", std::string("\xFE\xFF\0F\0I\0L\0E", 10), kUnicode}),
    [](const auto& row) { return testing::TestName(row.param.what); });

TEST(CueSheetRefusal, TheRealUnicodeSheetIsRefused) {
  const std::string sheet = testing::ReadBytes(
      testing::JoinPath(testing::CueSheetsDir(), "cuesheetnet-utf16le-bom-crlf.cue"));
  testing::FakeWindow window;
  testing::MemoryFileSystem files;
  files.files[kCue] = sheet;
  window.QueueChoice(kCue);
  cmdEdit_Click(window, files);
  EXPECT_EQ(files.files.at(kCue), sheet);
  EXPECT_THAT(window.events.back(), StartsWith("box[critical|Varnite] " + std::string(kUnicode)));
}

// Failures after the file is chosen: "Err#: " and a retry, up to three failures of a step.
TEST(CueSheetFailures, ARetryThatSucceedsCarriesOnAsIfNothingHadFailed) {
  const struct {
    const char* what;
    void (*arrange)(testing::MemoryFileSystem&);
    std::size_t at;  // where the boxes come among the events of a clean run
    std::vector<std::string> boxes;
  } rows[] = {
      {"the first append opens at the third attempt",
       [](auto& fs) { fs.openAppendFailures = 2; }, 2,
       {"box[none|Varnite] Err#: 75 - Path/File access error",
        "box[none|Varnite] Err#: 75 - Path/File access error"}},
      {"a write fails part-way through the second track, then goes through",
       [](auto& fs) { fs.writeBreakAt = 86 + 30; }, 5,
       {"box[none|Varnite] Err#: 57 - Device I/O error"}},
      {"closing the file after the first track fails once",
       [](auto& fs) { fs.closeFailures = 1; }, 2,
       {"box[none|Varnite] Err#: 57 - Device I/O error"}},
      {"flushing the first track fails once", [](auto& fs) { fs.flushFailures = 1; }, 2,
       {"box[none|Varnite] Err#: 57 - Device I/O error"}},
  };
  for (const auto& row : rows) {
    testing::FakeWindow window;
    testing::MemoryFileSystem files;
    files.files[kCue] = kTwoTracks;
    row.arrange(files);
    window.QueueChoice(kCue);
    cmdEdit_Click(window, files);

    auto expected = SuccessEvents({"03", "04", "05"});
    expected.insert(expected.begin() + row.at, row.boxes.begin(), row.boxes.end());
    EXPECT_EQ(window.events, expected) << row.what;
    // Every block exactly once: the retry goes on from the first byte that did not go out.
    EXPECT_EQ(files.files.at(kCue), kTwoTracks + Blocks(3)) << row.what;
  }
}

struct FaultCase {
  const char* what;
  std::function<void(testing::MemoryFileSystem&)> arrange;
  std::vector<std::string> boxes;  // after the dialog and the label
  std::size_t appendedBytes;
};
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.what; }

class CueSheetFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(CueSheetFault, GivesUpAfterThreeFailuresAndKeepsTheOriginalBytes) {
  const FaultCase& c = GetParam();
  testing::FakeWindow window;
  testing::MemoryFileSystem files;
  files.files[kCue] = kTwoTracks;
  c.arrange(files);
  const std::string original = files.files.count(kCue) ? files.files.at(kCue) : std::string();
  window.QueueChoice(kCue);
  cmdEdit_Click(window, files);

  std::vector<std::string> expected = {"dialog", std::string("set lblCueSheet=") + kCue};
  expected.insert(expected.end(), c.boxes.begin(), c.boxes.end());
  EXPECT_EQ(window.events, expected);
  if (files.files.count(kCue)) {
    const std::string& after = files.files.at(kCue);
    EXPECT_EQ(after.substr(0, original.size()), original);
    EXPECT_EQ(after.size(), original.size() + c.appendedBytes);
  }
  EXPECT_EQ(window.Caption(Control::lblCueSheet), kCue);  // the label is left as it was
  EXPECT_EQ(files.openFiles, 0);
}

std::string Err(const char* line) { return std::string("box[none|Varnite] Err#: ") + line; }
std::string GiveUp(const char* line, const char* tail) {
  return std::string("box[critical|Varnite] The Cue Sheet Could Not Be Edited.\r\nErr#: ") +
         line + "\r\n\r\n" + tail;
}

// The first block went out whole, but the system never confirmed that it reached the disk.
std::vector<std::string> Unconfirmed() {
  return {Err("57 - Device I/O error"), Err("57 - Device I/O error"),
          GiveUp("57 - Device I/O error",
                 "No Protection Tracks Were Added.\r\n"
                 "The Cue Sheet Ends With An Unfinished Protection Track.")};
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CueSheetFault,
    ::testing::Values(
        FaultCase{"the sheet cannot be opened for reading",
                  [](auto& fs) { fs.openReadFailures = 3; },
                  {Err("75 - Path/File access error"), Err("75 - Path/File access error"),
                   GiveUp("75 - Path/File access error", "No Protection Tracks Were Added.")},
                  0},
        FaultCase{"read-only file",
                  [](auto& fs) { fs.readOnly.insert(kCue); },
                  {Err("70 - Permission denied"), Err("70 - Permission denied"),
                   GiveUp("70 - Permission denied", "No Protection Tracks Were Added.")},
                  0},
        FaultCase{"TRACK with no number",
                  [](auto& fs) { fs.files[kCue] += "  TRACK\r\n"; },
                  {Err("13 - Type mismatch"), Err("13 - Type mismatch"),
                   GiveUp("13 - Type mismatch", "No Protection Tracks Were Added.")},
                  0},
        FaultCase{"disk full part-way through the second track",
                  [](auto& fs) { fs.diskSpace = 86 + 30; },
                  {"beep", "box[none|Varnite] Track 03 has been added", "beep",
                   Err("61 - Disk full"), Err("61 - Disk full"),
                   GiveUp("61 - Disk full",
                          "Protection Tracks Added Before The Failure: 03.\r\n"
                          "The Cue Sheet Ends With An Unfinished Protection Track.")},
                  86 + 30},
        FaultCase{"disk full exactly after the first track",
                  [](auto& fs) { fs.diskSpace = 86; },
                  {"beep", "box[none|Varnite] Track 03 has been added", "beep",
                   Err("61 - Disk full"), Err("61 - Disk full"),
                   GiveUp("61 - Disk full", "Protection Tracks Added Before The Failure: 03.")},
                  86},
        FaultCase{"disk full one byte into the third track",
                  [](auto& fs) { fs.diskSpace = 86 + 74 + 1; },
                  {"beep", "box[none|Varnite] Track 03 has been added", "beep",
                   "beep", "box[none|Varnite] Track 04 has been added", "beep",
                   Err("61 - Disk full"), Err("61 - Disk full"),
                   GiveUp("61 - Disk full",
                          "Protection Tracks Added Before The Failure: 03, 04.\r\n"
                          "The Cue Sheet Ends With An Unfinished Protection Track.")},
                  86 + 74 + 1},
        // A drive or share that never takes the data: no success box, ever.
        FaultCase{"every flush fails", [](auto& fs) { fs.flushFailures = 3; }, Unconfirmed(), 86},
        FaultCase{"every close fails", [](auto& fs) { fs.closeFailures = 3; }, Unconfirmed(), 86},
        // The first track is whole, and nothing of the second was written.
        FaultCase{"the second scan cannot open the file",
                  [](auto& fs) { fs.openReadFailures = 3, fs.openReadFailuresFrom = 3; },
                  {"beep", "box[none|Varnite] Track 03 has been added", "beep",
                   Err("75 - Path/File access error"), Err("75 - Path/File access error"),
                   GiveUp("75 - Path/File access error",
                          "Protection Tracks Added Before The Failure: 03.")},
                  86}),
    [](const auto& row) { return testing::TestName(row.param.what); });

TEST(CueSheetFailures, ARealReadOnlyOrMissingFileIsNeverChanged) {
  const std::string dir = testing::ScratchDir("edit-faults");
  const std::string missing = testing::JoinPath(dir, "missing.cue");
  testing::FakeWindow window;
  window.QueueChoice(missing);
  cmdEdit_Click(window, RealFileSystem());
  EXPECT_EQ(window.events.back(),
            "box[critical|Varnite] This Cue Sheet Cannot Be Found:\r\n" + missing +
                "\r\n\r\nNothing Was Opened.");
  std::ifstream probe(missing);
  EXPECT_FALSE(probe.good()) << "appending created the missing file";
}

TEST(CueSheetEditRealFile, AppendsTheExactBytesInBinaryMode) {
  const std::string path = testing::JoinPath(testing::ScratchDir("edit-real"), "album.cue");
  const std::string lfSheet = "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
  testing::WriteBytes(path, lfSheet);
  testing::FakeWindow window;
  window.QueueChoice(path);
  cmdEdit_Click(window, RealFileSystem());
  EXPECT_EQ(testing::ReadBytes(path), lfSheet + Blocks(2));
}

}  // namespace
}  // namespace varnite
