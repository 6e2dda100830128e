#include "dummyfile/create_control.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "dummyfile/dummy_file.h"
#include "tests/support/fake_window.h"
#include "tests/support/memory_file_system.h"
#include "window/control_table.h"

namespace varnite {
namespace {

using ::testing::ElementsAre;

const std::vector<std::string> kCreateEvents = {
    "box[info|Varnite] This Will Create One Essential File On C:\\",
    "box[info|Varnite] Dummy File Created On Drive C:",
    "set cmdCreate=Modify",
    "set lblCreate=Hit Modify Once The CD Is Recording",
};
const std::vector<std::string> kModifyEvents = {
    "box[info|Varnite] The Dummy File Has Been Modified",
    "set lblCreate=Ready To Create File Again",
    "set cmdCreate=Create File",
};

TEST(CreateControl, CyclesBetweenCreateAndModifyWithItsMessagesAndFiles) {
  testing::FakeWindow window;
  testing::MemoryFileSystem files;
  struct Step {
    const std::vector<std::string>& events;
    std::string file;
    const char* caption;
  };
  const Step steps[] = {{kCreateEvents, DummyFileFullForm(), "Modify"},
                        {kModifyEvents, DummyFileShortForm(), "Create File"},
                        {kCreateEvents, DummyFileFullForm(), "Modify"},
                        {kModifyEvents, DummyFileShortForm(), "Create File"}};
  for (const Step& step : steps) {
    window.events.clear();
    cmdCreate_Click(window, files);
    EXPECT_EQ(window.events, step.events);
    EXPECT_EQ(files.files.at("C:\\Varnite.PSX"), step.file);
    EXPECT_EQ(window.Caption(Control::cmdCreate), step.caption);
  }
}

TEST(CreateControl, TreatsAnyUnknownCaptionAsModify) {
  testing::FakeWindow window;
  testing::MemoryFileSystem files;
  for (const char* caption : {"create file", "Create File ", ""}) {
    window.SetCaption(Control::cmdCreate, caption);
    window.events.clear();
    cmdCreate_Click(window, files);
    EXPECT_EQ(window.events, kModifyEvents) << '"' << caption << '"';
    EXPECT_EQ(files.files.at("C:\\Varnite.PSX"), DummyFileShortForm());
  }
}

TEST(CreateControl, AFailedWriteIsReportedAndLeavesBothCaptionsForAnotherTry) {
  testing::FakeWindow window;
  testing::MemoryFileSystem files;
  files.readOnly.insert("C:\\Varnite.PSX");

  cmdCreate_Click(window, files);
  EXPECT_THAT(window.events,
              ElementsAre("box[info|Varnite] This Will Create One Essential File On C:\\",
                          "box[critical|Varnite] The Dummy File Could Not Be Written To C:\\"
                          "\r\n\r\nErr#: 70 - Permission denied"));
  EXPECT_EQ(window.Caption(Control::cmdCreate), "Create File");
  EXPECT_EQ(window.Caption(Control::lblCreate), RowOf(Control::lblCreate).initialText);

  // The user fixes the cause and clicks again: the program is still there to do it.
  files.readOnly.clear();
  window.events.clear();
  cmdCreate_Click(window, files);
  EXPECT_EQ(window.events, kCreateEvents);

  // The modify branch reports a failure the same way and stays on "Modify".
  files.diskSpace = 10;
  window.events.clear();
  cmdCreate_Click(window, files);
  EXPECT_THAT(window.events,
              ElementsAre("box[critical|Varnite] The Dummy File Could Not Be Written To C:\\"
                          "\r\n\r\nErr#: 61 - Disk full"));
  EXPECT_EQ(window.Caption(Control::cmdCreate), "Modify");
  EXPECT_EQ(window.Caption(Control::lblCreate), "Hit Modify Once The CD Is Recording");
}

TEST(CreateControl, NamesWhatStandsInTheWayAndWritesNothingThrough) {
  const std::string folder =
      "A folder named C:\\Varnite.PSX is in the way. Move or rename it, then try again.";
  const std::string link =
      "C:\\Varnite.PSX is a link (a symbolic link, junction or mount point) that leads "
      "somewhere else. Nothing was written through it. Remove the link, then try again.";
  const struct {
    const char* caption;
    bool isLink;
    const std::string& text;
  } rows[] = {
      {"Create File", false, folder},
      {"Create File", true, link},
      {"Modify", false, folder},
      {"Modify", true, link},
  };
  for (const auto& row : rows) {
    testing::FakeWindow window;
    testing::MemoryFileSystem files;
    if (row.isLink) {
      files.links["C:\\Varnite.PSX"] = "D:\\Elsewhere\\Varnite.PSX";
    } else {
      files.folders.insert("C:\\Varnite.PSX");
    }
    window.SetCaption(Control::cmdCreate, row.caption);
    window.events.clear();
    cmdCreate_Click(window, files);
    ASSERT_FALSE(window.events.empty());
    EXPECT_EQ(window.events.back(),
              "box[critical|Varnite] The Dummy File Could Not Be Written To C:\\\r\n\r\n" +
                  row.text + "\r\n\r\nErr#: 75 - Path/File access error")
        << row.caption;
    EXPECT_EQ(files.files.count("C:\\Varnite.PSX"), 0u) << row.caption;
    EXPECT_EQ(window.Caption(Control::cmdCreate), row.caption);
  }
}

}  // namespace
}  // namespace varnite
