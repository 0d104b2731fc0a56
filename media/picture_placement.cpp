#include "media/picture_placement.h"

#include <algorithm>

#include "media/pixel_grid_editor.h"

namespace phondeck {

PlacedPicture place_picture(const MonoBitmap& source, const EditorProfile& profile, int size_item) {
  PlacedPicture placed;
  placed.source_width = source.width();
  placed.source_height = source.height();
  if (source.width() == profile.pictureWidth && source.height() == profile.pictureHeight) {
    placed.picture = source;
    return placed;
  }
  // Placed by the editor itself, as Open places it.
  PixelGridEditor grid(profile);
  grid.setSize(std::clamp(size_item, 0, 1));
  grid.combinePicture(source);
  placed.picture = grid.picture();
  const bool larger = source.width() > profile.pictureWidth || source.height() > profile.pictureHeight;
  placed.placement = larger ? Placement::FromGrid : Placement::TopLeft;
  if (larger) {
    const GridSize& size = profile.sizes[static_cast<std::size_t>(std::clamp(size_item, 0, 1))];
    placed.from_column = size.originColumn + 1;
    placed.from_row = size.originRow + 1;
  }
  return placed;
}

bool far_larger(const MonoBitmap& source, const EditorProfile& profile) {
  return source.width() > 2 * profile.pictureWidth || source.height() > 2 * profile.pictureHeight;
}

std::string placement_text(const PlacedPicture& placed, const EditorProfile& profile) {
  if (placed.placement == Placement::AsIs) return {};
  const std::string sizes = std::to_string(placed.source_width) + " by " + std::to_string(placed.source_height) +
                            " pixels, placed into the " + std::to_string(profile.pictureWidth) + " by " +
                            std::to_string(profile.pictureHeight) + " picture ";
  if (placed.placement == Placement::TopLeft) return sizes + "at its top left";
  return sizes + "from column " + std::to_string(placed.from_column) + " and row " + std::to_string(placed.from_row) +
         " of the bitmap on";
}

}  // namespace phondeck
