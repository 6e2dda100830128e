#include "cuesheet/sheet_checks.h"

#include <gtest/gtest.h>

#include <functional>

#include "cuesheet/edit.h"
#include "cuesheet/protection_block.h"
#include "tests/support/fake_window.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/test_files.h"

namespace varnite {
namespace {

constexpr char kCue[] = "D:\\Discs\\album.cue";
constexpr char kOtherCue[] = "D:\\Discs\\second.cue";
constexpr char kImage[] = "D:\\Discs\\album.bin";
constexpr char kFolder[] = "D:\\Discs";
constexpr char kNegative[] = "D:\\Discs\\negative.cue";
constexpr char kUtf16[] = "D:\\Discs\\utf16.cue";
constexpr char kLateNul[] = "D:\\Discs\\late-nul.cue";
constexpr char kDevice[] = "D:\\Discs\\NUL.cue";
constexpr char kLink[] = "D:\\Discs\\link.cue";
const std::string kLongImage = "D:\\" + std::string(200, 'i') + ".bin";

const std::string kSheet =
    "FILE \"album.bin\" BINARY\r\n  TRACK 02 AUDIO\r\n    INDEX 01 00:00:00\r\n";

std::string Blocks(int first) {
  return ProtectionTrackBlock(first, " Audio", true) +
         ProtectionTrackBlock(first + 1, " mode1/2352", false) +
         ProtectionTrackBlock(first + 2, " mode2/2352", false);
}

std::string Refusal(const std::string& why) {
  return "box[critical|Varnite] " + why + "\r\n\r\nNothing Was Opened.";
}
std::string NotACueSheet(const std::string& what, const std::string& path) {
  return Refusal("Only A Cue Sheet (*.cue) Can Be Used.\r\n" + what + ":\r\n" + path);
}
std::string Only(const std::string& what) {
  return "Only A Cue Sheet (*.cue) Can Be Used.\r\n" + what;
}
std::string NotText(std::size_t offset) {
  return "This File Is Not A Text File: It Holds A NUL Byte At Offset " + std::to_string(offset) +
         " (Counting From 0).\r\nA Disc Image Or Other Binary File Holds Such Bytes; A Cue "
         "Sheet Saved As Unicode Text Holds NUL Bytes Too.\r\nIf It Is A Cue Sheet, Save It As "
         "ANSI Text First, Then Select It Again.";
}
// A refusal of what the file holds: the label shows the sheet, the box says why.
std::vector<std::string> ContentRefused(const std::string& path, const std::string& why) {
  return {"set lblCueSheet=" + path,
          "box[critical|Varnite] " + why + "\r\n\r\nNothing Was Added To The Cue Sheet."};
}

// The files every case starts with: sheets, a disc image, and folders.
testing::MemoryFileSystem Disc() {
  testing::MemoryFileSystem files;
  files.files[kCue] = kSheet;
  files.files[kOtherCue] = kSheet;
  files.files["D:\\Discs\\ALBUM2.CUE"] = kSheet;
  files.files[kImage] = std::string(4096, '\xA5');
  files.files["D:\\Discs\\album.cue.bin"] = kSheet;
  files.files["D:\\Discs\\albumcue"] = kSheet;
  files.files[kNegative] = "  TRACK 01 AUDIO\r\n  TRACK -1 AUDIO\r\n";
  files.files["D:\\Discs\\track0.cue"] = "TRACK 00 AUDIO\r\n";
  // UTF-16 LE without a byte order mark, as some tools save it.
  files.files[kUtf16] = std::string(
      "T\0R\0A\0C\0K\0 \0"
      "0\0"
      "1\0",
      16);
  // Text up to a NUL in the last byte of the first 4 KiB block.
  files.files[kLateNul] = kSheet + std::string(4095 - kSheet.size(), ' ') + '\0' + kSheet;
  files.files[kDevice] = "";
  files.devices = {kDevice};
  files.files[kLink] = kSheet;
  files.links[kLink] = kImage;
  files.files["D:\\Discs\\link2.cue"] = kSheet;
  files.links["D:\\Discs\\link2.cue"] = "E:\\Sheets\\album.CUE";
  files.files[kLongImage] = kSheet;
  files.folders = {kFolder, "D:\\Discs\\Disc.cue"};
  return files;
}

TEST(IsCueSheetName, EndsInDotCueInAnyCase) {
  const std::pair<const char*, bool> cases[] = {{"D:\\Discs\\album.cue", true},
                                                {"ALBUM.CUE", true},
                                                {"a.cUe", true},
                                                {".cue", true},
                                                {"cue", false},
                                                {"ue", false},
                                                {"", false},
                                                {"a.cue ", false},
                                                {"a.cues", false},
                                                {"a_cue", false},
                                                {"a.cue\\b", false}};
  for (auto [name, expected] : cases) EXPECT_EQ(IsCueSheetName(name), expected) << name;
}

struct GivenCase {
  const char* what;
  std::vector<std::string> paths;
  std::vector<std::string> events;  // empty: the cue sheet named is edited
  int firstTrack = 3;               // of the edit
};
void PrintTo(const GivenCase& c, std::ostream* os) { *os << c.what; }

class GivenPaths : public ::testing::TestWithParam<GivenCase> {};

// Every row through every way in: chosen in the dialog (typed into it, for what its filter
// does not list), and dropped on the window. A path on the command line reaches the core
// through the very call a drop does.
TEST_P(GivenPaths, OneCueSheetIsEditedAndAnythingElseRefusedByteForByte) {
  const GivenCase& c = GetParam();
  for (const bool dialog : {true, false}) {
    if (dialog && c.paths.size() != 1) continue;  // the dialog gives one path
    for (const auto& sizes : testing::ReadPatterns()) {
      SCOPED_TRACE(std::string(dialog ? "dialog, " : "drop, ") + testing::DescribeReads(sizes));
      testing::FakeWindow window;
      testing::MemoryFileSystem files = Disc();
      files.readSizes = sizes;
      const auto before = files.files;
      if (dialog) {
        window.QueueChoice(c.paths.front());
        cmdEdit_Click(window, files);
      } else {
        EditGivenCueSheet(window, files, c.paths);
      }

      auto expected = before;
      std::vector<std::string> events = c.events;
      if (dialog) events.insert(events.begin(), "dialog");
      if (c.events.empty() && !c.paths.empty()) {
        expected[c.paths.front()] += Blocks(c.firstTrack);
        EXPECT_EQ(window.events.at(dialog ? 1 : 0), "set lblCueSheet=" + c.paths.front());
        EXPECT_EQ(window.events.back(),
                  "box[info|Varnite] Now Record The Image Back To CD Using The Same Cue Sheet");
      } else {
        EXPECT_EQ(window.events, events);
        EXPECT_EQ(files.bytesWritten, 0u);
        // What the box says holds.
        if (events.empty() || events.back().find("Nothing Was Opened.") != std::string::npos) {
          EXPECT_EQ(files.opensForReading + files.opensForEditing, 0);
        }
      }
      EXPECT_EQ(files.files, expected);
      EXPECT_EQ(files.openFiles, 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, GivenPaths,
    ::testing::Values(
        GivenCase{"one sheet", {kCue}, {}},
        GivenCase{"upper case name", {"D:\\Discs\\ALBUM2.CUE"}, {}},
        GivenCase{"last track 00", {"D:\\Discs\\track0.cue"}, {}, 1}, GivenCase{"no paths", {}, {}},
        GivenCase{
            "two sheets", {kCue, kOtherCue}, {Refusal("Please Drop One Cue Sheet At A Time.")}},
        GivenCase{"the same sheet twice",
                  {kCue, kCue},
                  {Refusal("Please Drop One Cue Sheet At A Time.")}},
        GivenCase{"a sheet and a disc image",
                  {kImage, kCue},
                  {Refusal("Please Drop One Cue Sheet At A Time.")}},
        GivenCase{"disc image", {kImage}, {NotACueSheet("This File Is Not One", kImage)}},
        GivenCase{"cue inside the name",
                  {"D:\\Discs\\album.cue.bin"},
                  {NotACueSheet("This File Is Not One", "D:\\Discs\\album.cue.bin")}},
        GivenCase{"cue without the dot",
                  {"D:\\Discs\\albumcue"},
                  {NotACueSheet("This File Is Not One", "D:\\Discs\\albumcue")}},
        GivenCase{"missing disc image",
                  {"D:\\Discs\\gone.bin"},
                  {NotACueSheet("This File Is Not One", "D:\\Discs\\gone.bin")}},
        GivenCase{"folder", {kFolder}, {NotACueSheet("This Is A Folder", kFolder)}},
        GivenCase{"folder named like a sheet",
                  {"D:\\Discs\\Disc.cue"},
                  {NotACueSheet("This Is A Folder", "D:\\Discs\\Disc.cue")}},
        GivenCase{"missing sheet",
                  {"D:\\Discs\\gone.cue"},
                  {Refusal("This Cue Sheet Cannot Be Found:\r\nD:\\Discs\\gone.cue")}},
        GivenCase{"UTF-16 without a byte order mark", {kUtf16}, ContentRefused(kUtf16, NotText(1))},
        GivenCase{"NUL at the end of the first block",
                  {kLateNul},
                  ContentRefused(kLateNul, NotText(4095))},
        // What the handle opened, judged from the handle.
        GivenCase{"the NUL device named .cue",
                  {kDevice},
                  ContentRefused(kDevice, Only("This Is A Device Or A Pipe, Not A File On A "
                                               "Disk:\r\n" +
                                               std::string(kDevice)))},
        GivenCase{"a link named .cue to a disc image",
                  {kLink},
                  ContentRefused(kLink, Only("This Name Leads To A File That Is Not One:\r\n" +
                                             std::string(kLink) + "\r\nLeads To:\r\n" + kImage))},
        GivenCase{"a link to another sheet", {"D:\\Discs\\link2.cue"}, {}},
        // A path in a box is shortened; the label keeps it whole.
        GivenCase{
            "a long name that is not a cue sheet",
            {kLongImage},
            {NotACueSheet("This File Is Not One", "D:\\" + std::string(16, 'i') + "\xE2\x80\xA6" +
                                                      std::string(36, 'i') + ".bin")}},
        GivenCase{"negative last track",
                  {kNegative},
                  ContentRefused(kNegative,
                                 "This Cue Sheet's Last Track Number Is Below Zero, "
                                 "Which No CD Track Has.\r\nIts Last Track Is -1. "
                                 "Correct That Line First, Then Select It Again.")}),
    [](const auto& row) { return testing::TestName(row.param.what); });

// A given sheet goes through the very flow a sheet chosen in the dialog does: the same
// boxes, labels, retries and bytes, whatever the sheet or the failure.
TEST(GivenPaths, EditExactlyAsAChoiceInTheDialogDoes) {
  const struct {
    const char* what;
    std::function<void(testing::MemoryFileSystem&)> arrange;
  } rows[] = {
      {"two tracks", [](auto&) {}},
      {"too many tracks", [](auto& fs) { fs.files[kCue] = "  TRACK 97 AUDIO\r\n"; }},
      {"UTF-16",
       [](auto& fs) {
         fs.files[kCue] = std::string(
             "\xFF\xFE"
             "F\0I\0",
             6);
       }},
      {"read-only", [](auto& fs) { fs.readOnly.insert(kCue); }},
      {"TRACK with no number", [](auto& fs) { fs.files[kCue] += "  TRACK\r\n"; }},
      {"disk full part-way", [](auto& fs) { fs.diskSpace = 100; }},
      {"appending fails twice", [](auto& fs) { fs.openAppendFailures = 2; }},
      {"removed after the look", [](auto& fs) { fs.openEditFailures = 1; }},
      {"a device named .cue", [](auto& fs) { fs.devices.insert(kCue); }},
  };
  for (const auto& row : rows) {
    testing::FakeWindow chosen, given;
    testing::MemoryFileSystem chosenFiles = Disc(), givenFiles = Disc();
    row.arrange(chosenFiles);
    row.arrange(givenFiles);
    chosen.QueueChoice(kCue);

    cmdEdit_Click(chosen, chosenFiles);
    EditGivenCueSheet(given, givenFiles, {kCue});

    ASSERT_FALSE(chosen.events.empty());
    EXPECT_EQ(chosen.events.front(), "dialog");
    EXPECT_EQ(given.events,
              std::vector<std::string>(chosen.events.begin() + 1, chosen.events.end()))
        << row.what;
    EXPECT_EQ(givenFiles.files, chosenFiles.files) << row.what;
    EXPECT_EQ(given.Caption(Control::lblCueSheet), chosen.Caption(Control::lblCueSheet));
  }
}

}  // namespace
}  // namespace varnite
