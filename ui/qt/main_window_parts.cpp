#include "ui/qt/main_window_parts.h"

#include <QFontMetrics>

#include <algorithm>

#include "ui/main_layout.h"

#include <QPalette>

namespace phondeck {
namespace {
// Caption colours of the classic desktop: active, inactive, and the
// button-face colour the titles are written in.
const QColor kActiveCaption(0x0A, 0x24, 0x6A);
const QColor kInactiveCaption(0x80, 0x80, 0x80);
const QColor kButtonFace(0xD4, 0xD0, 0xC8);
}  // namespace

void TitleBar::set_active(bool active) {
  QPalette p = palette();
  p.setColor(QPalette::Window, active ? kActiveCaption : kInactiveCaption);
  p.setColor(QPalette::WindowText, kButtonFace);
  setPalette(p);
}

StatusStrip::StatusStrip(QWidget* parent) : QWidget(parent) {
  for (QLabel*& panel : panels_) {
    panel = new QLabel(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setIndent(3);
    // A double-click anywhere on the strip reaches the strip.
    panel->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  progress_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void StatusStrip::place(const std::array<int, 3>& widths, int progress_left, int progress_top,
                        int progress_width, int progress_height) {
  widths_ = widths;
  place_panels();
  progress_->setGeometry(progress_left, progress_top, progress_width, progress_height);
  progress_->raise();
}

void StatusStrip::set_text(const QString& text) {
  text_ = text;
  place_panels();
}

void StatusStrip::place_panels() {
  QLabel* middle = panels_[1];
  // The text's width with the panel's frame and indent around it.
  const int frame = 2 * middle->frameWidth() + 2 * std::max(middle->indent(), 0) + 4;
  const int needed = text_.isEmpty() ? 0 : middle->fontMetrics().horizontalAdvance(text_) + frame;
  std::array<int, 3> widths = status_panels_for_text(widths_, needed);
  int left = 0;
  for (std::size_t k = 0; k < panels_.size(); ++k) {
    // The last panel takes what the division by five left over.
    const int w = k + 1 == panels_.size() ? std::max(width() - left, widths[k]) : widths[k];
    panels_[k]->setGeometry(left, 0, w, height());
    left += w;
  }
  // Only what truly cannot fit is elided; the tooltip has it whole.
  const int room = std::max(middle->width() - frame, 0);
  const QString shown = needed <= middle->width() ? text_ : middle->fontMetrics().elidedText(text_, Qt::ElideRight, room);
  middle->setText(shown);
  // The panels let the mouse through to the strip, so the strip has it.
  setToolTip(shown == text_ ? QString() : text_);
}

}  // namespace phondeck
