#include "window/ways_in.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "tests/support/fake_window.h"
#include "window/hand_over.h"

namespace varnite {
namespace {

enum State { kIdle, kBusy, kEnded };
const char* const kStateNames[] = {"idle", "busy", "ended"};

// A window whose About button and given paths only say that they ran, whose CueSheet button
// opens the file dialog (where a busy row's input arrives) and whose Create button fails.
struct Program {
  testing::FakeWindow window;
  WaysIn ways{window, window, [this](const std::vector<std::string>& paths) {
                std::string line = "open";
                for (const std::string& path : paths) line += " " + path;
                window.events.push_back(line);
              }};
  Program() {
    ways.dispatcher().Bind(Control::cmdAbout, [this] { window.events.push_back("about"); });
    ways.dispatcher().Bind(Control::cmdEdit, [this] { window.ShowOpenDialog(); });
    ways.dispatcher().Bind(Control::cmdCreate, [] { throw std::runtime_error("failed"); });
    ways.dispatcher().ReportUncaughtFailures([this](std::exception_ptr) {
      window.events.push_back("report");
    });
  }
};

bool HandOverFrom(WaysIn& ways, testing::FakeWindow& window, std::uint32_t sender,
                  const std::u16string& path) {
  const std::u16string block = EncodeHandOver({sender, {path}});
  return ways.HandOver(
      kHandOverTag, block.data(), block.size() * sizeof(char16_t),
      [](std::uint32_t id) { return id == 200; }, [&] { window.events.push_back("answer"); });
}

std::string Joined(const std::vector<std::string>& events, std::size_t from, std::size_t to) {
  std::string line;
  for (std::size_t i = from; i < to; ++i) line += (line.empty() ? "" : ", ") + events[i];
  return line;
}

// Every way in, while idle, while a command runs and once the program has ended: what it
// does at once, what it answers, and whether the window closes when the running command ends.
TEST(WaysIn, EachInputWhileIdleBusyAndEnded) {
  const std::string run = "block Varnite is in the middle of editing a file., working, ";
  const std::string done = ", arrow, unblock";
  const struct {
    const char* name;
    int (*send)(Program&);  // the answer, where the input has one
    std::string idle, busy;
    int idleAnswer = -1, busyAnswer = -1, endedAnswer = -1;
    bool closesAfterBusy = false;
  } rows[] = {
      {"click", [](Program& p) { p.ways.Click(Control::cmdAbout); return -1; },
       run + "about" + done, ""},
      {"drop", [](Program& p) { p.ways.OpenPaths({"C:\\a.cue"}); return -1; },
       run + "open C:\\a.cue" + done, "beep"},
      {"drop of nothing", [](Program& p) { p.ways.OpenPaths({}); return -1; }, "", ""},
      {"start paths, opened once",
       [](Program& p) {
         const bool kept = p.ways.KeepStartPaths({"C:\\a.cue", "C:\\b.cue"});
         p.ways.OpenStartPaths();
         p.ways.OpenStartPaths();
         return kept ? 1 : 0;
       },
       run + "open C:\\a.cue C:\\b.cue" + done, "beep", 1, 1, 1},
      {"no start paths",
       [](Program& p) {
         const bool kept = p.ways.KeepStartPaths({});
         p.ways.OpenStartPaths();
         return kept ? 1 : 0;
       },
       "", "", 0, 0, 0},
      {"hand-over from another Varnite",
       [](Program& p) { return HandOverFrom(p.ways, p.window, 200, u"C:\\a.cue") ? 1 : 0; },
       "answer, " + run + "open C:\\a.cue" + done, "answer, beep", 1, 1, 0},
      {"hand-over from another program",
       [](Program& p) { return HandOverFrom(p.ways, p.window, 300, u"C:\\a.cue") ? 1 : 0; }, "",
       "", 0, 0, 0},
      {"hand-over of a relative path",
       [](Program& p) { return HandOverFrom(p.ways, p.window, 200, u"a.cue") ? 1 : 0; }, "", "",
       0, 0, 0},
      {"close", [](Program& p) { p.ways.Close(); return -1; }, "close", "", -1, -1, -1, true},
      {"log-off query", [](Program& p) { return p.ways.MayEndSession() ? 1 : 0; }, "", "", 1, 0,
       1},
      {"session ends", [](Program& p) { p.ways.EndSession(true); return -1; }, "close", "", -1,
       -1, -1, true},
      {"session goes on", [](Program& p) { p.ways.EndSession(false); return -1; }, "", ""},
  };
  for (const auto& row : rows) {
    for (State state : {kIdle, kBusy, kEnded}) {
      const std::string name = row.name + std::string(" while ") + kStateNames[state];
      Program p;
      int answer = -2;
      std::size_t from = 0, to = 0;
      if (state == kEnded) {
        p.ways.Click(Control::cmdCreate);
        ASSERT_EQ(p.window.events.back(), "close") << name;
      }
      if (state == kBusy) {
        p.window.whileOpen = [&](const std::string&) {
          from = p.window.events.size();
          answer = row.send(p);
          to = p.window.events.size();
        };
        p.ways.Click(Control::cmdEdit);
      } else {
        from = p.window.events.size();
        answer = row.send(p);
        to = p.window.events.size();
      }
      const std::string expected = state == kIdle ? row.idle : state == kBusy ? row.busy : "";
      EXPECT_EQ(Joined(p.window.events, from, to), expected) << name;
      const int expectedAnswer =
          state == kIdle ? row.idleAnswer : state == kBusy ? row.busyAnswer : row.endedAnswer;
      EXPECT_EQ(answer, expectedAnswer) << name;
      if (state == kBusy) {
        const std::string after = Joined(p.window.events, to, p.window.events.size());
        EXPECT_EQ(after, row.closesAfterBusy ? "arrow, unblock, close" : "arrow, unblock")
            << name;
      }
    }
  }
}

// What a program without administrator rights may send the elevated window: a drop from
// Explorer, and nothing that can start an edit by itself.
TEST(WaysIn, OnlyADropPassesThePrivilegeFilter) {
  const struct {
    const char* name;
    unsigned message;
    bool passes;
  } rows[] = {
      {"WM_DROPFILES", 0x0233, true}, {"WM_COPYGLOBALDATA", 0x0049, true},
      {"WM_COPYDATA", 0x004A, false}, {"WM_CLOSE", 0x0010, false},
      {"WM_COMMAND", 0x0111, false},  {"the start paths' WM_APP + 1", 0x8001, false},
  };
  for (const auto& row : rows) {
    const auto* end = std::end(kMessagesFromLowerPrivilege);
    EXPECT_EQ(std::find(std::begin(kMessagesFromLowerPrivilege), end, row.message) != end,
              row.passes)
        << row.name;
  }
}

}  // namespace
}  // namespace varnite
