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
  void set_text(const QString& text) { panels_[1]->setText(text); }
  QString text() const { return panels_[1]->text(); }
  QProgressBar* progress() const { return progress_; }
  // Places the panels (s, 2s, s wide) and the progress bar.
  void place(const std::array<int, 3>& widths, int progress_left, int progress_top,
             int progress_width, int progress_height);

 signals:
  void double_clicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent*) override { emit double_clicked(); }

 private:
  std::array<QLabel*, 3> panels_{};
  QProgressBar* progress_ = nullptr;
};

}  // namespace phondeck
