#pragma once
// The splash window TForm17: borderless, on top, centred, showing the splash
// picture. Its timed sequence shows the main window, then hides the splash
// (which stays alive to receive hand-offs from later starts), runs the start-up
// Options dialog and saves the configuration.
#include <QImage>
#include <QSocketNotifier>
#include <QWidget>

#include <functional>
#include <memory>

#include "session/qt/qt_timer.h"
#include "ui/splash_sequence.h"

namespace phondeck {

class SingleInstance;
class TForm1;

// TForm17: the splash window.
class TForm17 final : public QWidget, public SplashHost {
  Q_OBJECT
 public:
  explicit TForm17(QWidget* parent = nullptr);

  // The main window the sequence shows, and the instance whose hand-offs
  // bring it to the front once the sequence has ended.
  void set_main_window(TForm1* main) { main_ = main; }
  void listen_for_hand_offs(SingleInstance& instance);
  // The Options dialog shown at the end of the sequence (none yet: skipped).
  void set_options_dialog(std::function<void()> run) { options_ = std::move(run); }

  // Starts the sequence (state 1, 3000 ms).
  void start();
  SplashSequence& sequence() { return sequence_; }
  QtTimer& timer() { return timer_; }

  // A later start asked for the main window.
  void hand_off_received();

  // SplashHost.
  void show_main_window() override;
  void hide_splash() override;
  void normal_cursor() override;
  void run_options_dialog() override;
  void save_configuration() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QImage image_;
  QtTimer timer_;
  SplashSequence sequence_;
  TForm1* main_ = nullptr;
  SingleInstance* instance_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::function<void()> options_;
};

// Brings the main window to the front as a hand-off asks: a minimised window
// comes back restored, a normal or maximised one keeps its state.
void bring_to_front(QWidget& main);

}  // namespace phondeck
