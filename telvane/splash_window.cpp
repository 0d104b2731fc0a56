#include "telvane/splash_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "app/configuration.h"
#include "telvane/splash_image.h"
#include "platform/single_instance.h"
#include "ui/qt/main_window.h"

namespace phondeck {

TForm17::TForm17(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      image_(splash_image()),
      timer_([this] { sequence_.tick(); }),
      sequence_(*this, timer_) {
  setFixedSize(kSplashWidth, kSplashHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}

void TForm17::start() { sequence_.start(); }

void TForm17::listen_for_hand_offs(SingleInstance& instance) {
  instance_ = &instance;
  if (instance.listen_fd() < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(instance.listen_fd(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    if (instance_ && instance_->take_hand_offs() > 0) hand_off_received();
  });
}

void TForm17::hand_off_received() {
  // Until the sequence has ended the start is still on its way to the front.
  if (!sequence_.finished() || main_ == nullptr) return;
  bring_to_front(*main_);
}

void TForm17::show_main_window() {
  if (main_) main_->show();
}

void TForm17::hide_splash() {
  hide();
  setMinimumSize(0, 0);
  resize(0, 0);
}

void TForm17::normal_cursor() {
  if (main_) main_->normal_cursor();
}

void TForm17::run_options_dialog() {
  if (options_) options_();
}

void TForm17::save_configuration() {
  if (main_) {
    main_->save_settings();
  } else {
    phondeck::save_configuration(config().Width, config().Height);
  }
}

void TForm17::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, image_);
}

void TForm17::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) sequence_.click();
}

void bring_to_front(QWidget& main) {
  const Qt::WindowStates state = main.windowState();
  WindowShow now = WindowShow::Normal;
  if (state.testFlag(Qt::WindowMinimized)) {
    now = WindowShow::Minimised;
  } else if (state.testFlag(Qt::WindowMaximized)) {
    now = WindowShow::Maximised;
  }
  switch (shown_after_hand_off(now)) {
    case WindowShow::Maximised: main.showMaximized(); break;
    default: main.showNormal(); break;
  }
  main.raise();
  main.activateWindow();
}

}  // namespace phondeck
