#pragma once
// The magnified pixel grid that both graphics windows edit their picture in.
// The windows only draw what this model says and forward mouse, scroll-bar and
// button events to it.
#include <string>
#include <utility>
#include <vector>

#include "media/editor_profile.h"
#include "media/mono_bitmap.h"

namespace phondeck {

enum class CombineMethod { Draw = 0, Or = 1, Xor = 2, And = 3 };

// The new bit of a cell whose bit is `old` when `incoming` is combined in.
bool combine(CombineMethod method, bool old, bool incoming);

enum class ScrollAction {
  LineBack,       // line left or up
  LineForward,    // line right or down
  PageBack,
  PageForward,
  ThumbTrack,     // the thumb is dragged to a position
  ThumbPosition,  // the thumb is released at a position
  EndScroll,
};

struct GridCell {
  int column;
  int row;
  bool set;
  bool operator==(const GridCell&) const = default;
};

class PixelGridEditor {
 public:
  explicit PixelGridEditor(const EditorProfile& profile);

  const EditorProfile& profile() const { return profile_; }
  int sizeChoice() const { return sizeChoice_; }
  const GridSize& size() const { return profile_.sizes[static_cast<std::size_t>(sizeChoice_)]; }
  int columns() const { return size().columns; }
  int rows() const { return size().rows; }
  // Where the grid sits in the drawing area, in screen pixels.
  int leftMargin() const;
  int topMargin() const;

  // The bit of a cell; clear outside the current grid.
  bool cell(int column, int row) const;
  bool inPicture(int column, int row) const;
  // The W by H picture at the picture origin (what Write and Send use).
  MonoBitmap picture() const;

  CombineMethod method() const { return method_; }
  void setMethod(CombineMethod method) { method_ = method; }

  // Size radio group, item 0 or 1: switches the grid and moves the content so
  // the picture stays in the picture window.
  void setSize(int item);
  // New: every cell clear, the whole area repainted.
  void clearAll();
  void invert();

  // A press or a move at a point of the drawing area with the buttons held.
  void drawAt(int x, int y, bool left, bool right);
  // Releasing a button: a later press draws again in the same cell.
  void releaseButton();
  std::pair<int, int> lastDrawnCell() const { return lastDrawn_; }
  // The coordinate label for a point: "column , row" counted from 1 at the
  // picture's top left, or "- , -" outside the picture.
  std::string cellLabel(int x, int y) const;

  // Moves the whole content `across` columns (right when positive) and `down`
  // rows (down when positive); what leaves the grid is lost.
  void shift(int across, int down);
  // Scroll-bar events; `position` is the thumb's position for the thumb events.
  void scrollHorizontal(ScrollAction action, int position = 0);
  void scrollVertical(ScrollAction action, int position = 0);
  int horizontalPosition() const { return horizontal_.position; }
  int verticalPosition() const { return vertical_.position; }
  int horizontalMaximum() const { return 2 * columns(); }
  int verticalMaximum() const { return 2 * rows(); }

  // A picture of any size from a file: from the grid's top left when larger
  // than the picture, else at the picture origin; clipped to the grid.
  void combinePicture(const MonoBitmap& source);
  // A W by H picture at the picture origin, one source pixel per picture pixel.
  void combineIntoPicture(const MonoBitmap& source);

  // Buffer slots.
  int slotCount() const { return static_cast<int>(slots_.size()); }
  int selectedSlot() const { return selected_; }
  const MonoBitmap& slot(int index) const { return slots_.at(static_cast<std::size_t>(index)); }
  void selectSlot(int index);
  void push();
  void pop();
  void clearSlots();
  // Slot k becomes picture k (profiles with buffer-file import only); false
  // when the profile has no import.
  bool importSlots(const std::vector<MonoBitmap>& pictures);

  // What the window must draw. After New and a size switch the whole area is
  // repainted first (grid lines, frame, every cell in the background colour);
  // then, and after every other change, the cells that differ from what is on
  // screen. Taking them counts them as drawn.
  bool takeFullRepaint();
  std::vector<GridCell> takeChangedCells();
  // Slots whose picture changed since last asked (push, clear, import).
  std::vector<int> takeChangedSlots();
  // Whether the selection frame moved since last asked.
  bool takeSelectionMoved();

 private:
  struct ScrollBar {
    int position = 0;
    int remembered = 0;
  };
  using Grid = std::vector<unsigned char>;

  std::size_t index(int column, int row) const {
    return static_cast<std::size_t>(column) * static_cast<std::size_t>(maxRows_) +
           static_cast<std::size_t>(row);
  }
  void scroll(ScrollBar& bar, bool across, ScrollAction action, int position);
  void centreScrollBars();
  void markSlot(int index);

  const EditorProfile& profile_;
  int sizeChoice_ = 0;
  int maxColumns_ = 0;
  int maxRows_ = 0;
  Grid grid_;
  Grid displayed_;
  bool fullRepaint_ = true;
  CombineMethod method_ = CombineMethod::Draw;
  std::pair<int, int> lastDrawn_{-1, -1};
  ScrollBar horizontal_;
  ScrollBar vertical_;
  std::vector<MonoBitmap> slots_;
  int selected_ = 0;
  std::vector<bool> slotChanged_;
  bool selectionMoved_ = true;
};

}  // namespace phondeck
