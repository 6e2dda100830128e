#include "app/event_wiring.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace varnite
