#include "media/qt/pixel_grid_panel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/text_table.h"
#include "media/qt/mono_images.h"

namespace phondeck {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

const QColor kGridLine(192, 192, 192);
const QColor kFrame(128, 128, 128);
const QColor kSelection(255, 0, 0);
constexpr int kSlotMargin = 4;
constexpr int kSlotGapAcross = 12;
constexpr int kSlotGapDown = 8;

ScrollAction scroll_action(int action, bool& known) {
  known = true;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollAction::LineBack;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollAction::LineForward;
    case QAbstractSlider::SliderPageStepSub: return ScrollAction::PageBack;
    case QAbstractSlider::SliderPageStepAdd: return ScrollAction::PageForward;
    case QAbstractSlider::SliderMove: return ScrollAction::ThumbTrack;
    default: known = false; return ScrollAction::EndScroll;
  }
}

}  // namespace

// ------------------------------------------------------------ PixelGridArea

PixelGridArea::PixelGridArea(PixelGridEditor& grid, QWidget* parent) : QWidget(parent), grid_(grid) {
  const EditorProfile& p = grid.profile();
  setFixedSize(p.areaWidth, p.areaHeight);
  setMouseTracking(true);
  setCursor(Qt::CrossCursor);
  canvas_ = QImage(p.areaWidth, p.areaHeight, QImage::Format_RGB32);
  canvas_.fill(kGridBackground);
}

void PixelGridArea::paintAll() {
  canvas_.fill(kGridBackground);
  QPainter p(&canvas_);
  p.setPen(QPen(kGridLine, 0));
  const int cell = grid_.size().cell;
  const int lm = grid_.leftMargin();
  const int tm = grid_.topMargin();
  const int w = canvas_.width();
  const int h = canvas_.height();
  // Lines end one pixel short of their end point, as the platform's lines do.
  for (int i = 0; i <= grid_.columns(); ++i) p.drawLine(lm + i * cell, tm, lm + i * cell, h - tm - 1);
  for (int j = 0; j <= grid_.rows(); ++j) p.drawLine(lm, tm + j * cell, w - lm - 1, tm + j * cell);
  p.setPen(QPen(kFrame, 0));
  p.setBrush(Qt::NoBrush);
  const EditorProfile& profile = grid_.profile();
  p.drawRect(lm + cell * grid_.size().originColumn, tm + cell * grid_.size().originRow,
             profile.pictureWidth * cell, profile.pictureHeight * cell);
}

void PixelGridArea::paintCell(const GridCell& c) {
  const int cell = grid_.size().cell;
  QPainter p(&canvas_);
  p.fillRect(grid_.leftMargin() + c.column * cell + 1, grid_.topMargin() + c.row * cell + 1, cell - 1, cell - 1,
             c.set ? QColor(Qt::black) : kGridBackground);
}

void PixelGridArea::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, canvas_);
}

void PixelGridArea::draw(QMouseEvent* event) {
  const Qt::MouseButtons held = event->buttons();
  const QPoint at = event->position().toPoint();
  grid_.drawAt(at.x(), at.y(), held & Qt::LeftButton, held & Qt::RightButton);
  if (changed) changed();
}

void PixelGridArea::mousePressEvent(QMouseEvent* event) { draw(event); }

void PixelGridArea::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (moved) moved(qs(grid_.cellLabel(at.x(), at.y())));
  if (event->buttons() & (Qt::LeftButton | Qt::RightButton)) draw(event);
}

void PixelGridArea::mouseReleaseEvent(QMouseEvent*) { grid_.releaseButton(); }

// ------------------------------------------------------------ MonoView

MonoView::MonoView(int width, int height, QWidget* parent)
    : QWidget(parent), image_(width, height, QImage::Format_RGB32) {
  image_.fill(kGridBackground);
  setFixedSize(width, height);
}

void MonoView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, image_);
}

// ------------------------------------------------------------ SlotsView

SlotsView::SlotsView(PixelGridEditor& grid, QWidget* parent) : QWidget(parent), grid_(grid) {
  const EditorProfile& p = grid.profile();
  const int rows = (p.slotCount + p.slotsPerRow - 1) / p.slotsPerRow;
  setFixedSize(2 * kSlotMargin + p.slotsPerRow * (p.pictureWidth + kSlotGapAcross) - kSlotGapAcross,
               2 * kSlotMargin + rows * (p.pictureHeight + kSlotGapDown) - kSlotGapDown);
}

QRect SlotsView::slotRect(int k) const {
  const EditorProfile& p = grid_.profile();
  return QRect(kSlotMargin + (k % p.slotsPerRow) * (p.pictureWidth + kSlotGapAcross),
               kSlotMargin + (k / p.slotsPerRow) * (p.pictureHeight + kSlotGapDown), p.pictureWidth,
               p.pictureHeight);
}

void SlotsView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (int k = 0; k < grid_.slotCount(); ++k) p.drawImage(slotRect(k).topLeft(), imageOf(grid_.slot(k), kGridBackground));
  // 4 pixels wider and higher than a slot, 2 above and left of it.
  const QRect s = slotRect(grid_.selectedSlot());
  p.setPen(QPen(kSelection, 0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(s.x() - 2, s.y() - 2, s.width() + 3, s.height() + 3);
}

void SlotsView::mousePressEvent(QMouseEvent* event) {
  for (int k = 0; k < grid_.slotCount(); ++k)
    if (slotRect(k).contains(event->position().toPoint()) && clicked) clicked(k);
}

// ------------------------------------------------------------ PixelGridPanel

PixelGridPanel::PixelGridPanel(GraphicsEditor& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
  PixelGridEditor& grid = editor.grid();
  const EditorProfile& profile = grid.profile();
  const bool group = profile.importsBufferFile;

  area_ = new PixelGridArea(grid, this);
  horizontal_ = new QScrollBar(Qt::Horizontal, this);
  vertical_ = new QScrollBar(Qt::Vertical, this);
  horizontal_->setFixedWidth(profile.areaWidth);
  vertical_->setFixedHeight(profile.areaHeight);

  preview_box_ = new QGroupBox(this);
  auto* pv = new QGridLayout(preview_box_);
  preview_ = new MonoView(profile.pictureWidth, profile.pictureHeight, this);
  label_ = new QLabel(QStringLiteral("- , -"), this);
  inverse_ = new QPushButton(this);
  copy_ = new QPushButton(this);
  paste_ = new QPushButton(this);
  pv->addWidget(preview_, 0, 0, 1, 2, Qt::AlignCenter);
  pv->addWidget(label_, 1, 0, 1, 2, Qt::AlignCenter);
  pv->addWidget(inverse_, 2, 0, 1, 2);
  pv->addWidget(copy_, 3, 0);
  pv->addWidget(paste_, 3, 1);

  buffer_box_ = new QGroupBox(this);
  auto* bv = new QHBoxLayout(buffer_box_);
  slots_ = new SlotsView(grid, this);
  bv->addWidget(slots_, 0, Qt::AlignTop);
  auto* buttons = new QGridLayout;
  push_ = new QPushButton(this);
  pop_ = new QPushButton(this);
  clear_ = new QPushButton(this);
  import_ = new QPushButton(this);
  save_slots_ = new QPushButton(this);
  if (group) {
    buttons->addWidget(push_, 0, 0);
    buttons->addWidget(pop_, 1, 0);
    buttons->addWidget(clear_, 2, 0);
    buttons->addWidget(import_, 3, 0);
    buttons->addWidget(save_slots_, 4, 0);
  } else {
    buttons->addWidget(push_, 0, 0);
    buttons->addWidget(pop_, 0, 1);
    buttons->addWidget(clear_, 0, 2);
    import_->hide();
    save_slots_->hide();
  }
  bv->addLayout(buttons);

  method_box_ = new QGroupBox(this);
  auto* mv = new QVBoxLayout(method_box_);
  method_group_ = new QButtonGroup(this);
  for (int k = 0; k < 4; ++k) {
    methods_[static_cast<std::size_t>(k)] = new QRadioButton(this);
    method_group_->addButton(methods_[static_cast<std::size_t>(k)], k);
    mv->addWidget(methods_[static_cast<std::size_t>(k)]);
  }
  methods_[0]->setChecked(true);
  size_box_ = new QGroupBox(this);
  auto* sv = new QVBoxLayout(size_box_);
  size_group_ = new QButtonGroup(this);
  for (int k = 0; k < 2; ++k) {
    sizes_[static_cast<std::size_t>(k)] = new QRadioButton(this);
    size_group_->addButton(sizes_[static_cast<std::size_t>(k)], k);
    sv->addWidget(sizes_[static_cast<std::size_t>(k)]);
  }
  sizes_[0]->setChecked(true);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(0);
  layout->addWidget(area_, 0, 0);
  layout->addWidget(vertical_, 0, 1);
  layout->addWidget(horizontal_, 1, 0);
  if (group) {
    // Under the drawing area: the buffer, the preview, then the two choices.
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(buffer_box_);
    row->addWidget(preview_box_);
    auto* choices = new QVBoxLayout;
    choices->addWidget(method_box_);
    choices->addWidget(size_box_);
    row->addLayout(choices);
    row->addStretch();
    layout->addItem(new QSpacerItem(0, 6), 2, 0);
    layout->addLayout(row, 3, 0, 1, 3);
  } else {
    // Beside it: the preview with the method below; the buffer under the
    // drawing area with the size level with it.
    auto* right = new QVBoxLayout;
    right->setSpacing(5);
    right->addWidget(preview_box_);
    right->addWidget(method_box_);
    right->addStretch();
    layout->addItem(new QSpacerItem(6, 0), 0, 2);
    layout->addLayout(right, 0, 3, 2, 1);
    layout->addItem(new QSpacerItem(0, 6), 2, 0);
    layout->addWidget(buffer_box_, 3, 0, 1, 2, Qt::AlignLeft);
    layout->addWidget(size_box_, 3, 3, Qt::AlignTop);
  }
  layout->setRowStretch(4, 1);
  layout->setColumnStretch(4, 1);

  area_->changed = [this] { refresh(); };
  area_->moved = [this](const QString& text) { label_->setText(text); };
  slots_->clicked = [this](int k) {
    editor_.grid().selectSlot(k);
    refresh();
  };
  connect(horizontal_, &QScrollBar::actionTriggered, this, [this](int action) { scrolled(true, action); });
  connect(vertical_, &QScrollBar::actionTriggered, this, [this](int action) { scrolled(false, action); });
  connect(horizontal_, &QScrollBar::sliderReleased, this, [this] {
    editor_.grid().scrollHorizontal(ScrollAction::EndScroll);
    refresh();
  });
  connect(vertical_, &QScrollBar::sliderReleased, this, [this] {
    editor_.grid().scrollVertical(ScrollAction::EndScroll);
    refresh();
  });
  connect(push_, &QPushButton::clicked, this, [this] {
    editor_.grid().push();
    refresh();
  });
  connect(pop_, &QPushButton::clicked, this, [this] {
    editor_.grid().pop();
    refresh();
  });
  connect(clear_, &QPushButton::clicked, this, [this] {
    editor_.clearSlots();
    refresh();
  });
  connect(import_, &QPushButton::clicked, this, &PixelGridPanel::import_slots);
  connect(save_slots_, &QPushButton::clicked, this, &PixelGridPanel::save_slots);
  connect(inverse_, &QPushButton::clicked, this, [this] {
    editor_.grid().invert();
    refresh();
  });
  connect(copy_, &QPushButton::clicked, this, &PixelGridPanel::copy);
  connect(paste_, &QPushButton::clicked, this, &PixelGridPanel::paste);
  connect(method_group_, &QButtonGroup::idClicked, this,
          [this](int id) { editor_.grid().setMethod(static_cast<CombineMethod>(id)); });
  connect(size_group_, &QButtonGroup::idClicked, this, [this](int id) {
    editor_.grid().setSize(id);
    refresh();
  });
  apply_texts();
  refresh();
}

void PixelGridPanel::apply_texts() {
  preview_box_->setTitle(qs(tx(1651)));
  buffer_box_->setTitle(qs(tx(1650)));
  method_box_->setTitle(qs(tx(1630)));
  size_box_->setTitle(qs(tx(1620)));
  for (int k = 0; k < 4; ++k) methods_[static_cast<std::size_t>(k)]->setText(qs(tx(1631 + k)));
  const EditorProfile& profile = editor_.profile();
  for (int k = 0; k < 2; ++k)
    sizes_[static_cast<std::size_t>(k)]->setText(qs(tx(profile.sizes[static_cast<std::size_t>(k)].textId)));
  inverse_->setText(qs(tx(20)));
  copy_->setText(qs(tx(14)));
  paste_->setText(qs(tx(15)));
  push_->setText(qs(tx(18)));
  pop_->setText(qs(tx(19)));
  clear_->setText(qs(tx(1640)));
  import_->setText(qs(tx(1641)));
  save_slots_->setText(qs(tx(3651)));
}

void PixelGridPanel::refresh() {
  PixelGridEditor& grid = editor_.grid();
  const GridSize& size = grid.size();
  QImage& preview = preview_->image();
  if (grid.takeFullRepaint()) {
    area_->paintAll();
    preview.fill(kGridBackground);
  }
  for (const GridCell& c : grid.takeChangedCells()) {
    area_->paintCell(c);
    if (grid.inPicture(c.column, c.row))
      preview.setPixelColor(c.column - size.originColumn, c.row - size.originRow,
                            c.set ? QColor(Qt::black) : kGridBackground);
  }
  if (!grid.takeChangedSlots().empty() || grid.takeSelectionMoved()) slots_->update();
  for (auto [bar, maximum, position, page] :
       {std::tuple{horizontal_, grid.horizontalMaximum(), grid.horizontalPosition(), size.pageAcross},
        std::tuple{vertical_, grid.verticalMaximum(), grid.verticalPosition(), size.pageDown}}) {
    const QSignalBlocker block(bar);
    bar->setRange(0, maximum);
    bar->setPageStep(page);
    if (!bar->isSliderDown()) bar->setValue(position);
  }
  area_->update();
  preview_->update();
  // The radio groups follow the model.
  methods_[static_cast<std::size_t>(grid.method())]->setChecked(true);
  sizes_[static_cast<std::size_t>(grid.sizeChoice())]->setChecked(true);
}

void PixelGridPanel::scrolled(bool across, int action) {
  bool known = false;
  const ScrollAction what = scroll_action(action, known);
  if (!known) return;
  QScrollBar* bar = across ? horizontal_ : vertical_;
  PixelGridEditor& grid = editor_.grid();
  if (across)
    grid.scrollHorizontal(what, bar->sliderPosition());
  else
    grid.scrollVertical(what, bar->sliderPosition());
  // Line and page steps put the thumb back in the middle at once.
  bar->setSliderPosition(across ? grid.horizontalPosition() : grid.verticalPosition());
  refresh();
}

void PixelGridPanel::copy() { QApplication::clipboard()->setImage(imageOf(editor_.grid().picture())); }

void PixelGridPanel::paste() {
  const QImage image = QApplication::clipboard()->image();
  if (image.isNull()) return;
  editor_.paste(monoOf(image));
  refresh();
}

void PixelGridPanel::import_slots() {
  const QString path = QFileDialog::getOpenFileName(this, qs(window_title(tx(1641))), QStringLiteral("*.14"),
                                                    QStringLiteral("*.14 (*.14);;All files (*)"));
  if (path.isEmpty()) return;
  editor_.importSlots(path.toStdString());
  refresh();
}

void PixelGridPanel::save_slots() {
  QString path = QFileDialog::getSaveFileName(this, qs(window_title(tx(3651))), QStringLiteral("*.14"),
                                              QStringLiteral("*.14 (*.14)"));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".14"))) path += QStringLiteral(".14");
  editor_.saveSlots(path.toStdString());
}

}  // namespace phondeck
