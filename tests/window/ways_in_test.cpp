#include "window/ways_in.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "tests/support/fake_window.h"
#include "window/hand_over.h"

namespace varnite {
namespace {

// A window whose About button and given paths only say that they ran, whose CueSheet button
// opens the file dialog (where a busy row's input arrives) and whose Create button fails.
struct Program {
  testing::FakeWindow window;
  WaysIn ways{window, window, [this](const std::vector<std::string>& paths) {
                for (const std::string& path : paths) window.events.push_back("open " + path);
              }};
  Program() {
    ways.dispatcher().Bind(Control::cmdAbout, [this] { window.events.push_back("about"); });
    ways.dispatcher().Bind(Control::cmdEdit, [this] { window.ShowOpenDialog(); });
    ways.dispatcher().Bind(Control::cmdCreate, [] { throw std::runtime_error("failed"); });
    ways.dispatcher().ReportUncaughtFailures([](const std::exception_ptr&) {});
  }
  // A hand-over from process `sender`, of whom only 200 is another Varnite.
  int HandOver(std::uint32_t sender, const std::u16string& path) {
    const std::u16string block = EncodeHandOver({sender, {path}});
    return ways.HandOver(
        kHandOverTag, block.data(), block.size() * sizeof(char16_t),
        [](std::uint32_t id) { return id == 200; }, [&] { window.events.push_back("answer"); });
  }
  std::string Events(std::size_t from, std::size_t to) const {
    std::string line;
    for (std::size_t i = from; i < to; ++i) line += (i > from ? ", " : "") + window.events[i];
    return line;
  }
};

const char* const kStates[] = {"idle", "busy", "ended"};

// Every way in, while idle, while a command runs and once the program has ended: what it
// does at once, what it answers (-1: nothing), and, while busy, whether the window closes
// once the running command ends.
TEST(WaysIn, EachInputWhileIdleBusyAndEnded) {
  const std::string run = "block Varnite is in the middle of editing a file., working, ";
  const std::string done = ", arrow, unblock";
  const struct {
    const char* name;
    int (*send)(Program&);
    std::string idle, busy;
    int answers[3];  // idle, busy, ended
    bool closesAfterBusy = false;
  } rows[] = {
      {"click",
       [](Program& p) { return p.ways.Click(Control::cmdAbout), -1; },
       run + "about" + done,
       "",
       {-1, -1, -1}},
      {"drop",
       [](Program& p) { return p.ways.OpenPaths({"C:\\a.cue"}), -1; },
       run + "open C:\\a.cue" + done,
       "beep",
       {-1, -1, -1}},
      {"drop of nothing",
       [](Program& p) { return p.ways.OpenPaths({}), -1; },
       "",
       "",
       {-1, -1, -1}},
      {"start paths, opened once",
       [](Program& p) {
         const bool kept = p.ways.KeepStartPaths({"C:\\a.cue", "C:\\b.cue"});
         p.ways.OpenStartPaths();
         return p.ways.OpenStartPaths(), kept ? 1 : 0;
       },
       run + "open C:\\a.cue, open C:\\b.cue" + done,
       "beep",
       {1, 1, 1}},
      {"no start paths",
       [](Program& p) {
         const bool kept = p.ways.KeepStartPaths({});
         return p.ways.OpenStartPaths(), kept ? 1 : 0;
       },
       "",
       "",
       {0, 0, 0}},
      {"hand-over from another Varnite",
       [](Program& p) { return p.HandOver(200, u"C:\\a.cue"); },
       "answer, " + run + "open C:\\a.cue" + done,
       "answer, beep",
       {1, 1, 0}},
      {"hand-over from another program",
       [](Program& p) { return p.HandOver(300, u"C:\\a.cue"); },
       "",
       "",
       {0, 0, 0}},
      {"hand-over of a relative path",
       [](Program& p) { return p.HandOver(200, u"a.cue"); },
       "",
       "",
       {0, 0, 0}},
      {"close", [](Program& p) { return p.ways.Close(), -1; }, "close", "", {-1, -1, -1}, true},
      {"log-off query",
       [](Program& p) { return p.ways.MayEndSession() ? 1 : 0; },
       "",
       "",
       {1, 0, 1}},
      {"session ends",
       [](Program& p) { return p.ways.EndSession(true), -1; },
       "close",
       "",
       {-1, -1, -1},
       true},
      {"session goes on",
       [](Program& p) { return p.ways.EndSession(false), -1; },
       "",
       "",
       {-1, -1, -1}},
  };
  for (const auto& row : rows) {
    for (int state = 0; state < 3; ++state) {
      const std::string name = row.name + std::string(" while ") + kStates[state];
      Program p;
      int answer = -2;
      std::size_t from = 0, to = 0;
      const auto send = [&] {
        from = p.window.events.size();
        answer = row.send(p);
        to = p.window.events.size();
      };
      if (state == 2) p.ways.Click(Control::cmdCreate);  // fails: the program ends
      if (state == 1) {
        p.window.whileOpen = [&](const std::string&) { send(); };
        p.ways.Click(Control::cmdEdit);
      } else {
        send();
      }
      EXPECT_EQ(p.Events(from, to), state == 0 ? row.idle : state == 1 ? row.busy : "") << name;
      EXPECT_EQ(answer, row.answers[state]) << name;
      if (state == 1) {
        EXPECT_EQ(p.Events(to, p.window.events.size()),
                  row.closesAfterBusy ? "arrow, unblock, close" : "arrow, unblock")
            << name;
      }
    }
  }
}

// What a program without administrator rights may send the elevated window: a drop from
// Explorer (WM_DROPFILES, WM_COPYGLOBALDATA), and nothing that can start an edit by itself
// (WM_COPYDATA, WM_CLOSE, WM_COMMAND, the start paths' WM_APP + 1).
TEST(WaysIn, OnlyADropPassesThePrivilegeFilter) {
  const auto passes = [](unsigned message) {
    const auto* end = std::end(kMessagesFromLowerPrivilege);
    return std::find(std::begin(kMessagesFromLowerPrivilege), end, message) != end;
  };
  for (unsigned message : {0x0233u, 0x0049u}) EXPECT_TRUE(passes(message)) << message;
  for (unsigned message : {0x004Au, 0x0010u, 0x0111u, 0x8001u}) {
    EXPECT_FALSE(passes(message)) << message;
  }
}

}  // namespace
}  // namespace varnite
