// The pixel grid editor's model with both profiles.
#include <gtest/gtest.h>

#include "media/pixel_grid_editor.h"

namespace phondeck {
namespace {

// Screen point at the centre of a cell.
std::pair<int, int> pointOf(const PixelGridEditor& editor, int column, int row) {
  const int cell = editor.size().cell;
  return {editor.leftMargin() + column * cell + cell / 2, editor.topMargin() + row * cell + cell / 2};
}

void press(PixelGridEditor& editor, int column, int row, bool left = true) {
  const auto [x, y] = pointOf(editor, column, row);
  editor.drawAt(x, y, left, !left);
}

int setCells(const PixelGridEditor& editor) {
  int count = 0;
  for (int i = 0; i < editor.columns(); ++i)
    for (int j = 0; j < editor.rows(); ++j) count += editor.cell(i, j);
  return count;
}

class GroupEditor : public ::testing::Test {
 protected:
  PixelGridEditor editor{groupGraphicProfile()};
};

TEST(EditorProfiles, GridsMarginsAndShiftsAgree) {
  for (const EditorProfile* profile : {&groupGraphicProfile(), &startupGraphicProfile()}) {
    // The shift between the grids is what keeps the picture window in place.
    EXPECT_EQ(profile->sizes[1].originColumn - profile->sizes[0].originColumn, profile->shiftAcross);
    EXPECT_EQ(profile->sizes[1].originRow - profile->sizes[0].originRow, profile->shiftDown);
    for (const GridSize& size : profile->sizes) {
      EXPECT_LE(size.originColumn + profile->pictureWidth, size.columns);
      EXPECT_LE(size.originRow + profile->pictureHeight, size.rows);
      EXPECT_LE(size.cell * size.columns, profile->areaWidth);
    }
  }
  PixelGridEditor group(groupGraphicProfile());
  EXPECT_EQ(std::pair(group.leftMargin(), group.topMargin()), std::pair(5, 5));
  group.setSize(1);
  EXPECT_EQ(std::pair(group.leftMargin(), group.topMargin()), std::pair(5, 5));
  PixelGridEditor startup(startupGraphicProfile());
  EXPECT_EQ(std::pair(startup.leftMargin(), startup.topMargin()), std::pair(7, 7));
  startup.setSize(1);
  EXPECT_EQ(std::pair(startup.leftMargin(), startup.topMargin()), std::pair(6, 4));
  EXPECT_EQ(startup.slotCount(), 3);
}

TEST_F(GroupEditor, InitialState) {
  EXPECT_EQ(editor.sizeChoice(), 0);
  EXPECT_EQ(editor.method(), CombineMethod::Draw);
  EXPECT_EQ(editor.selectedSlot(), 0);
  EXPECT_EQ(editor.slotCount(), 18);
  EXPECT_EQ(editor.lastDrawnCell(), std::pair(-1, -1));
  EXPECT_EQ(editor.horizontalPosition(), 80);
  EXPECT_EQ(editor.verticalPosition(), 20);
  EXPECT_EQ(editor.cellLabel(0, 0), "- , -");
  EXPECT_EQ(setCells(editor), 0);
  EXPECT_TRUE(editor.takeFullRepaint());
  EXPECT_EQ(editor.takeChangedSlots().size(), 18u);
}

TEST_F(GroupEditor, SizeSwitchKeepsThePictureInItsWindow) {
  press(editor, 4, 3);
  EXPECT_TRUE(editor.picture().get(0, 0));
  editor.takeFullRepaint();
  editor.takeChangedCells();
  editor.setSize(0);  // already active: nothing happens
  EXPECT_FALSE(editor.takeFullRepaint());
  EXPECT_EQ(editor.lastDrawnCell(), std::pair(4, 3));

  editor.setSize(1);
  EXPECT_EQ(editor.columns(), 112);
  EXPECT_TRUE(editor.cell(20, 7));
  EXPECT_FALSE(editor.cell(4, 3));
  EXPECT_TRUE(editor.picture().get(0, 0));
  EXPECT_EQ(editor.lastDrawnCell(), std::pair(-1, -1));
  EXPECT_EQ(editor.horizontalMaximum(), 224);
  EXPECT_EQ(editor.horizontalPosition(), 112);
  EXPECT_EQ(editor.verticalPosition(), 28);
  EXPECT_TRUE(editor.takeFullRepaint());

  // Content outside the smaller grid is lost on the way back.
  editor.releaseButton();
  press(editor, 0, 0);
  press(editor, 111, 27);
  editor.setSize(0);
  EXPECT_TRUE(editor.cell(4, 3));
  EXPECT_EQ(setCells(editor), 1);
  editor.setSize(1);
  EXPECT_FALSE(editor.cell(0, 0));
  EXPECT_EQ(setCells(editor), 1);
}

TEST(StartupEditor, SizeSwitchMovesByTwelveAndEight) {
  PixelGridEditor editor(startupGraphicProfile());
  press(editor, 5 + 83, 5 + 47);
  EXPECT_TRUE(editor.picture().get(83, 47));
  editor.setSize(1);
  EXPECT_TRUE(editor.cell(17 + 83, 13 + 47));
  EXPECT_TRUE(editor.picture().get(83, 47));
  editor.setSize(0);
  EXPECT_TRUE(editor.picture().get(83, 47));
  EXPECT_EQ(setCells(editor), 1);
}

TEST_F(GroupEditor, DrawingMethodsAndTheLastDrawnCell) {
  editor.setMethod(CombineMethod::Xor);
  press(editor, 10, 10);
  EXPECT_TRUE(editor.cell(10, 10));
  // Moving within the same cell does not toggle it back.
  const auto [x, y] = pointOf(editor, 10, 10);
  editor.drawAt(x + 1, y + 1, true, false);
  EXPECT_TRUE(editor.cell(10, 10));
  // Leaving and coming back toggles it again.
  press(editor, 11, 10);
  press(editor, 10, 10);
  EXPECT_FALSE(editor.cell(10, 10));
  // So does a new press after a release.
  editor.releaseButton();
  press(editor, 10, 10);
  EXPECT_TRUE(editor.cell(10, 10));

  editor.releaseButton();
  editor.setMethod(CombineMethod::And);
  press(editor, 10, 10);
  press(editor, 12, 12);
  EXPECT_TRUE(editor.cell(10, 10));
  EXPECT_FALSE(editor.cell(12, 12));

  editor.setMethod(CombineMethod::Or);
  press(editor, 12, 12);  // still the last drawn cell
  EXPECT_FALSE(editor.cell(12, 12));
  editor.releaseButton();
  press(editor, 12, 12);
  EXPECT_TRUE(editor.cell(12, 12));
  // The right button clears whatever the method.
  press(editor, 10, 10, false);
  EXPECT_FALSE(editor.cell(10, 10));
  // Both buttons: the left one counts.
  editor.setMethod(CombineMethod::Draw);
  const auto [x2, y2] = pointOf(editor, 13, 13);
  editor.drawAt(x2, y2, true, true);
  EXPECT_TRUE(editor.cell(13, 13));
  // A move without buttons draws nothing.
  const auto [x3, y3] = pointOf(editor, 14, 14);
  editor.drawAt(x3, y3, false, false);
  EXPECT_FALSE(editor.cell(14, 14));
}

TEST_F(GroupEditor, DrawingAreaEdges) {
  // Group profile at 7 pixels: margin 5, 80 by 20 cells of 7.
  editor.drawAt(5, 5, true, false);
  EXPECT_TRUE(editor.cell(0, 0));
  editor.drawAt(563, 143, true, false);
  EXPECT_TRUE(editor.cell(79, 19));
  editor.clearAll();
  editor.drawAt(4, 5, true, false);
  editor.drawAt(5, 4, true, false);
  editor.drawAt(564, 100, true, false);  // area width - margin - 1
  editor.drawAt(100, 144, true, false);
  editor.drawAt(-50, -50, true, false);
  EXPECT_EQ(setCells(editor), 0);
}

TEST_F(GroupEditor, CoordinateLabel) {
  auto [x, y] = pointOf(editor, 4, 3);
  EXPECT_EQ(editor.cellLabel(x, y), "1 , 1");
  std::tie(x, y) = pointOf(editor, 4 + 71, 3 + 13);
  EXPECT_EQ(editor.cellLabel(x, y), "72 , 14");
  std::tie(x, y) = pointOf(editor, 4 + 72, 3);
  EXPECT_EQ(editor.cellLabel(x, y), "- , -");
  std::tie(x, y) = pointOf(editor, 3, 3);
  EXPECT_EQ(editor.cellLabel(x, y), "- , -");
  EXPECT_EQ(editor.cellLabel(-1000, -1000), "- , -");
  editor.setSize(1);
  std::tie(x, y) = pointOf(editor, 20 + 9, 7 + 2);
  EXPECT_EQ(editor.cellLabel(x, y), "10 , 3");
}

TEST_F(GroupEditor, ShiftLosesWhatLeavesTheGrid) {
  press(editor, 79, 5);
  press(editor, 40, 5);
  editor.shift(1, 0);
  EXPECT_TRUE(editor.cell(41, 5));
  EXPECT_EQ(setCells(editor), 1);
  editor.shift(-1, 0);
  EXPECT_TRUE(editor.cell(40, 5));
  EXPECT_FALSE(editor.cell(79, 5));
  editor.shift(0, -5);
  EXPECT_TRUE(editor.cell(40, 0));
  editor.shift(0, -1);
  EXPECT_EQ(setCells(editor), 0);
  press(editor, 1, 1);
  editor.shift(1000000, 0);
  EXPECT_EQ(setCells(editor), 0);
}

TEST_F(GroupEditor, ScrollBarEvents) {
  press(editor, 40, 10);
  editor.scrollHorizontal(ScrollAction::LineForward);
  EXPECT_TRUE(editor.cell(41, 10));
  editor.scrollHorizontal(ScrollAction::PageBack);
  EXPECT_TRUE(editor.cell(37, 10));  // page step 4 across
  EXPECT_EQ(editor.horizontalPosition(), 80);
  editor.scrollVertical(ScrollAction::PageForward);
  EXPECT_TRUE(editor.cell(37, 13));  // page step 3 down
  editor.scrollVertical(ScrollAction::LineBack);
  EXPECT_TRUE(editor.cell(37, 12));
  EXPECT_EQ(editor.verticalPosition(), 20);

  // Dragging the thumb: the content follows the change since the last event.
  editor.scrollHorizontal(ScrollAction::ThumbTrack, 83);
  EXPECT_TRUE(editor.cell(40, 12));
  editor.scrollHorizontal(ScrollAction::ThumbTrack, 81);
  EXPECT_TRUE(editor.cell(38, 12));
  EXPECT_EQ(editor.horizontalPosition(), 81);
  editor.scrollHorizontal(ScrollAction::ThumbPosition, 81);
  EXPECT_TRUE(editor.cell(38, 12));
  editor.scrollHorizontal(ScrollAction::EndScroll);
  EXPECT_EQ(editor.horizontalPosition(), 80);
  // A new drag starts from the middle again.
  editor.scrollHorizontal(ScrollAction::ThumbTrack, 78);
  EXPECT_TRUE(editor.cell(36, 12));
  // Positions beyond the bar are taken at its ends.
  editor.scrollHorizontal(ScrollAction::EndScroll);
  editor.scrollHorizontal(ScrollAction::ThumbTrack, 5000);
  EXPECT_EQ(editor.horizontalPosition(), 160);
  EXPECT_EQ(setCells(editor), 0);

  editor.setSize(1);
  press(editor, 50, 10);
  editor.scrollHorizontal(ScrollAction::PageForward);
  editor.scrollVertical(ScrollAction::PageForward);
  EXPECT_TRUE(editor.cell(70, 17));  // steps 20 and 7 at 5 pixels
}

TEST_F(GroupEditor, InvertCoversTheCurrentGridOnly) {
  press(editor, 0, 0);
  editor.invert();
  EXPECT_FALSE(editor.cell(0, 0));
  EXPECT_EQ(setCells(editor), 80 * 20 - 1);
  editor.setSize(1);
  EXPECT_FALSE(editor.cell(0, 0));   // beyond the old grid: clear
  EXPECT_TRUE(editor.cell(17, 4));
  EXPECT_FALSE(editor.cell(16 + 80, 4));
  EXPECT_EQ(setCells(editor), 80 * 20 - 1);
}

TEST_F(GroupEditor, CombiningPicturesOfAnySize) {
  MonoBitmap logo(72, 14);
  logo.set(0, 0);
  logo.set(71, 13);
  editor.combinePicture(logo);
  EXPECT_TRUE(editor.cell(4, 3));
  EXPECT_TRUE(editor.cell(75, 16));
  EXPECT_EQ(editor.picture(), logo);

  // Larger than the picture: from the grid's corner, clipped to the grid.
  editor.clearAll();
  MonoBitmap wide(100, 20);
  wide.set(0, 0);
  wide.set(79, 19);
  wide.set(80, 0);
  wide.set(99, 19);
  editor.combinePicture(wide);
  EXPECT_TRUE(editor.cell(0, 0));
  EXPECT_TRUE(editor.cell(79, 19));
  EXPECT_EQ(setCells(editor), 2);

  // Only the region is combined: with AND, cells outside it keep their value.
  editor.clearAll();
  press(editor, 2, 2);
  press(editor, 10, 10);
  editor.setMethod(CombineMethod::And);
  MonoBitmap small(8, 8);
  editor.combinePicture(small);  // at the origin (4, 3), 8 by 8
  EXPECT_TRUE(editor.cell(2, 2));
  EXPECT_FALSE(editor.cell(10, 10));
  // XOR with a picture of the right size inverts where it is set.
  editor.setMethod(CombineMethod::Xor);
  editor.combinePicture(logo);
  editor.combinePicture(logo);
  EXPECT_FALSE(editor.cell(4, 3));
  EXPECT_TRUE(editor.cell(2, 2));
}

TEST_F(GroupEditor, CombiningIntoThePictureLeavesTheSurroundings) {
  press(editor, 0, 0);
  press(editor, 10, 5);
  MonoBitmap logo(72, 14);
  editor.combineIntoPicture(logo);  // Draw: the picture becomes clear
  EXPECT_TRUE(editor.cell(0, 0));
  EXPECT_FALSE(editor.cell(10, 5));
  logo.set(3, 3);
  editor.setMethod(CombineMethod::Or);
  editor.combineIntoPicture(logo);
  EXPECT_TRUE(editor.cell(7, 6));
  EXPECT_TRUE(editor.cell(0, 0));
}

TEST_F(GroupEditor, BufferSlots) {
  press(editor, 4, 3);
  editor.takeChangedSlots();
  editor.takeSelectionMoved();
  editor.selectSlot(5);
  EXPECT_TRUE(editor.takeSelectionMoved());
  editor.selectSlot(5);
  EXPECT_FALSE(editor.takeSelectionMoved());
  editor.push();
  EXPECT_EQ(editor.takeChangedSlots(), std::vector<int>{5});
  EXPECT_TRUE(editor.slot(5).get(0, 0));
  EXPECT_FALSE(editor.slot(0).any());

  editor.clearAll();
  editor.pop();
  EXPECT_TRUE(editor.cell(4, 3));
  editor.selectSlot(18);  // no such slot
  editor.selectSlot(-1);
  EXPECT_EQ(editor.selectedSlot(), 5);

  editor.clearSlots();
  EXPECT_EQ(editor.takeChangedSlots().size(), 18u);
  for (int k = 0; k < 18; ++k) EXPECT_FALSE(editor.slot(k).any()) << k;

  std::vector<MonoBitmap> pictures(18, MonoBitmap(72, 14));
  pictures[17].set(71, 13);
  pictures[0].set(1, 0);
  ASSERT_TRUE(editor.importSlots(pictures));
  EXPECT_TRUE(editor.slot(17).get(71, 13));
  EXPECT_TRUE(editor.slot(0).get(1, 0));
  // A short list clears the slots it does not reach.
  ASSERT_TRUE(editor.importSlots({pictures[17]}));
  EXPECT_TRUE(editor.slot(0).get(71, 13));
  EXPECT_FALSE(editor.slot(17).any());

  PixelGridEditor startup(startupGraphicProfile());
  EXPECT_FALSE(startup.importSlots(pictures));
  EXPECT_FALSE(startup.slot(0).any());
}

TEST_F(GroupEditor, OnlyChangedCellsAreRedrawn) {
  ASSERT_TRUE(editor.takeFullRepaint());
  EXPECT_TRUE(editor.takeChangedCells().empty());
  press(editor, 4, 3);
  press(editor, 5, 3);
  EXPECT_EQ(editor.takeChangedCells(), (std::vector<GridCell>{{4, 3, true}, {5, 3, true}}));
  EXPECT_TRUE(editor.takeChangedCells().empty());
  // A shift by one changes only the two ends of the run.
  editor.shift(1, 0);
  EXPECT_EQ(editor.takeChangedCells(), (std::vector<GridCell>{{4, 3, false}, {6, 3, true}}));
  EXPECT_FALSE(editor.takeFullRepaint());
  // New repaints everything; nothing is left to draw cell by cell.
  editor.clearAll();
  EXPECT_TRUE(editor.takeFullRepaint());
  EXPECT_TRUE(editor.takeChangedCells().empty());
  // A size switch repaints, then draws the cells that are set.
  press(editor, 4, 3);
  editor.takeChangedCells();
  editor.setSize(1);
  EXPECT_TRUE(editor.takeFullRepaint());
  EXPECT_EQ(editor.takeChangedCells(), (std::vector<GridCell>{{20, 7, true}}));
  EXPECT_TRUE(editor.inPicture(20, 7));
  EXPECT_FALSE(editor.inPicture(19, 7));
}

}  // namespace
}  // namespace phondeck
