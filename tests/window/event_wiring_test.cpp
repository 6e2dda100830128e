#include "window/event_wiring.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>

#include "fileio/operation_error.h"
#include "tests/support/fake_window.h"
#include "tests/support/memory_file_system.h"

namespace varnite {
namespace {

// Which handler each click runs, told by the first thing the handler does.
TEST(EventWiring, EachButtonRunsItsOwnHandlerAndNothingElseIsWired) {
  const struct {
    Control control;
    bool wired;
    const char* firstEvent;
  } rows[] = {
      {Control::cmdCreate, true, "box[info|Varnite] This Will Create One Essential File On C:\\"},
      {Control::cmdEdit, true, "dialog"},
      {Control::cmdHelp, true, "show txtHelp"},
      {Control::cmdAbout, true, "show txtAbout"},
      {Control::lblCreate, false, nullptr},
      {Control::txtHelp, false, nullptr},
  };
  for (const auto& row : rows) {
    testing::FakeWindow window;
    testing::MemoryFileSystem files;
    Dispatcher dispatcher;
    WireClickHandlers(dispatcher, window, files);
    EXPECT_EQ(dispatcher.Click(row.control), row.wired) << testing::ControlName(row.control);
    if (row.wired) {
      ASSERT_FALSE(window.events.empty()) << testing::ControlName(row.control);
      EXPECT_EQ(window.events.front(), row.firstEvent);
    } else {
      EXPECT_THAT(window.events, ::testing::IsEmpty());
    }
  }
}

// A failure no handler caught is told in a critical box with its number and description,
// and then the program ends: the dispatcher takes no further click.
TEST(EventWiring, AnUncaughtFailureIsShownAndEndsTheProgram) {
  const struct {
    const char* name;
    void (*fail)();
    const char* box;
  } rows[] = {
      {"file error", [] { throw OperationError(53, "File not found"); },
       "box[critical|Varnite] Run-time error '53':\r\n\r\nFile not found"},
      {"other exception", [] { throw std::length_error("vector too long"); },
       "box[critical|Varnite] Run-time error '51':\r\n\r\nInternal error: vector too long"},
      {"out of memory", [] { throw std::bad_alloc(); },
       "box[critical|Varnite] Run-time error '51':\r\n\r\nInternal error: std::bad_alloc"},
      {"not an exception", [] { throw 7; },
       "box[critical|Varnite] Run-time error '51':\r\n\r\nInternal error"},
  };
  for (const auto& row : rows) {
    testing::FakeWindow window;
    testing::MemoryFileSystem files;
    Dispatcher dispatcher;
    WireClickHandlers(dispatcher, window, files);
    // The About handler catches nothing; stand in a failing one for it.
    dispatcher.Bind(Control::cmdAbout, row.fail);
    EXPECT_TRUE(dispatcher.Click(Control::cmdAbout)) << row.name;
    EXPECT_THAT(window.events, ::testing::ElementsAre(row.box)) << row.name;
    EXPECT_TRUE(dispatcher.Ended()) << row.name;
    EXPECT_FALSE(dispatcher.Click(Control::cmdHelp)) << row.name;
    EXPECT_EQ(window.events.size(), 1u) << row.name;
  }
}

// A drop that arrives while the CueSheet button's dialog or one of its boxes is open:
// refused with the alert sound, the running edit going on untouched; once it has ended, the
// same drop is taken.
TEST(EventWiring, PathsGivenWhileACommandRunsAreRefusedWithABeepAndTakenAfterwards) {
  const char kChosen[] = "D:\\Discs\\chosen.cue";
  const char kDropped[] = "D:\\Discs\\dropped.cue";
  const std::string sheet = "  TRACK 02 AUDIO\r\n";
  const char* const triggers[] = {"dialog", "box[none|Varnite] Track 04 has been added",
                                  ("box[info|Varnite] Now Record The Image Back To CD Using "
                                   "The Same Cue Sheet")};
  for (const char* trigger : triggers) {
    testing::FakeWindow window, alone;
    testing::MemoryFileSystem files, aloneFiles;
    files.files = aloneFiles.files = {{kChosen, sheet}, {kDropped, sheet}};
    WaysIn ways(window, window, GivenPathsCommand(window, files));
    WaysIn aloneWays(alone, alone, GivenPathsCommand(alone, aloneFiles));
    WireClickHandlers(ways.dispatcher(), window, files);
    WireClickHandlers(aloneWays.dispatcher(), alone, aloneFiles);
    window.QueueChoice(kChosen);
    alone.QueueChoice(kChosen);
    window.whileOpen = [&](const std::string& event) {
      if (event == trigger) ways.OpenPaths({kDropped});
    };

    ways.Click(Control::cmdEdit);
    aloneWays.Click(Control::cmdEdit);

    // The same run as without the drop, with one beep right where the drop came.
    std::vector<std::string> expected = alone.events;
    auto at = std::find(expected.begin(), expected.end(), trigger);
    ASSERT_NE(at, expected.end()) << trigger;
    expected.insert(at + 1, "beep");
    EXPECT_EQ(window.events, expected) << trigger;
    EXPECT_EQ(files.files, aloneFiles.files) << trigger;
    EXPECT_EQ(files.files.at(kDropped), sheet) << trigger;

    window.events.clear();
    ways.OpenPaths({kDropped});
    EXPECT_THAT(window.events, ::testing::Contains(std::string("set lblCueSheet=") + kDropped));
    EXPECT_NE(files.files.at(kDropped), sheet) << "the drop is taken once the edit has ended";
  }
}

}  // namespace
}  // namespace varnite
