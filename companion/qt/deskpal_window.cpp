#include "companion/qt/deskpal_window.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <cstdlib>

#include "companion/deskpal_start.h"
#include "companion/program_start.h"

namespace phondeck {

QImage deskpal_frame_image(const DeskpalFrame& frame) {
  QImage image(DeskpalFrame::kWidth, DeskpalFrame::kHeight, QImage::Format_ARGB32);
  for (int y = 0; y < DeskpalFrame::kHeight; ++y)
    for (int x = 0; x < DeskpalFrame::kWidth; ++x) image.setPixel(x, y, frame.at(x, y));
  return image;
}

DeskpalWindow::DeskpalWindow(const std::vector<DeskpalFrame>& frames, QRect area, RandomSource& random,
                             DeskpalOptions options)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      area_(area),
      animation_(area.width(), area.height(), random),
      options_(std::move(options)),
      autostart_(options_.autostart_folder, options_.program_file) {
  if (!options_.open_url) options_.open_url = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  if (!options_.tell) {
    options_.tell = [this](const QString& text) { QMessageBox::information(nullptr, windowTitle(), text); };
  }
  if (!options_.exit_program) options_.exit_program = [] { QCoreApplication::quit(); };
  // Each frame's picture and its outline, which shapes the window.
  for (const DeskpalFrame& frame : frames) {
    const QImage image = deskpal_frame_image(frame);
    pixmaps_.push_back(QPixmap::fromImage(image));
    outlines_.emplace_back(QBitmap::fromImage(image.createAlphaMask()));
  }
  setWindowTitle("Deskpal III");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFixedSize(DeskpalAnimation::kWidth, DeskpalAnimation::kHeight);
  setCursor(Qt::OpenHandCursor);
  setContextMenuPolicy(Qt::PreventContextMenu);
  move(area_.topLeft() + QPoint(animation_.position().x, animation_.position().y));
  show_frame();
  connect(&timer_, &QTimer::timeout, this, &DeskpalWindow::tick);
  timer_.start(DeskpalAnimation::kTickMs);
}

void DeskpalWindow::tick() {
  if (!animation_.tick()) return;
  if (!animation_.dragging()) move(area_.topLeft() + QPoint(animation_.position().x, animation_.position().y));
  show_frame();
}

void DeskpalWindow::show_frame() {
  const int frame = animation_.frame();
  if (frame == shown_frame_) return;
  shown_frame_ = frame;
  setMask(outlines_[static_cast<std::size_t>(frame)]);
  update();
}

void DeskpalWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, pixmaps_[static_cast<std::size_t>(animation_.frame())]);
}

void DeskpalWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  grab_ = event->position().toPoint();
  animation_.start_drag();
  setCursor(Qt::ClosedHandCursor);
}

void DeskpalWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!animation_.dragging() || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint top_left = event->globalPosition().toPoint() - grab_ - area_.topLeft();
  animation_.drag_to({top_left.x(), top_left.y()});
  move(area_.topLeft() + QPoint(animation_.position().x, animation_.position().y));
}

void DeskpalWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && animation_.dragging()) {
    animation_.drop();
    setCursor(Qt::OpenHandCursor);
  } else if (event->button() == Qt::RightButton) {
    QMenu* menu = make_menu();
    menu->exec(event->globalPosition().toPoint());
    delete menu;
  }
}

void DeskpalWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) start_telvane();
}

void DeskpalWindow::start_telvane() {
  const char* path = std::getenv("PATH");
  const auto program = find_program("telvane", options_.program_folder, path ? path : "");
  if (program.empty() || !start_detached(program)) visit_help();
}

void DeskpalWindow::visit_help() {
  const DeskpalMenuTexts texts = menu_texts(options_.traditional_chinese);
  const auto page = deskpal_help_page(options_.help_folders);
  if (!page) {
    const std::filesystem::path expected =
        (options_.help_folders.empty() ? std::filesystem::path() : options_.help_folders.front()) / kDeskpalHelpPage;
    options_.tell(QString::fromUtf8(texts.page_missing).arg(QString::fromStdString(expected.string())));
    return;
  }
  const QString path = QString::fromStdString(page->string());
  if (!options_.open_url(QUrl::fromLocalFile(path))) options_.tell(QString::fromUtf8(texts.no_browser).arg(path));
}

QMenu* DeskpalWindow::make_menu() {
  const DeskpalMenuTexts texts = menu_texts(options_.traditional_chinese);
  auto* menu = new QMenu(this);
  menu->addAction(QString::fromUtf8(texts.visit), this, [this] { visit_help(); });
  menu->addSeparator();
  QAction* startup = menu->addAction(QString::fromUtf8(texts.add_to_startup), this, [this] { autostart_.toggle(); });
  startup->setCheckable(true);
  startup->setChecked(autostart_.usable() && autostart_.exists());
  menu->addSeparator();
  menu->addAction(QString::fromUtf8(texts.exit), this, [this] {
    close();
    options_.exit_program();
  });
  return menu;
}

}  // namespace phondeck
