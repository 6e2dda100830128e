#include "window/panels.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/support/fake_window.h"
#include "window/help_font.h"
#include "window/panel_texts.h"

namespace varnite {
namespace {

using ::testing::ElementsAre;

struct ToggleCase {
  const char* name;
  void (*click)(MainWindow&);
  Control button, panel, label;
  const char* hidden;
  const char* shown;
  const char* reply;
};
void PrintTo(const ToggleCase& c, std::ostream* os) { *os << c.name; }

const ToggleCase kToggles[] = {
    {"About", cmdAbout_Click, Control::cmdAbout, Control::txtAbout, Control::lblAbout,
     "About Varnite", "Hide About", "Thankyou, You Are Very Kind"},
    {"Help", cmdHelp_Click, Control::cmdHelp, Control::txtHelp, Control::lblHelp, "Help Please",
     "Hide Help", "See Its Easy Huh ?"},
};

class PanelToggle : public ::testing::TestWithParam<ToggleCase> {};

// The events but the labels' showing and hiding, which the label rule's table checks.
std::vector<std::string> WithoutLabels(const std::vector<std::string>& events) {
  std::vector<std::string> kept;
  for (const std::string& event : events) {
    if (event.rfind("show lbl", 0) != 0 && event.rfind("hide lbl", 0) != 0) kept.push_back(event);
  }
  return kept;
}

TEST_P(PanelToggle, ShowsThenHidesAndAnswersEveryClick) {
  const ToggleCase& t = GetParam();
  testing::FakeWindow window;
  const std::string panel = testing::ControlName(t.panel);
  const std::string button = testing::ControlName(t.button);
  const std::string label = testing::ControlName(t.label);

  t.click(window);
  EXPECT_THAT(WithoutLabels(window.events),
              ElementsAre("show " + panel, "set " + button + "=" + t.shown,
                          "set " + label + "=" + t.reply));
  EXPECT_TRUE(window.Visible(t.panel));

  window.events.clear();
  t.click(window);
  EXPECT_THAT(WithoutLabels(window.events),
              ElementsAre("hide " + panel, "set " + button + "=" + t.hidden,
                          "set " + label + "=" + t.reply));
  EXPECT_FALSE(window.Visible(t.panel));
  EXPECT_EQ(window.Caption(t.label), t.reply);
}

TEST_P(PanelToggle, AnUnknownCaptionOnlySetsTheReply) {
  const ToggleCase& t = GetParam();
  for (const std::string& caption :
       {std::string(t.hidden) + " ", std::string("hide help"), std::string()}) {
    testing::FakeWindow window;
    window.SetCaption(t.button, caption);
    window.events.clear();
    t.click(window);
    EXPECT_THAT(window.events,
                ElementsAre(std::string("set ") + testing::ControlName(t.label) + "=" + t.reply));
    EXPECT_EQ(window.Caption(t.button), caption);
  }
}

INSTANTIATE_TEST_SUITE_P(Toggles, PanelToggle, ::testing::ValuesIn(kToggles),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(PanelToggles, AreIndependent) {
  testing::FakeWindow window;
  cmdAbout_Click(window);
  cmdHelp_Click(window);
  EXPECT_TRUE(window.Visible(Control::txtAbout));
  EXPECT_TRUE(window.Visible(Control::txtHelp));
  cmdHelp_Click(window);  // hiding one leaves the other as it was
  EXPECT_TRUE(window.Visible(Control::txtAbout));
  EXPECT_FALSE(window.Visible(Control::txtHelp));
  EXPECT_EQ(window.Caption(Control::cmdAbout), "Hide About");
  EXPECT_EQ(window.Caption(Control::cmdHelp), "Help Please");
}

// The labels lie under the panels: hidden while either is shown, back once both are hidden.
// The last click's panel shows before the labels go, or hides after they are back.
TEST(PanelToggles, LabelsHideWhileEitherPanelIsShown) {
  const struct {
    const char* clicks;  // A: About, H: Help
    bool labelsShown;
    const char* firstAndLast;  // of the last click's show and hide events
  } rows[] = {
      {"A", false, "show txtAbout|hide lblAbout"},   {"HH", true, "show lblCreate|hide txtHelp"},
      {"AH", false, "show txtHelp|hide lblAbout"},   {"AHA", false, "hide lblCreate|hide txtAbout"},
      {"AHAH", true, "show lblCreate|hide txtHelp"}, {"HAHA", true, "show lblCreate|hide txtAbout"},
  };
  for (const auto& row : rows) {
    testing::FakeWindow window;
    for (const char* c = row.clicks; *c; ++c) {
      window.events.clear();
      (*c == 'A' ? cmdAbout_Click : cmdHelp_Click)(window);
    }
    for (Control label :
         {Control::lblCreate, Control::lblCueSheet, Control::lblHelp, Control::lblAbout}) {
      EXPECT_EQ(window.Visible(label), row.labelsShown) << row.clicks;
    }
    std::vector<std::string> shown;
    for (const std::string& event : window.events) {
      if (event.rfind("set ", 0) != 0) shown.push_back(event);
    }
    EXPECT_EQ(shown.front() + "|" + shown.back(), row.firstAndLast) << row.clicks;
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "the text does not end with CR LF";
  return lines;
}

TEST(HelpText, HasEveryStepLineWithItsExactSpacing) {
  // Line, leading spaces, text, trailing spaces.
  struct Row {
    int line;
    int lead;
    const char* text;
    int trail;
  };
  const Row rows[] = {
      {3, 0, "", 0},
      {4, 0, "1.)  FIRST STEP YOU MUST CREATE THE", 1},
      {5, 7, "DUMMY FILE  BY SIMPLY CLICKING", 3},
      {6, 7, "ON \"CREATE FILE\"", 2},
      {7, 7, "", 0},
      {8, 0, "2.)  NEXT YOU MUST SELECT  YOUR", 0},
      {9, 7, "CUE SHEET THAT IS TO BE EDITED", 1},
      {10, 7, "CLICK ON \"CUESHEET\" AND SELECT", 0},
      {11, 7, "THE CUESHEET YOU MADE WITH", 1},
      {12, 7, "CDRWIN", 0},
      {13, 0, "", 0},
      {14, 0, "3.)  NOW THAT YOUR CUESHEET HAS", 1},
      {15, 7, "BEEN  MODIFIED YOU CAN START", 1},
      {16, 7, "CDRWIN AND START TO RECORD.", 2},
      {17, 7, "BUT HEY WE'RE NOT FINISHED YET !!", 1},
      {18, 0, "", 0},
      {19, 0, "4.)  ONCE THE CD HAS STARTED", 1},
      {20, 7, "RECORDING CLICK THE \"MODIFY\"", 2},
      {21, 7, "BUTTON THIS ALTERS THE DUMMY", 1},
      {22, 7, "FILE AND THIS IS THE KEY TO THE", 1},
      {23, 7, "PROTECTION.", 0},
      {24, 0, "", 0},
      {25, 0, "5.)  WHEN CDRWIN TRIES TO RECORD THE", 2},
      {26, 7, "DUMMY FILE IT WILL FAIL BECAUSE", 1},
      {27, 7, "YOU  HAVE MODIFIED IT SINCE.", 1},
      {28, 7, "THEREFORE CDRWIN WILL FAIL THE", 1},
      {29, 7, "RECORDING AT THE END BUT THIS IS", 0},
      {30, 7, "QUITE NORMAL AND EXPECTED.", 1},
      {31, 7, "THE IMPORTANT CONTENTS OF THE", 1},
      {32, 7, "CD HAVE ALREADY BEEN WRITTEN !!", 1},
  };
  const auto lines = Lines(kHelpText);
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_NE(lines[0].find("VARNITE"), std::string::npos);
  for (const Row& row : rows) {
    EXPECT_EQ(lines[row.line - 1],
              std::string(row.lead, ' ') + row.text + std::string(row.trail, ' '))
        << "line " << row.line;
  }
}

TEST(AboutText, HasItsSevenLines) {
  const auto lines = Lines(kAboutText);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_NE(lines[2].find("100% 32-Bit"), std::string::npos);
  EXPECT_EQ(lines[3], std::string(14, ' '));
  EXPECT_NE(lines[6].find(".example"), std::string::npos);
}

TEST(HelpFont, TakesTheFirstFaceThereAtTheLargestSizeItsWidestLineFits) {
  // A stand-in measure: each face's widest line is so many pixels per pixel of height.
  struct Row {
    int dpi;
    std::set<std::string> installed;
    int room;
    const char* face;
    int height;
    bool fits;
  };
  const Row rows[] = {
      {96, {"MS Serif", "Times New Roman"}, 10, "MS Serif", 9, true},
      {96, {"Times New Roman"}, 270, "Times New Roman", 9, true},  // 9 px: 270 wide
      {96, {"Times New Roman"}, 269, "Times New Roman", 8, true},
      {96, {"Times New Roman"}, 210, "Times New Roman", 7, true},  // 7 px: the smallest
      {96, {"Times New Roman"}, 209, "", 8, true},                 // the mapper's, 25 a px
      {96, {}, 225, "", 9, true},
      {96, {"Times New Roman"}, 100, "Times New Roman", 7, false},
      {96, {}, 100, "", 7, false},
      {144, {"Times New Roman"}, 360, "Times New Roman", 12, true},  // 14 px down to 11
      {144, {"Times New Roman"}, 270, "Times New Roman", 11, false},
  };
  for (const Row& row : rows) {
    const HelpFont font = ChooseHelpFont(
        row.dpi, row.room, [&](const std::string& face) { return row.installed.count(face) > 0; },
        [](const std::string& face, int height) { return height * (face.empty() ? 25 : 30); });
    const std::string where = std::to_string(row.dpi) + " DPI, room " + std::to_string(row.room);
    EXPECT_EQ(font.face, row.face) << where;
    EXPECT_EQ(font.pixelHeight, row.height) << where;
    EXPECT_EQ(font.fits, row.fits) << where;
  }
  // The lines measured are the text's own, blanks and all.
  EXPECT_THAT(TextLines("a\r\n b  \r\n\r\nc"), ElementsAre("a", " b  ", "", "c"));
  EXPECT_THAT(TextLines(kHelpText), ::testing::SizeIs(32));
}

}  // namespace
}  // namespace varnite
