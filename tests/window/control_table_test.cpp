#include "window/control_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "resources/resource.h"

namespace varnite {
namespace {

using ::testing::ElementsAre;

constexpr int kDpis[] = {96, 120, 144, 168, 192};

TEST(ControlTable, DescribesEveryControlOnceUnderItsOwnIdAndName) {
  std::set<int> ids;
  std::set<std::string> names;
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    const ControlRow& row = RowOf(control);
    EXPECT_EQ(row.control, control) << "row " << i << " is out of the enumeration's order";
    EXPECT_EQ(RowWithId(row.id), &row) << row.name;
    ids.insert(row.id);
    names.insert(row.name);
  }
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(kControlCount));
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kControlCount));
  // The ids the dialog manager sends for Return and Escape (1 and 2), and ids next to the
  // controls', are no control's.
  for (int id : {0, 1, 2, 0xFFFF, IDC_CMD_CREATE - 1, IDC_TXT_HELP + 1}) {
    EXPECT_EQ(RowWithId(id), nullptr) << id;
  }
}

TEST(Scaling, RoundsToTheNearestPixelAtAnyDpi) {
  const struct {
    int (*scale)(int, int);
    int value, dpi, pixels;
  } rows[] = {
      {TwipsToPixels, 4905, 96, 327},
      {TwipsToPixels, 3240, 96, 216},
      {TwipsToPixels, 1335, 96, 89},
      {TwipsToPixels, 255, 96, 17},
      {TwipsToPixels, 4905, 120, 409},  // 408.75
      {TwipsToPixels, 1335, 120, 111},  // 111.25
      {TwipsToPixels, 3015, 144, 302},  // 301.5: halves go up
      {TwipsToPixels, 1335, 144, 134},  // 133.5
      {TwipsToPixels, 375, 144, 38},    // 37.5
      {TwipsToPixels, 4905, 144, 491},  // 490.5
      {TwipsToPixels, 7, 96, 0},        // 0.47
      {TwipsToPixels, 8, 96, 1},        // 0.53
      {TwipsToPixels, 1440, 192, 192},
      {TwipsToPixels, 0, 144, 0},
      {TwipsToPixels, -15, 96, -1},
      {TwipsToPixels, -8, 96, -1},             // halves and more away from zero
      {TwipsToPixels, 3000000, 480, 1000000},  // no overflow on the way
      // Font heights: 8 and 6.75 points.
      {FontPixelHeight, kUiFontSize, 96, 11},   // 10.67
      {FontPixelHeight, kUiFontSize, 120, 13},  // 13.33
      {FontPixelHeight, kUiFontSize, 144, 16},
      {FontPixelHeight, kHelpFontSize, 96, 9},
      {FontPixelHeight, kHelpFontSize, 120, 11},  // 11.25
      {FontPixelHeight, kHelpFontSize, 144, 14},  // 13.5
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.scale(row.value, row.dpi), row.pixels) << row.value << " at " << row.dpi;
  }
}

// Every control's rectangle in twips, exact (a twip or two off would round away at 96 DPI
// and show only at higher ones), its pixels at 96 DPI, 15 twips to a pixel, where it keeps
// the rectangle it always had, and its place in the tab order.
TEST(ControlTable, EveryControlHasItsRectangleAndTabPosition) {
  const struct {
    Control control;
    TwipsRect twips;
    PixelRect pixels;
    int tab;
  } rows[] = {
      {Control::cmdCreate, {120, 720, 1335, 375}, {8, 48, 89, 25}, 0},
      {Control::lblCreate, {1680, 720, 3015, 255}, {112, 48, 201, 17}, 1},
      {Control::cmdEdit, {120, 1200, 1335, 375}, {8, 80, 89, 25}, 7},
      {Control::lblCueSheet, {1680, 1200, 3015, 255}, {112, 80, 201, 17}, 2},
      {Control::cmdHelp, {120, 1680, 1335, 375}, {8, 112, 89, 25}, 3},
      {Control::lblHelp, {1680, 1680, 3015, 255}, {112, 112, 201, 17}, 5},
      {Control::cmdAbout, {120, 2160, 1335, 375}, {8, 144, 89, 25}, 4},
      {Control::lblAbout, {1680, 2160, 3135, 255}, {112, 144, 209, 17}, 6},
      {Control::txtAbout, {1680, 720, 3135, 1815}, {112, 48, 209, 121}, 9},
      {Control::txtHelp, {1680, 720, 3135, 1815}, {112, 48, 209, 121}, 8},
  };
  for (const auto& row : rows) {
    const ControlRow& table = RowOf(row.control);
    const PixelRect got = ToPixels(table.twips, 96, 96);
    EXPECT_EQ(std::make_tuple(table.twips.left, table.twips.top, table.twips.width,
                              table.twips.height, table.tabPosition),
              std::make_tuple(row.twips.left, row.twips.top, row.twips.width, row.twips.height,
                              row.tab))
        << table.name;
    EXPECT_EQ(std::make_tuple(got.left, got.top, got.width, got.height),
              std::make_tuple(row.pixels.left, row.pixels.top, row.pixels.width, row.pixels.height))
        << table.name;
  }
}

bool Contains(const PixelRect& outer, const PixelRect& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && inner.right() <= outer.right() &&
         inner.bottom() <= outer.bottom();
}
bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

// What the layout promises must survive the rounding at every DPI: each panel covers all
// four labels as the table has them and no button; every control, a label grown as wide as
// it may, lies inside the client area, clear of the picture's banner (rows 0 to 47 at 96
// DPI) and footer (from row 170); and no two buttons or labels overlap.
TEST(ControlTable, LayoutHoldsAtEveryDpi) {
  for (int dpi : kDpis) {
    const PixelRect client = {0, 0, TwipsToPixels(kClientWidthTwips, dpi),
                              TwipsToPixels(kClientHeightTwips, dpi)};
    const int firstRow = TwipsToPixels(720, dpi), lastRowEnd = TwipsToPixels(2535, dpi);
    // A label as wide as it may grow, for the longest text.
    auto widest = [dpi](const ControlRow& row) {
      return row.kind == ControlKind::Label ? LabelRect(row, dpi, 1 << 20)
                                            : ToPixels(row.twips, dpi, dpi);
    };
    for (const ControlRow& row : kControlTable) {
      const PixelRect rect = widest(row);
      EXPECT_TRUE(Contains(client, rect)) << row.name << " at " << dpi;
      EXPECT_GE(rect.top, firstRow) << row.name << " at " << dpi;
      EXPECT_LE(rect.bottom(), lastRowEnd) << row.name << " at " << dpi;
      for (const ControlRow& other : kControlTable) {
        if (&other == &row) continue;
        const PixelRect otherRect = widest(other);
        const PixelRect otherAsDesigned = ToPixels(other.twips, dpi, dpi);
        const bool panel =
            row.kind == ControlKind::Panel || row.kind == ControlKind::ScrollingPanel;
        const bool otherPanel =
            other.kind == ControlKind::Panel || other.kind == ControlKind::ScrollingPanel;
        if (panel && other.kind == ControlKind::Label) {
          EXPECT_TRUE(Contains(rect, otherAsDesigned)) << row.name << " covers " << other.name;
        } else if (panel && other.kind == ControlKind::Button) {
          EXPECT_FALSE(Overlap(rect, otherRect)) << row.name << " clear of " << other.name;
        } else if (!panel && !otherPanel) {
          EXPECT_FALSE(Overlap(rect, otherRect)) << row.name << " and " << other.name;
        }
      }
    }
  }
}

// A label grows to the right only where its text needs more room at this DPI, up to the
// window's edge; at 96 DPI it keeps its rectangle whatever the text.
TEST(ControlTable, LabelGrowsOnlyWhereItsTextNeedsTheRoom) {
  const struct {
    Control label;
    int dpi, textWidth, width;
  } rows[] = {
      {Control::lblCreate, 96, 230, 201},     // cut at its edge, as it always was
      {Control::lblCreate, 144, 302, 302},    // fits its scaled rectangle
      {Control::lblCreate, 144, 303, 303},    // one pixel more
      {Control::lblCreate, 144, 900, 323},    // the window's edge, 491 - 168
      {Control::lblAbout, 192, 420, 420},     // wider than the panels
      {Control::lblCueSheet, 168, 360, 360},  // 351.75 rounds to 352
      {Control::lblHelp, 192, 0, 402},
  };
  for (const auto& row : rows) {
    PixelRect expected = ToPixels(RowOf(row.label).twips, row.dpi, row.dpi);
    expected.width = row.width;
    const PixelRect got = LabelRect(RowOf(row.label), row.dpi, row.textWidth);
    EXPECT_EQ(std::make_tuple(got.left, got.top, got.width, got.height),
              std::make_tuple(expected.left, expected.top, expected.width, expected.height))
        << RowOf(row.label).name << " at " << row.dpi << " for " << row.textWidth;
  }
}

TEST(ControlTable, StartsWithThePanelsHiddenAndTheFocusOnCreateFile) {
  EXPECT_EQ(FirstInTabOrder(), Control::cmdCreate);
  for (const ControlRow& row : kControlTable) {
    const bool panel = row.kind == ControlKind::Panel || row.kind == ControlKind::ScrollingPanel;
    EXPECT_EQ(row.visibleAtStart, !panel) << row.name;
  }
}

// The Z-order from the top, which the tab key follows: the buttons in the order Create,
// Help, About, CueSheet, then the help and the about panel, and every label under both
// panels, so that a shown panel hides it.
TEST(ControlTable, CreationOrderPutsEveryLabelUnderThePanels) {
  std::vector<std::string> order;
  for (Control control : CreationOrder()) order.push_back(RowOf(control).name);
  EXPECT_THAT(order, ElementsAre("cmdCreate", "cmdHelp", "cmdAbout", "cmdEdit", "txtHelp",
                                 "txtAbout", "lblCreate", "lblCueSheet", "lblHelp", "lblAbout"));
}

}  // namespace
}  // namespace varnite
