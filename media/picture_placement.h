#pragma once
// How a picture of another size goes into the editor's picture (72 x 14,
// or 84 x 48 for the startup graphic): as the Group and System Graphics
// window's Open places it, a smaller one at the top left, a larger one on
// the editor's grid, so that the picture takes its pixels from the grid's
// origin on (column 5 and row 4 for the logos). Open, `logo set` and
// phondeck-convert say so when they place a picture.
#include <string>

#include "media/editor_profile.h"
#include "media/mono_bitmap.h"

namespace phondeck {

enum class Placement { AsIs, TopLeft, FromGrid };

struct PlacedPicture {
  MonoBitmap picture;  // of the profile's size
  Placement placement = Placement::AsIs;
  int source_width = 0;
  int source_height = 0;
  int from_column = 1;  // FromGrid: the source's first column and row taken, from 1
  int from_row = 1;
};

// size_item: the editor's grid size (0, the default, or 1) whose origin a larger
// picture is placed by.
PlacedPicture place_picture(const MonoBitmap& source, const EditorProfile& profile, int size_item = 0);

// More than twice the profile's picture across or down: most likely not
// meant for it (a startup graphic for a logo); refused unless asked.
bool far_larger(const MonoBitmap& source, const EditorProfile& profile);

// "84 by 48 pixels, placed into the 72 by 14 picture from column 5 and row 4
// of it" / "... at its top left"; "" for AsIs.
std::string placement_text(const PlacedPicture& placed, const EditorProfile& profile);

}  // namespace phondeck
