#pragma once
// The pixel grid editor on screen, shared by both graphics windows with their
// profile: the drawing area (Image1) with its two scroll bars, the Preview box
// (the picture at true size, the coordinate label, Inverse, Copy, Paste), the
// Buffer box (the slots with the red selection frame, Push, Pop, Clear, and
// for the group window Import *.14 and Save *.14) and the Method and Size
// radio groups. Every change goes to the model first; refresh() then draws
// only the cells that differ from what is on screen.
#include <QImage>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

#include "media/graphics_editor.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace phondeck {

// Image1: the magnified grid. Left button draws by the method, right clears.
class PixelGridArea final : public QWidget {
  Q_OBJECT
 public:
  PixelGridArea(PixelGridEditor& grid, QWidget* parent);
  const QImage& canvas() const { return canvas_; }
  // Grid lines, picture frame, every cell in the background colour.
  void paintAll();
  void paintCell(const GridCell& cell);

  std::function<void()> changed;                  // after a drawing step
  std::function<void(const QString&)> moved;      // the coordinate label's text

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void draw(QMouseEvent* event);

  PixelGridEditor& grid_;
  QImage canvas_;
};

// An image shown at true size: the preview (Image2).
class MonoView final : public QWidget {
  Q_OBJECT
 public:
  MonoView(int width, int height, QWidget* parent);
  QImage& image() { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

// The buffer slots in rows, with the red frame around the selected one.
class SlotsView final : public QWidget {
  Q_OBJECT
 public:
  SlotsView(PixelGridEditor& grid, QWidget* parent);
  // Where slot k is drawn.
  QRect slotRect(int k) const;
  std::function<void(int)> clicked;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  PixelGridEditor& grid_;
};

class PixelGridPanel final : public QWidget {
  Q_OBJECT
 public:
  PixelGridPanel(GraphicsEditor& editor, QWidget* parent);
  void apply_texts();
  // Draws what changed in the model: cells, preview, slots, frame, scroll bars.
  void refresh();

  PixelGridArea* area() const { return area_; }
  MonoView* preview() const { return preview_; }
  QLabel* label() const { return label_; }
  SlotsView* slot_view() const { return slots_; }
  QScrollBar* horizontal() const { return horizontal_; }
  QScrollBar* vertical() const { return vertical_; }
  QPushButton* push_button() const { return push_; }
  QPushButton* pop_button() const { return pop_; }
  QPushButton* clear_button() const { return clear_; }
  QPushButton* import_button() const { return import_; }
  QPushButton* save_slots_button() const { return save_slots_; }
  QPushButton* inverse_button() const { return inverse_; }
  QPushButton* copy_button() const { return copy_; }
  QPushButton* paste_button() const { return paste_; }
  QRadioButton* method_button(int k) const { return methods_.at(static_cast<std::size_t>(k)); }
  QRadioButton* size_button(int k) const { return sizes_.at(static_cast<std::size_t>(k)); }

  // Copy and Paste of the preview through the clipboard.
  void copy();
  void paste();

 private:
  void scrolled(bool across, int action);
  void import_slots();
  void save_slots();

  GraphicsEditor& editor_;
  PixelGridArea* area_ = nullptr;
  MonoView* preview_ = nullptr;
  QLabel* label_ = nullptr;
  SlotsView* slots_ = nullptr;
  QScrollBar* horizontal_ = nullptr;
  QScrollBar* vertical_ = nullptr;
  QGroupBox* preview_box_ = nullptr;
  QGroupBox* buffer_box_ = nullptr;
  QGroupBox* method_box_ = nullptr;
  QGroupBox* size_box_ = nullptr;
  QPushButton* push_ = nullptr;
  QPushButton* pop_ = nullptr;
  QPushButton* clear_ = nullptr;
  QPushButton* import_ = nullptr;
  QPushButton* save_slots_ = nullptr;
  QPushButton* inverse_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPushButton* paste_ = nullptr;
  QButtonGroup* method_group_ = nullptr;
  QButtonGroup* size_group_ = nullptr;
  std::array<QRadioButton*, 4> methods_{};
  std::array<QRadioButton*, 2> sizes_{};
};

}  // namespace phondeck
