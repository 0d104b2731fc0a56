#include <gtest/gtest.h>

#include <numeric>

#include "ui/main_layout.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

LayoutInput two_pane(int width, int height) {
  LayoutInput in;
  in.client_width = width;
  in.client_height = height;
  in.status_width = width;
  in.status_height = 20;
  in.column_widths = {50, 60, 80, 45, 40, 40, 40, 110};
  return in;
}

TEST(Arrange, FKeyButtonsShareTheWidthInSixWithGaps) {
  const LayoutResult r = arrange(two_pane(620, 300));
  const int w = 620 / 6 - 2;  // 101
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(r.fkeys[k], (Rect{2 + k * (w + 2), 2, w, 25})) << k;
  }
  EXPECT_EQ(r.fkey_panel.height, 29);
  EXPECT_EQ(r.fkey_panel.top, 300 - 29);
  // The last button ends inside the window.
  EXPECT_LE(r.fkeys[5].left + r.fkeys[5].width, 620);
}

TEST(Arrange, SplitPlacesSplitterOnePixelRightOfTheLeftPane) {
  LayoutInput in = two_pane(600, 300);
  in.split_numerator = 1;
  in.split_denominator = 3;
  const LayoutResult r = arrange(in);
  EXPECT_EQ(r.left_pane.width, 200);
  EXPECT_EQ(r.splitter.left, 201);
  EXPECT_EQ(r.splitter.width, 4);
  EXPECT_EQ(r.right_pane.left, 205);
  EXPECT_EQ(r.right_pane.width, 395);
  EXPECT_EQ(r.left_title.width, r.left_pane.width);
  EXPECT_EQ(r.right_title.left, r.right_pane.left);
}

TEST(Arrange, TitleBarsFollowTheFontHeight) {
  LayoutInput in = two_pane(600, 300);
  in.font_points = 12;
  in.pixels_per_inch = 96;
  const LayoutResult r = arrange(in);
  EXPECT_EQ(r.font_height, 16);
  EXPECT_EQ(r.title_panel.height, 26);
  EXPECT_EQ(r.left_title, (Rect{0, 2, 300, 21}));
  EXPECT_EQ(r.left_pane.top, 26);
  EXPECT_EQ(r.left_pane.height, 300 - 29 - 26);
}

TEST(Arrange, StatusBarUnitIsAFifth) {
  LayoutInput in = two_pane(600, 300);
  in.status_width = 503;
  in.status_height = 22;
  const LayoutResult r = arrange(in);
  EXPECT_EQ(r.progress, (Rect{0, 2, 100, 20}));
  EXPECT_EQ(r.status_panels, (std::array<int, 3>{100, 200, 100}));
}

TEST(Arrange, TreeModeGivesTheSplitToTheTree) {
  LayoutInput in = two_pane(800, 400);
  in.tree_mode = true;
  in.split_numerator = 1;
  in.split_denominator = 4;
  const LayoutResult r = arrange(in);
  EXPECT_EQ(r.tree, (Rect{0, 0, 200, 400}));
  EXPECT_EQ(r.third_list.left, 205);
  EXPECT_EQ(r.third_list.width, 595);
  EXPECT_EQ(r.third_list.height, 400);
}

TEST(ColumnWidths, RatioMethodWithEqualWidthsSharesThePaneEqually) {
  const auto w = column_widths_for({1, 1, 1, 1, 1, 1, 1, 1}, 0, 400);
  for (int c : w) EXPECT_EQ(c, 50);
}

TEST(ColumnWidths, RatioMethodUsesTheSplitterPositionAsPaneWidth) {
  LayoutInput in = two_pane(798, 300);
  in.method = 0;
  in.column_widths = {1, 1, 1, 1, 1, 1, 1, 1};
  const LayoutResult r = arrange(in);
  // Left pane 399, splitter at 400: eight columns of 50.
  for (int c : r.columns) EXPECT_EQ(c, 50);
}

TEST(ColumnWidths, RatioMethodInTreeModeUsesTheThirdList) {
  LayoutInput in = two_pane(806, 300);
  in.tree_mode = true;
  in.split_numerator = 1;
  in.split_denominator = 5;
  in.method = 0;
  in.column_widths = {3, 1, 1, 1, 1, 1, 1, 1};
  const LayoutResult r = arrange(in);
  ASSERT_EQ(r.third_list.width, 640);
  EXPECT_EQ(r.columns[0], 192);
  EXPECT_EQ(r.columns[1], 64);
}

TEST(ColumnWidths, PixelMethodKeepsWidthsButTurnsZeroIntoOne) {
  const auto w = column_widths_for({0, 60, 80, 0, 40, 40, 40, 110}, 1, 999);
  EXPECT_EQ(w, (std::array<int, 8>{1, 60, 80, 1, 40, 40, 40, 110}));
}

TEST(ColumnWidths, ZeroWidthsAreStoredBackAsOne) {
  std::array<int, 8> widths{50, 60, 80, 0, 40, 40, 40, 110};
  EXPECT_TRUE(normalise_column_widths(widths));
  EXPECT_EQ(widths[3], 1);
  EXPECT_FALSE(normalise_column_widths(widths));
}

TEST(ColumnWidths, RatioMethodWithAllZeroWidthsDoesNotDivideByZero) {
  const auto w = column_widths_for({0, 0, 0, 0, 0, 0, 0, 0}, 0, 80);
  EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), 80);
}

TEST(Arrange, DegenerateSizesStayNonNegative) {
  LayoutInput in = two_pane(0, 0);
  in.split_denominator = 0;
  const LayoutResult r = arrange(in);
  EXPECT_GE(r.left_pane.height, 0);
  EXPECT_GE(r.right_pane.width, 0);
  EXPECT_GE(r.fkey_panel.top, 0);
}

// The built-in widths in a face of six pixels a character (padding 10): each
// column at least fits its caption and typical value; a wider face scales.
TEST(ColumnWidths, BuiltInDefaultsFitTheirCaptionsAndTypicalValues) {
  testing::fresh_texts_and_configuration();
  const std::array<int, 8> defaults{50, 60, 80, 45, 40, 40, 40, 110};
  const auto six = [](const std::string& text) { return 6 * static_cast<int>(text.size()); };
  // Name and UNICODE "Anna Virtanen", Phone "+358401234567", Type "Received",
  // "Position", Group "Colleagues", WriteAs "WriteAs", Time as it was.
  EXPECT_EQ(readable_column_widths(defaults, 5, six, 10),
            (std::array<int, 8>{88, 88, 88, 58, 58, 70, 52, 110}));
  const std::array<int, 8> wide = readable_column_widths(defaults, 10, six, 10);
  EXPECT_EQ(wide[0], 100);
  EXPECT_EQ(wide[7], 220);
}

}  // namespace
}  // namespace phondeck
