#pragma once
// The two set-ups of the pixel grid editor: the 72 by 14 group and system
// graphics, and the 84 by 48 startup graphic.
#include <array>

namespace phondeck {

// One choice of the Size radio group.
struct GridSize {
  int textId;       // caption of the radio item ("7 Pixels", ...)
  int cell;         // screen pixels per cell
  int columns;      // grid size in cells
  int rows;
  int originColumn;  // top left cell of the picture window
  int originRow;
  int pageAcross;   // scroll bar page steps, in cells
  int pageDown;
};

struct EditorProfile {
  int pictureWidth;
  int pictureHeight;
  int areaWidth;   // drawing area in screen pixels
  int areaHeight;
  std::array<GridSize, 2> sizes;  // item 0 is the default; item 1 has the smaller cells
  int shiftAcross;  // how far the content moves between the two grids
  int shiftDown;
  int slotCount;
  int slotsPerRow;
  bool importsBufferFile;  // the "Import *.14" button
  const char* openFilter;  // the Open dialog's filter
};

const EditorProfile& groupGraphicProfile();
const EditorProfile& startupGraphicProfile();

}  // namespace phondeck
