#include "cuesheet/edit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <functional>

#include "cuesheet/protection_block.h"
#include "tests/support/fake_window.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/test_files.h"

namespace varnite {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

constexpr char kCue[] = "D:\\Discs\\album.cue";

// A count left over from an earlier block starts afresh: the whole block goes out.
TEST(AppendProtectionTrack, CountsTheBlockFromItsFirstByte) {
  testing::MemoryFileSystem files;
  files.files[kCue] = "";
  NoRetry noRetry;
  std::size_t written = 50;
  AppendProtectionTrack(*files.OpenForEditing(kCue), ProtectionTrackBlock(3, " Audio", true),
                        noRetry, written);
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
  events.push_back("box[info|Varnite] Now Record The Image Back To CD Using The Same Cue Sheet");
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
        EditCase{"last track 96 is still room for three",
                 "  TRACK 96 AUDIO\r\n",
                 {"97", "98", "99"},
                 Blocks(97)},
        EditCase{
            "second run on the same sheet", kTwoTracks + Blocks(3), {"06", "07", "08"}, Blocks(6)},
        EditCase{"no line end at the end",
                 "FILE \"a.wav\" WAVE\n  TRACK 04 AUDIO",
                 {"05", "06", "07"},
                 Blocks(5)},
        EditCase{"empty file", "", {"01", "02", "03"}, Blocks(1)},
        // Near misses of the UTF-16 byte order marks FF FE and FE FF, and a lone FF.
        EditCase{"FE 41",
                 "\xFE"
                 "A\r\nTRACK 02\r\n",
                 {"03", "04", "05"},
                 Blocks(3)},
        EditCase{"41 FF", "A\xFF\r\nTRACK 02\r\n", {"03", "04", "05"}, Blocks(3)},
        EditCase{"FF 41",
                 "\xFF"
                 "A\r\nTRACK 02\r\n",
                 {"03", "04", "05"},
                 Blocks(3)},
        EditCase{"41 FE", "A\xFE\r\nTRACK 02\r\n", {"03", "04", "05"}, Blocks(3)},
        EditCase{"one byte FF", "\xFF", {"01", "02", "03"}, Blocks(1)},
        // The control bytes text may hold, and 8-bit text.
        EditCase{"tabs, a Latin-1 title, a form feed and an end-of-file mark",
                 "TITLE \"Caf\xE9 Mus\xEEque\"\r\n\tTRACK 01 AUDIO\r\n\f\r\n"
                 "\tTRACK 02 AUDIO\r\n\x1A",
                 {"03", "04", "05"},
                 Blocks(3)},
        // Only the last track's number is read in full, and below 97 the scan's reading stands.
        EditCase{"TRACK 100 before the last",
                 "TRACK 100\r\nTRACK 07\r\n",
                 {"08", "09", "10"},
                 Blocks(8)}),
    [](const auto& row) { return testing::TestName(row.param.what); });

TEST(CueSheetEdit, OneRunAdds234BytesWithTwoDigitNumbers) { EXPECT_EQ(Blocks(3).size(), 234u); }

// One handle for the whole edit, and one full read of the sheet: each later pass reads only
// the block the pass before appended. The path chosen is kept, whatever the window holds.
TEST(CueSheetEdit, OpensTheSheetOnceAndReadsItOnce) {
  testing::FakeWindow window;
  testing::MemoryFileSystem files;
  files.files[kCue] = kTwoTracks;
  files.files["D:\\other.cue"] = kTwoTracks;
  window.whileOpen = [&](const std::string&) { window.SetChosenPath("D:\\other.cue"); };
  window.QueueChoice(kCue);
  cmdEdit_Click(window, files);
  EXPECT_EQ(files.files.at(kCue), kTwoTracks + Blocks(3));
  EXPECT_EQ(files.files.at("D:\\other.cue"), kTwoTracks);
  EXPECT_EQ(files.opensForEditing, 1);
  EXPECT_EQ(files.opensForReading + files.opensForAppending, 0);
  EXPECT_EQ(files.bytesRead, kTwoTracks.size() + Blocks(3).size() -
                                 ProtectionTrackBlock(5, " mode2/2352", false).size());
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
  EXPECT_EQ(files.opensForReading + files.opensForAppending + files.opensForEditing, 0);
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
    EXPECT_THAT(run.window.events, ElementsAre("dialog", std::string("set lblCueSheet=") + kCue,
                                               "box[critical|Varnite] " + c.message +
                                                   "\r\n\r\nNothing Was Added To The Cue Sheet."));
    EXPECT_EQ(run.files.files.at(kCue), c.sheet);
    EXPECT_EQ(run.files.bytesWritten, 0u);
  }
}

const char kTooMany[] =
    "This Cue Sheet Already Has Too Many Tracks To Take The Three Protection Tracks.\r\n"
    "Its Last Track Is ";
const char kTooManyDigits[] =
    "This Cue Sheet's Last Track Number Is Written With More Than Two Digits.\r\n"
    "Its Last Track Is ";
const char kUnicode[] =
    "This Cue Sheet Is Saved As Unicode Text.\r\nSave It As ANSI Text First, Then Select It "
    "Again.";

std::string NotText(const std::string& what, std::size_t offset) {
  return "This File Is Not A Text File: It Holds " + what + " At Offset " + std::to_string(offset) +
         " (Counting From 0).\r\nA Disc Image Or Other Binary File Holds Such Bytes; A Cue "
         "Sheet Saved As Unicode Text Holds NUL Bytes Too.\r\nIf It Is A Cue Sheet, Save It As "
         "ANSI Text First, Then Select It Again.";
}
const char kUnfinished[] =
    "This Cue Sheet Ends With An Unfinished Protection Track, Left By An Edit That Could Not "
    "Write All Of It.\r\nDelete The Lines After Its Last Whole Track, Then Select It Again.";

INSTANTIATE_TEST_SUITE_P(
    Sheets, CueSheetRefusal,
    ::testing::Values(
        RefusalCase{"97", "  TRACK 97 AUDIO\r\n",
                    std::string(kTooMany) + "97 And A CD Holds No More Than 99."},
        RefusalCase{"99", "  TRACK 99 AUDIO\r\n",
                    std::string(kTooMany) + "99 And A CD Holds No More Than 99."},
        // The last track as written, every digit of it.
        RefusalCase{"100", "  TRACK 100 AUDIO\r\n",
                    std::string(kTooMany) + "100 And A CD Holds No More Than 99."},
        RefusalCase{"123 as a quoted field", "\"TRACK 123\"\r\n",
                    std::string(kTooMany) + "123 And A CD Holds No More Than 99."},
        RefusalCase{"0995", "  TRACK 0995 AUDIO\r\n",
                    std::string(kTooMany) + "995 And A CD Holds No More Than 99."},
        // Fewer than 97, but written with a leading zero the scan's reading would drop.
        RefusalCase{"007, read as 00", "TRACK 05\r\n  TRACK 007 AUDIO\r\n",
                    std::string(kTooManyDigits) + "7. Write It As 07 First, Then Select It Again."},
        RefusalCase{"096, read as 09", "  TRACK 096 AUDIO\r\n",
                    std::string(kTooManyDigits) +
                        "96. Write It As 96 First, Then Select It Again."},
        RefusalCase{"more digits than are kept", "TRACK 0" + std::string(30, '1'),
                    std::string(kTooMany) + "999999999 And A CD Holds No More Than 99."},
        RefusalCase{"UTF-16 LE",
                    std::string("\xFF\xFE"
                                "F\0I\0L\0E\0",
                                10),
                    kUnicode},
        RefusalCase{"UTF-16 BE", std::string("\xFE\xFF\0F\0I\0L\0E", 10), kUnicode},
        // Bytes no text holds, anywhere, named with where they are; a binary file is told
        // apart as such before a TRACK in it is read as a number.
        RefusalCase{"NUL past 4 KiB", kTwoTracks + std::string(5000, ' ') + '\0' + "TRACK 02",
                    NotText("A NUL Byte", kTwoTracks.size() + 5000)},
        RefusalCase{"no NUL, a bell", "TRACK xy\r\n\x07\x80", NotText("The Control Byte 07", 10)},
        RefusalCase{"DOS's last control byte before SUB", "\x19",
                    NotText("The Control Byte 19", 0)},
        RefusalCase{"ends in a file record and \"Track \"",
                    kTwoTracks + "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack ", kUnfinished}),
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
      {"the sheet opens at the third attempt",
       [](auto& fs) { fs.openEditFailures = 2; },
       2,
       {"box[none|Varnite] Err#: 75 - Path/File access error",
        "box[none|Varnite] Err#: 75 - Path/File access error"}},
      {"a write stops part-way through the second track, then fails, then goes through",
       [](auto& fs) { fs.writeBreakAt = 86 + 30; },
       5,
       {"box[none|Varnite] Err#: 61 - Disk full", "box[none|Varnite] Err#: 57 - Device I/O error"}},
      {"a write takes half the block and says nothing, twice",
       [](auto& fs) { fs.shortWrites = 2; },
       2,
       {"box[none|Varnite] Err#: 61 - Disk full", "box[none|Varnite] Err#: 61 - Disk full"}},
      {"flushing the first track fails once",
       [](auto& fs) { fs.flushFailures = 1; },
       2,
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
    expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(row.at), row.boxes.begin(),
                    row.boxes.end());
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
  return std::string("box[critical|Varnite] The Cue Sheet Could Not Be Edited.\r\nErr#: ") + line +
         "\r\n\r\n" + tail;
}

const char kTrack03Added[] = "box[none|Varnite] Track 03 has been added";
std::string Removed(const char* number) {
  return std::string("\r\nWhat Was Written Of Track ") + number +
         " Has Been Removed Again: The Cue Sheet Ends With Whole Tracks Only.";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CueSheetFault,
    ::testing::Values(
        FaultCase{"the sheet cannot be opened",
                  [](auto& fs) { fs.openEditFailures = 3; },
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
        // A block that cannot be written whole is cut back out: whole tracks only.
        FaultCase{
            "disk full part-way through the second track",
            [](auto& fs) { fs.diskSpace = 86 + 30; },
            {"beep", kTrack03Added, "beep", Err("61 - Disk full"), Err("61 - Disk full"),
             GiveUp("61 - Disk full",
                    ("Protection Tracks Added Before The Failure: 03." + Removed("04")).c_str())},
            86},
        FaultCase{"disk full exactly after the first track",
                  [](auto& fs) { fs.diskSpace = 86; },
                  {"beep", kTrack03Added, "beep", Err("61 - Disk full"), Err("61 - Disk full"),
                   GiveUp("61 - Disk full", "Protection Tracks Added Before The Failure: 03.")},
                  86},
        FaultCase{
            "disk full one byte into the third track",
            [](auto& fs) { fs.diskSpace = 86 + 74 + 1; },
            {"beep", kTrack03Added, "beep", "beep", "box[none|Varnite] Track 04 has been added",
             "beep", Err("61 - Disk full"), Err("61 - Disk full"),
             GiveUp(
                 "61 - Disk full",
                 ("Protection Tracks Added Before The Failure: 03, 04." + Removed("05")).c_str())},
            86 + 74},
        // Every write takes half of what is left and reports no failure.
        FaultCase{"short writes",
                  [](auto& fs) { fs.shortWrites = 3; },
                  {Err("61 - Disk full"), Err("61 - Disk full"),
                   GiveUp("61 - Disk full",
                          ("No Protection Tracks Were Added." + Removed("03")).c_str())},
                  0},
        FaultCase{"the cut-back fails too",
                  [](auto& fs) { fs.diskSpace = 86 + 30, fs.cutBackFailures = 1; },
                  {"beep", kTrack03Added, "beep", Err("61 - Disk full"), Err("61 - Disk full"),
                   GiveUp("61 - Disk full",
                          "Protection Tracks Added Before The Failure: 03.\r\n"
                          "The Cue Sheet Ends With An Unfinished Protection Track.\r\n"
                          "It Could Not Be Removed (Err#: 70 - Permission denied): Delete Its "
                          "Lines Before Using The Cue Sheet.")},
                  86 + 30},
        // A drive or share that never confirms the data: no success box, and the block,
        // written whole, is said to be unconfirmed, neither added nor unfinished.
        FaultCase{"every flush fails",
                  [](auto& fs) { fs.flushFailures = 3; },
                  {Err("57 - Device I/O error"), Err("57 - Device I/O error"),
                   GiveUp("57 - Device I/O error",
                          "Track 03 Was Written In Full, But The System Never Confirmed It "
                          "Reached The Disk.")},
                  86},
        // The first track is whole, and nothing of the second was written. The gate's
        // scan takes two reads: the sheet and its end.
        FaultCase{
            "the second scan cannot read the file",
            [](auto& fs) { fs.readFailures = 3, fs.readFailuresFrom = 3; },
            {"beep", kTrack03Added, "beep", Err("57 - Device I/O error"),
             Err("57 - Device I/O error"),
             GiveUp("57 - Device I/O error", "Protection Tracks Added Before The Failure: 03.")},
            86}),
    [](const auto& row) { return testing::TestName(row.param.what); });

TEST(CueSheetFailures, ARealReadOnlyOrMissingFileIsNeverChanged) {
  const std::string dir = testing::ScratchDir("edit-faults");
  const std::string missing = testing::JoinPath(dir, "missing.cue");
  testing::FakeWindow window;
  window.QueueChoice(missing);
  cmdEdit_Click(window, RealFileSystem());
  EXPECT_EQ(window.events.back(), "box[critical|Varnite] This Cue Sheet Cannot Be Found:\r\n" +
                                      missing + "\r\n\r\nNothing Was Opened.");
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
