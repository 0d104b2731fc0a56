// The editor profiles.
#include "media/editor_profile.h"

namespace phondeck {

const EditorProfile& groupGraphicProfile() {
  static const EditorProfile profile{
      72, 14, 570, 150,
      {GridSize{1621, 7, 80, 20, 4, 3, 4, 3}, GridSize{1622, 5, 112, 28, 20, 7, 20, 7}},
      16, 4, 18, 3, true,
      "Bitmap files (*.bmp)|*.bmp|NGG files (*.ngg)|*.ngg|NOL files (*.nol)|*.nol|All files (*.*)|*.*"};
  return profile;
}

const EditorProfile& startupGraphicProfile() {
  static const EditorProfile profile{
      84, 48, 485, 305,
      {GridSize{1622, 5, 94, 58, 5, 5, 5, 5}, GridSize{1623, 4, 118, 74, 17, 13, 17, 13}},
      12, 8, 3, 3, false,
      "Bitmap files (*.bmp)|*.bmp|All files (*.*)|*.*"};
  return profile;
}

}  // namespace phondeck
