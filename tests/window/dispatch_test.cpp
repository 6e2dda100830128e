#include "window/dispatch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace varnite {
namespace {

// A handler's boxes pump messages, so a queued second click or a drop arrives while the
// first handler is still running: it must be dropped, and taken again once it is done.
TEST(Dispatcher, TakesNoCommandWhileOneRunsAndRecoversFromAFailure) {
  Dispatcher dispatcher;
  int helpRuns = 0;
  std::vector<bool> takenMeanwhile;
  dispatcher.Bind(Control::cmdHelp, [&] { ++helpRuns; });
  dispatcher.Bind(Control::cmdCreate, [&] {
    takenMeanwhile.push_back(dispatcher.Click(Control::cmdCreate));
    takenMeanwhile.push_back(dispatcher.Click(Control::cmdHelp));
    takenMeanwhile.push_back(dispatcher.Run([&] { ++helpRuns; }));
  });
  dispatcher.Bind(Control::cmdAbout, [] { throw std::runtime_error("handler failed"); });

  EXPECT_TRUE(dispatcher.Click(Control::cmdCreate));
  EXPECT_THAT(takenMeanwhile, ::testing::ElementsAre(false, false, false));
  EXPECT_EQ(helpRuns, 0);
  EXPECT_FALSE(dispatcher.Busy());

  EXPECT_THROW(dispatcher.Click(Control::cmdAbout), std::runtime_error);
  EXPECT_FALSE(dispatcher.Busy());
  EXPECT_TRUE(dispatcher.Click(Control::cmdHelp));
  EXPECT_EQ(helpRuns, 1);
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
    dispatcher.ReportUncaughtFailures([&](std::exception_ptr failure) {
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
