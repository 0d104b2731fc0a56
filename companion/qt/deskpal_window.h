#pragma once
// The figure's window: frameless, on top, shaped by the current frame. It
// walks by its animation, follows the mouse while dragged, starts Telvane on
// a double-click and offers the context menu.
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <vector>

#include "companion/autostart_entry.h"
#include "companion/deskpal_animation.h"
#include "companion/deskpal_artwork.h"

class QMenu;
class QUrl;

namespace phondeck {

struct DeskpalOptions {
  // Looked in for `telvane` before the PATH.
  std::filesystem::path program_folder;
  // Deskpal's own program file, which the autostart entry starts.
  std::filesystem::path program_file;
  std::filesystem::path autostart_folder;
  bool traditional_chinese = false;
  // Searched in order for the help page "Visit Web Site" shows.
  std::vector<std::filesystem::path> help_folders;
  // Opens an address, false when no program could; the desktop's default
  // handler unless a test says otherwise.
  std::function<bool(const QUrl&)> open_url;
  // Tells the user why the help page did not show; a message box unless a
  // test says otherwise.
  std::function<void(const QString&)> tell;
  // "Exit Program"; quits the application unless a test says otherwise.
  std::function<void()> exit_program;
};

class DeskpalWindow final : public QWidget {
  Q_OBJECT
 public:
  // `area`: the screen area the figure walks in (the primary screen's
  // available geometry); `frames` as checked by frames_problem().
  DeskpalWindow(const std::vector<DeskpalFrame>& frames, QRect area, RandomSource& random,
                DeskpalOptions options);

  const DeskpalAnimation& animation() const { return animation_; }
  bool running() const { return timer_.isActive(); }
  // The context menu as it opens now.
  QMenu* make_menu();
  // Telvane from our folder or the PATH; the help page when that fails.
  void start_telvane();
  // "Visit Web Site": the installed help page in the browser, or a message
  // saying why not.
  void visit_help();

 public slots:
  // One 50 ms step of the animation.
  void tick();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void show_frame();

  std::vector<QPixmap> pixmaps_;
  std::vector<QRegion> outlines_;
  QRect area_;
  DeskpalAnimation animation_;
  DeskpalOptions options_;
  AutostartEntry autostart_;
  QTimer timer_;
  QPoint grab_;
  int shown_frame_ = -1;
};

// The frame as a picture.
QImage deskpal_frame_image(const DeskpalFrame& frame);

}  // namespace phondeck
