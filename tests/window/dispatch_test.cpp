#include "window/dispatch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace varnite {
namespace {

// A handler's boxes pump messages, so a queued second click, a drop or a close arrives
// while the first handler is still running. A command is dropped, and taken again once
// the first is done, even when the first failed; a close is kept and carried out when the
// first ends, however it ends. With nothing running, a close is carried out at once.
TEST(Dispatcher, WhatArrivesWhileACommandRunsIsDroppedOrKeptForItsEnd) {
  const struct {
    const char* name;
    bool (*arrive)(Dispatcher&);
    bool fails, endsAfter;
  } rows[] = {
      {"the same button", [](Dispatcher& d) { return d.Click(Control::cmdCreate); }, false, false},
      {"another button", [](Dispatcher& d) { return d.Click(Control::cmdHelp); }, false, false},
      {"a drop", [](Dispatcher& d) { return d.Run([] {}); }, false, false},
      {"nothing; the command fails", [](Dispatcher&) { return false; }, true, false},
      {"a close", [](Dispatcher& d) { return d.RequestClose(); }, false, true},
      {"a close; the command fails", [](Dispatcher& d) { return d.RequestClose(); }, true, true},
  };
  for (const auto& row : rows) {
    Dispatcher dispatcher;
    int helpRuns = 0;
    bool taken = true, endedMeanwhile = true;
    dispatcher.Bind(Control::cmdHelp, [&] { ++helpRuns; });
    dispatcher.Bind(Control::cmdCreate, [&] {
      taken = row.arrive(dispatcher);
      endedMeanwhile = dispatcher.Ended();
      if (row.fails) throw std::runtime_error("handler failed");
    });

    if (row.fails) {
      EXPECT_THROW(dispatcher.Click(Control::cmdCreate), std::runtime_error) << row.name;
    } else {
      EXPECT_TRUE(dispatcher.Click(Control::cmdCreate)) << row.name;
    }
    EXPECT_FALSE(taken) << row.name;
    EXPECT_FALSE(endedMeanwhile) << row.name;
    EXPECT_EQ(helpRuns, 0) << row.name;
    EXPECT_FALSE(dispatcher.Busy()) << row.name;
    EXPECT_EQ(dispatcher.Ended(), row.endsAfter) << row.name;
    EXPECT_EQ(dispatcher.Click(Control::cmdHelp), !row.endsAfter) << row.name;
    EXPECT_EQ(helpRuns, row.endsAfter ? 0 : 1) << row.name;
  }
  Dispatcher idle;
  EXPECT_TRUE(idle.RequestClose());
  EXPECT_TRUE(idle.Ended());
  EXPECT_FALSE(idle.Run([] {}));
}

// With a report installed, an uncaught failure is reported while the failed command still
// counts as running (a click that arrives while its box is open is dropped, and is not
// told the program has ended), and then nothing at all is taken any more.
TEST(Dispatcher, ReportsAnUncaughtFailureWhileStillBusyAndThenTakesNothing) {
  struct Case {
    const char* name;
    void (*fail)();
  };
  const Case cases[] = {
      {"a standard exception", [] { throw std::runtime_error("handler failed"); }},
      {"anything else thrown", [] { throw 42; }},
  };
  for (const Case& c : cases) {
    Dispatcher dispatcher;
    int helpRuns = 0, reports = 0;
    bool busyDuringReport = false, endedDuringReport = true, clickTakenDuringReport = true;
    dispatcher.Bind(Control::cmdHelp, [&] { ++helpRuns; });
    dispatcher.Bind(Control::cmdAbout, c.fail);
    dispatcher.ReportUncaughtFailures([&](const std::exception_ptr& failure) {
      ++reports;
      EXPECT_TRUE(failure) << c.name;
      busyDuringReport = dispatcher.Busy();
      endedDuringReport = dispatcher.Ended();
      clickTakenDuringReport = dispatcher.Click(Control::cmdHelp);
    });

    EXPECT_TRUE(dispatcher.Click(Control::cmdAbout)) << c.name;
    EXPECT_EQ(reports, 1) << c.name;
    EXPECT_TRUE(busyDuringReport) << c.name;
    EXPECT_FALSE(endedDuringReport) << c.name;
    EXPECT_FALSE(clickTakenDuringReport) << c.name;
    EXPECT_TRUE(dispatcher.Ended()) << c.name;
    EXPECT_FALSE(dispatcher.Busy()) << c.name;
    EXPECT_FALSE(dispatcher.Click(Control::cmdHelp)) << c.name;
    EXPECT_FALSE(dispatcher.Run([&] { ++helpRuns; })) << c.name;
    EXPECT_EQ(helpRuns, 0) << c.name;
  }
}

}  // namespace
}  // namespace varnite
