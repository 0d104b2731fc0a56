// The pixel grid editor's model with both profiles.
#include <gtest/gtest.h>

#include "media/pixel_grid_editor.h"

namespace phondeck {
namespace {

// Presses (or moves with the button held) at the centre of a cell.
void press(PixelGridEditor& editor, int column, int row, bool left = true) {
  const int cell = editor.size().cell;
  editor.drawAt(editor.leftMargin() + column * cell + cell / 2, editor.topMargin() + row * cell + cell / 2,
                left, !left);
}

std::string labelAt(const PixelGridEditor& editor, int column, int row) {
  const int cell = editor.size().cell;
  return editor.cellLabel(editor.leftMargin() + column * cell + 1, editor.topMargin() + row * cell + 1);
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

TEST(EditorProfiles, MarginsAndTheShiftBetweenGrids) {
  for (const EditorProfile* profile : {&groupGraphicProfile(), &startupGraphicProfile()}) {
    EXPECT_EQ(profile->sizes[1].originColumn - profile->sizes[0].originColumn, profile->shiftAcross);
    EXPECT_EQ(profile->sizes[1].originRow - profile->sizes[0].originRow, profile->shiftDown);
  }
  PixelGridEditor group(groupGraphicProfile());
  PixelGridEditor startup(startupGraphicProfile());
  EXPECT_EQ(std::pair(group.leftMargin(), group.topMargin()), std::pair(5, 5));
  EXPECT_EQ(std::pair(startup.leftMargin(), startup.topMargin()), std::pair(7, 7));
  group.setSize(1);
  startup.setSize(1);
  EXPECT_EQ(std::pair(group.leftMargin(), group.topMargin()), std::pair(5, 5));
  EXPECT_EQ(std::pair(startup.leftMargin(), startup.topMargin()), std::pair(6, 4));
}

TEST_F(GroupEditor, SizeSwitchKeepsThePictureInItsWindow) {
  press(editor, 4, 3);
  EXPECT_TRUE(editor.picture().get(0, 0));
  editor.takeFullRepaint();
  editor.setSize(0);  // already active: nothing happens
  EXPECT_FALSE(editor.takeFullRepaint());
  EXPECT_EQ(editor.lastDrawnCell(), std::pair(4, 3));

  editor.setSize(1);
  EXPECT_TRUE(editor.cell(20, 7));
  EXPECT_TRUE(editor.picture().get(0, 0));
  EXPECT_EQ(setCells(editor), 1);
  EXPECT_EQ(editor.lastDrawnCell(), std::pair(-1, -1));
  EXPECT_EQ(std::pair(editor.horizontalMaximum(), editor.horizontalPosition()), std::pair(224, 112));
  EXPECT_EQ(editor.verticalPosition(), 28);

  // Content outside the smaller grid is lost on the way back.
  press(editor, 0, 0);
  press(editor, 111, 27);
  editor.setSize(0);
  EXPECT_EQ(setCells(editor), 1);
  editor.setSize(1);
  EXPECT_FALSE(editor.cell(0, 0));
  EXPECT_EQ(setCells(editor), 1);
}

TEST(StartupEditor, SizeSwitchMovesByTwelveAndEight) {
  PixelGridEditor editor(startupGraphicProfile());
  press(editor, 5 + 83, 5 + 47);
  editor.setSize(1);
  EXPECT_TRUE(editor.cell(17 + 83, 13 + 47));
  editor.setSize(0);
  EXPECT_TRUE(editor.picture().get(83, 47));
  EXPECT_EQ(setCells(editor), 1);
  EXPECT_FALSE(editor.importSlots(std::vector<MonoBitmap>(18, MonoBitmap(84, 48))));
}

TEST_F(GroupEditor, DrawingMethodsAndTheLastDrawnCell) {
  editor.setMethod(CombineMethod::Xor);
  press(editor, 10, 10);
  const int x = editor.leftMargin() + 10 * 7 + 1;
  editor.drawAt(x, editor.topMargin() + 10 * 7 + 1, true, false);  // same cell, another point
  EXPECT_TRUE(editor.cell(10, 10));
  press(editor, 11, 10);  // leaving and coming back toggles again
  press(editor, 10, 10);
  EXPECT_FALSE(editor.cell(10, 10));
  editor.releaseButton();  // and so does a new press
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
  press(editor, 13, 12);
  EXPECT_TRUE(editor.cell(13, 12));
  press(editor, 10, 10, false);  // the right button clears, whatever the method
  EXPECT_FALSE(editor.cell(10, 10));
  editor.drawAt(x, 100, false, false);  // a move without buttons
  EXPECT_EQ(setCells(editor), 2);        // (11, 10) and (13, 12)
}

TEST_F(GroupEditor, DrawingAreaEdges) {
  // 80 by 20 cells of 7 pixels with margins of 5 in a 570 by 150 area.
  editor.drawAt(5, 5, true, false);
  editor.drawAt(563, 143, true, false);
  EXPECT_TRUE(editor.cell(0, 0));
  EXPECT_TRUE(editor.cell(79, 19));
  editor.clearAll();
  for (auto [x, y] : {std::pair(4, 5), std::pair(5, 4), std::pair(564, 100), std::pair(100, 144),
                      std::pair(-50, -50)})
    editor.drawAt(x, y, true, false);
  EXPECT_EQ(setCells(editor), 0);
}

TEST_F(GroupEditor, CoordinateLabel) {
  EXPECT_EQ(labelAt(editor, 4, 3), "1 , 1");
  EXPECT_EQ(labelAt(editor, 4 + 71, 3 + 13), "72 , 14");
  EXPECT_EQ(labelAt(editor, 4 + 72, 3), "- , -");
  EXPECT_EQ(labelAt(editor, 3, 3), "- , -");
  EXPECT_EQ(editor.cellLabel(-1000, -1000), "- , -");
  editor.setSize(1);
  EXPECT_EQ(labelAt(editor, 20 + 9, 7 + 2), "10 , 3");
}

TEST_F(GroupEditor, ShiftLosesWhatLeavesTheGrid) {
  press(editor, 79, 5);
  press(editor, 40, 5);
  editor.shift(1, 0);
  EXPECT_TRUE(editor.cell(41, 5));
  EXPECT_EQ(setCells(editor), 1);
  editor.shift(-1, -5);
  EXPECT_TRUE(editor.cell(40, 0));
  EXPECT_FALSE(editor.cell(79, 5));
  editor.shift(0, -1);
  EXPECT_EQ(setCells(editor), 0);
  press(editor, 1, 1);
  editor.shift(1000000, 0);
  EXPECT_EQ(setCells(editor), 0);
}

TEST_F(GroupEditor, ScrollBarEvents) {
  press(editor, 40, 10);
  editor.scrollHorizontal(ScrollAction::LineForward);
  editor.scrollHorizontal(ScrollAction::PageBack);    // 4 across
  editor.scrollVertical(ScrollAction::PageForward);   // 3 down
  editor.scrollVertical(ScrollAction::LineBack);
  EXPECT_TRUE(editor.cell(37, 12));
  EXPECT_EQ(std::pair(editor.horizontalPosition(), editor.verticalPosition()), std::pair(80, 20));

  // Dragging the thumb: the content follows the change since the last event.
  editor.scrollHorizontal(ScrollAction::ThumbTrack, 83);
  editor.scrollHorizontal(ScrollAction::ThumbTrack, 81);
  editor.scrollHorizontal(ScrollAction::ThumbPosition, 81);
  EXPECT_TRUE(editor.cell(38, 12));
  EXPECT_EQ(editor.horizontalPosition(), 81);
  editor.scrollHorizontal(ScrollAction::EndScroll);
  EXPECT_EQ(editor.horizontalPosition(), 80);
  editor.scrollHorizontal(ScrollAction::ThumbTrack, 78);  // a new drag starts from the middle
  EXPECT_TRUE(editor.cell(36, 12));
  editor.scrollHorizontal(ScrollAction::ThumbTrack, 5000);
  EXPECT_EQ(editor.horizontalPosition(), 160);

  editor.clearAll();
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
  EXPECT_TRUE(editor.cell(17, 4));
  EXPECT_FALSE(editor.cell(0, 0));
  EXPECT_EQ(setCells(editor), 80 * 20 - 1);
}

TEST_F(GroupEditor, CombiningPicturesOfAnySize) {
  MonoBitmap logo(72, 14);
  logo.set(0, 0);
  logo.set(71, 13);
  editor.combinePicture(logo);
  EXPECT_EQ(editor.picture(), logo);
  EXPECT_EQ(setCells(editor), 2);

  // Larger than the picture: from the grid's corner, clipped to the grid.
  editor.clearAll();
  MonoBitmap wide(100, 20);
  for (auto [x, y] : {std::pair(0, 0), std::pair(79, 19), std::pair(80, 0), std::pair(99, 19)}) wide.set(x, y);
  editor.combinePicture(wide);
  EXPECT_TRUE(editor.cell(0, 0));
  EXPECT_TRUE(editor.cell(79, 19));
  EXPECT_EQ(setCells(editor), 2);

  // Only the region is combined: with AND, cells outside it keep their value.
  editor.clearAll();
  press(editor, 2, 2);
  press(editor, 10, 10);
  editor.setMethod(CombineMethod::And);
  editor.combinePicture(MonoBitmap(8, 8));  // at the origin (4, 3)
  EXPECT_TRUE(editor.cell(2, 2));
  EXPECT_FALSE(editor.cell(10, 10));
  editor.setMethod(CombineMethod::Xor);
  editor.combinePicture(logo);
  EXPECT_TRUE(editor.cell(4, 3));
  editor.combinePicture(logo);
  EXPECT_FALSE(editor.cell(4, 3));
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
  EXPECT_EQ(setCells(editor), 2);
  EXPECT_TRUE(editor.cell(7, 6));
}

TEST_F(GroupEditor, BufferSlots) {
  press(editor, 4, 3);
  editor.takeChangedSlots();
  editor.takeSelectionMoved();
  editor.selectSlot(5);
  EXPECT_TRUE(editor.takeSelectionMoved());
  editor.selectSlot(18);  // no such slot
  EXPECT_FALSE(editor.takeSelectionMoved());
  editor.push();
  EXPECT_EQ(editor.takeChangedSlots(), std::vector<int>{5});
  EXPECT_TRUE(editor.slot(5).get(0, 0));
  editor.clearAll();
  editor.pop();
  EXPECT_TRUE(editor.cell(4, 3));

  // Clear empties every slot, not only the selected one.
  editor.selectSlot(0);
  editor.push();
  editor.clearSlots();
  EXPECT_EQ(editor.takeChangedSlots().size(), 18u);
  for (int k = 0; k < 18; ++k) EXPECT_FALSE(editor.slot(k).any()) << k;

  std::vector<MonoBitmap> pictures(18, MonoBitmap(72, 14));
  pictures[17].set(71, 13);
  ASSERT_TRUE(editor.importSlots(pictures));
  EXPECT_TRUE(editor.slot(17).get(71, 13));
  ASSERT_TRUE(editor.importSlots({pictures[17]}));  // slots it does not reach are cleared
  EXPECT_TRUE(editor.slot(0).get(71, 13));
  EXPECT_FALSE(editor.slot(17).any());
}

TEST_F(GroupEditor, OnlyChangedCellsAreRedrawn) {
  ASSERT_TRUE(editor.takeFullRepaint());
  EXPECT_TRUE(editor.takeChangedCells().empty());
  press(editor, 4, 3);
  press(editor, 5, 3);
  EXPECT_EQ(editor.takeChangedCells(), (std::vector<GridCell>{{4, 3, true}, {5, 3, true}}));
  EXPECT_TRUE(editor.takeChangedCells().empty());
  editor.shift(1, 0);  // only the two ends of the run change
  EXPECT_EQ(editor.takeChangedCells(), (std::vector<GridCell>{{4, 3, false}, {6, 3, true}}));
  EXPECT_FALSE(editor.takeFullRepaint());
  editor.clearAll();  // New repaints everything; nothing is left to draw cell by cell
  EXPECT_TRUE(editor.takeFullRepaint());
  EXPECT_TRUE(editor.takeChangedCells().empty());
  press(editor, 4, 3);
  editor.takeChangedCells();
  editor.setSize(1);  // a size switch repaints, then draws the set cells
  EXPECT_TRUE(editor.takeFullRepaint());
  EXPECT_EQ(editor.takeChangedCells(), (std::vector<GridCell>{{20, 7, true}}));
}

}  // namespace
}  // namespace phondeck
