// The pixel grid editor's model.
#include "media/pixel_grid_editor.h"

#include <algorithm>

namespace phondeck {

namespace {

// Division rounding toward minus infinity, for points left of or above the grid.
int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

bool combine(CombineMethod method, bool old, bool incoming) {
  switch (method) {
    case CombineMethod::Draw: return incoming;
    case CombineMethod::Or: return old || incoming;
    case CombineMethod::Xor: return old != incoming;
    case CombineMethod::And: return old && incoming;
  }
  return incoming;
}

PixelGridEditor::PixelGridEditor(const EditorProfile& profile) : profile_(profile) {
  for (const GridSize& s : profile_.sizes) {
    maxColumns_ = std::max(maxColumns_, s.columns);
    maxRows_ = std::max(maxRows_, s.rows);
  }
  grid_.assign(static_cast<std::size_t>(maxColumns_) * static_cast<std::size_t>(maxRows_), 0);
  displayed_ = grid_;
  slots_.assign(static_cast<std::size_t>(profile_.slotCount),
                MonoBitmap(profile_.pictureWidth, profile_.pictureHeight));
  slotChanged_.assign(slots_.size(), true);
  centreScrollBars();
}

int PixelGridEditor::leftMargin() const { return (profile_.areaWidth - size().cell * columns()) / 2; }

int PixelGridEditor::topMargin() const { return (profile_.areaHeight - size().cell * rows()) / 2; }

bool PixelGridEditor::cell(int column, int row) const {
  if (column < 0 || row < 0 || column >= columns() || row >= rows()) return false;
  return grid_[index(column, row)] != 0;
}

bool PixelGridEditor::inPicture(int column, int row) const {
  const int x = column - size().originColumn;
  const int y = row - size().originRow;
  return x >= 0 && y >= 0 && x < profile_.pictureWidth && y < profile_.pictureHeight;
}

MonoBitmap PixelGridEditor::picture() const {
  MonoBitmap out(profile_.pictureWidth, profile_.pictureHeight);
  for (int y = 0; y < profile_.pictureHeight; ++y)
    for (int x = 0; x < profile_.pictureWidth; ++x)
      out.set(x, y, cell(size().originColumn + x, size().originRow + y));
  return out;
}

void PixelGridEditor::setSize(int item) {
  if (item < 0 || item > 1 || item == sizeChoice_) return;
  // Towards the smaller cells the content moves right and down by the
  // profile's shift, back towards the larger cells left and up.
  const int sign = item > sizeChoice_ ? 1 : -1;
  const int dx = sign * profile_.shiftAcross;
  const int dy = sign * profile_.shiftDown;
  const int oldColumns = columns();
  const int oldRows = rows();
  sizeChoice_ = item;
  Grid next(grid_.size(), 0);
  for (int i = 0; i < columns(); ++i)
    for (int j = 0; j < rows(); ++j) {
      const int oi = i - dx;
      const int oj = j - dy;
      if (oi >= 0 && oj >= 0 && oi < oldColumns && oj < oldRows) next[index(i, j)] = grid_[index(oi, oj)];
    }
  grid_ = std::move(next);
  centreScrollBars();
  lastDrawn_ = {-1, -1};
  fullRepaint_ = true;
}

void PixelGridEditor::clearAll() {
  std::fill(grid_.begin(), grid_.end(), 0);
  fullRepaint_ = true;
}

void PixelGridEditor::invert() {
  for (int i = 0; i < columns(); ++i)
    for (int j = 0; j < rows(); ++j) grid_[index(i, j)] ^= 1;
}

void PixelGridEditor::drawAt(int x, int y, bool left, bool right) {
  if (!left && !right) return;
  const int lm = leftMargin();
  const int tm = topMargin();
  if (x < lm || x >= profile_.areaWidth - lm - 1 || y < tm || y >= profile_.areaHeight - tm - 1) return;
  const int column = (x - lm) / size().cell;
  const int row = (y - tm) / size().cell;
  if (column >= columns() || row >= rows()) return;
  if (lastDrawn_ == std::pair{column, row}) return;
  lastDrawn_ = {column, row};
  unsigned char& bit = grid_[index(column, row)];
  bit = left ? combine(method_, bit != 0, true) : 0;
}

void PixelGridEditor::releaseButton() { lastDrawn_ = {-1, -1}; }

std::string PixelGridEditor::cellLabel(int x, int y) const {
  const int column = floorDiv(x - leftMargin(), size().cell) - size().originColumn;
  const int row = floorDiv(y - topMargin(), size().cell) - size().originRow;
  if (column < 0 || row < 0 || column >= profile_.pictureWidth || row >= profile_.pictureHeight)
    return "- , -";
  return std::to_string(column + 1) + " , " + std::to_string(row + 1);
}

void PixelGridEditor::shift(int across, int down) {
  if (across == 0 && down == 0) return;
  Grid next(grid_.size(), 0);
  for (int i = 0; i < columns(); ++i)
    for (int j = 0; j < rows(); ++j) {
      // Wide shifts (a long thumb drag) simply empty the grid.
      const long oi = static_cast<long>(i) - across;
      const long oj = static_cast<long>(j) - down;
      if (oi >= 0 && oj >= 0 && oi < columns() && oj < rows())
        next[index(i, j)] = grid_[index(static_cast<int>(oi), static_cast<int>(oj))];
    }
  grid_ = std::move(next);
}

void PixelGridEditor::scroll(ScrollBar& bar, bool across, ScrollAction action, int position) {
  const int middle = across ? columns() : rows();
  const int page = across ? size().pageAcross : size().pageDown;
  int n = 0;
  switch (action) {
    case ScrollAction::LineBack: n = -1; break;
    case ScrollAction::LineForward: n = 1; break;
    case ScrollAction::PageBack: n = -page; break;
    case ScrollAction::PageForward: n = page; break;
    case ScrollAction::ThumbTrack:
    case ScrollAction::ThumbPosition:
      position = std::clamp(position, 0, 2 * middle);
      n = position - bar.remembered;
      bar.remembered = position;
      bar.position = position;
      break;
    case ScrollAction::EndScroll:
      bar.position = bar.remembered = middle;
      return;
  }
  if (action != ScrollAction::ThumbTrack && action != ScrollAction::ThumbPosition) bar.position = middle;
  shift(across ? n : 0, across ? 0 : n);
}

void PixelGridEditor::scrollHorizontal(ScrollAction action, int position) {
  scroll(horizontal_, true, action, position);
}

void PixelGridEditor::scrollVertical(ScrollAction action, int position) {
  scroll(vertical_, false, action, position);
}

void PixelGridEditor::centreScrollBars() {
  horizontal_.position = horizontal_.remembered = columns();
  vertical_.position = vertical_.remembered = rows();
}

void PixelGridEditor::combinePicture(const MonoBitmap& source) {
  const bool larger = source.width() > profile_.pictureWidth || source.height() > profile_.pictureHeight;
  const int left = larger ? 0 : size().originColumn;
  const int top = larger ? 0 : size().originRow;
  const int width = std::min(source.width(), columns() - left);
  const int height = std::min(source.height(), rows() - top);
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < height; ++y) {
      unsigned char& bit = grid_[index(left + x, top + y)];
      bit = combine(method_, bit != 0, source.get(x, y));
    }
}

void PixelGridEditor::combineIntoPicture(const MonoBitmap& source) {
  for (int x = 0; x < profile_.pictureWidth; ++x)
    for (int y = 0; y < profile_.pictureHeight; ++y) {
      unsigned char& bit = grid_[index(size().originColumn + x, size().originRow + y)];
      bit = combine(method_, bit != 0, source.get(x, y));
    }
}

void PixelGridEditor::selectSlot(int index) {
  if (index < 0 || index >= slotCount() || index == selected_) return;
  selected_ = index;
  selectionMoved_ = true;
}

void PixelGridEditor::push() {
  slots_[static_cast<std::size_t>(selected_)] = picture();
  markSlot(selected_);
}

void PixelGridEditor::pop() { combineIntoPicture(slots_[static_cast<std::size_t>(selected_)]); }

void PixelGridEditor::clearSlots() {
  for (int k = 0; k < slotCount(); ++k) {
    slots_[static_cast<std::size_t>(k)].clear();
    markSlot(k);
  }
}

bool PixelGridEditor::importSlots(const std::vector<MonoBitmap>& pictures) {
  if (!profile_.importsBufferFile) return false;
  for (int k = 0; k < slotCount(); ++k) {
    MonoBitmap& target = slots_[static_cast<std::size_t>(k)];
    target.clear();
    if (static_cast<std::size_t>(k) < pictures.size()) {
      const MonoBitmap& source = pictures[static_cast<std::size_t>(k)];
      for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) target.set(x, y, source.get(x, y));
    }
    markSlot(k);
  }
  return true;
}

void PixelGridEditor::markSlot(int index) { slotChanged_[static_cast<std::size_t>(index)] = true; }

bool PixelGridEditor::takeFullRepaint() {
  if (!fullRepaint_) return false;
  fullRepaint_ = false;
  // The repaint leaves every cell in the background colour.
  std::fill(displayed_.begin(), displayed_.end(), 0);
  return true;
}

std::vector<GridCell> PixelGridEditor::takeChangedCells() {
  std::vector<GridCell> changed;
  for (int i = 0; i < columns(); ++i)
    for (int j = 0; j < rows(); ++j) {
      const std::size_t k = index(i, j);
      if (grid_[k] != displayed_[k]) {
        changed.push_back({i, j, grid_[k] != 0});
        displayed_[k] = grid_[k];
      }
    }
  return changed;
}

std::vector<int> PixelGridEditor::takeChangedSlots() {
  std::vector<int> changed;
  for (int k = 0; k < slotCount(); ++k)
    if (slotChanged_[static_cast<std::size_t>(k)]) {
      changed.push_back(k);
      slotChanged_[static_cast<std::size_t>(k)] = false;
    }
  return changed;
}

bool PixelGridEditor::takeSelectionMoved() {
  const bool moved = selectionMoved_;
  selectionMoved_ = false;
  return moved;
}

}  // namespace phondeck
