#pragma once
// Small widgets of the main window: a clickable title bar, the splitter
// handle between the panes, and the status strip with its three panels and
// the progress bar over the first.
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QWidget>

#include <array>

namespace phondeck {

class TitleBar final : public QLabel {
  Q_OBJECT
 public:
  explicit TitleBar(QWidget* parent = nullptr) : QLabel(parent) {
    setAutoFillBackground(true);
    setIndent(4);
  }
  void set_active(bool active);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) emit clicked();
    QLabel::mousePressEvent(event);
  }
};

class SplitterHandle final : public QWidget {
  Q_OBJECT
 public:
  explicit SplitterHandle(QWidget* parent = nullptr) : QWidget(parent) {
    setCursor(Qt::SplitHCursor);
  }

 signals:
  // The new left edge of the splitter, in the parent's coordinates.
  void moved(int position);

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    grab_offset_ = event->position().toPoint().x();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const int x = mapToParent(event->position().toPoint()).x() - grab_offset_;
    emit moved(std::max(x, 0));
  }

 private:
  int grab_offset_ = 0;
};

class StatusStrip final : public QWidget {
  Q_OBJECT
 public:
  explicit StatusStrip(QWidget* parent = nullptr);
  // The whole text: the middle panel widens into the empty last one as far
  // as the text needs; what still does not fit is elided, whole in the
  // panel's tooltip.
  void set_text(const QString& text);
  QString text() const { return text_; }
  QLabel* text_panel() const { return panels_[1]; }
  QProgressBar* progress() const { return progress_; }
  // Places the panels (s, 2s, s wide) and the progress bar.
  void place(const std::array<int, 3>& widths, int progress_left, int progress_top,
             int progress_width, int progress_height);

 signals:
  void double_clicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent*) override { emit double_clicked(); }

 private:
  void place_panels();

  std::array<QLabel*, 3> panels_{};
  std::array<int, 3> widths_{};
  QString text_;
  QProgressBar* progress_ = nullptr;
};

}  // namespace phondeck
