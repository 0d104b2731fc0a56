#pragma once
// The timed start-up sequence of the splash window: the main window appears
// 3000 ms after the splash, the splash goes 1000 ms later, then the Options
// dialog runs and its closing saves the configuration.
#include "link/clock.h"

namespace phondeck {

class SplashHost {
 public:
  virtual ~SplashHost() = default;
  virtual void show_main_window() = 0;
  // Makes the splash invisible and 0 x 0; it stays alive to receive hand-offs.
  virtual void hide_splash() = 0;
  virtual void normal_cursor() = 0;
  // Shows the Options dialog modally; returns when it is closed.
  virtual void run_options_dialog() = 0;
  virtual void save_configuration() = 0;
};

class SplashSequence {
 public:
  static constexpr int kFirstWaitMs = 3000;
  static constexpr int kSecondWaitMs = 1000;

  SplashSequence(SplashHost& host, Timer& timer) : host_(host), timer_(timer) {}

  // On creation, and on a click on the image while the splash is visible:
  // state 1 and a fresh 3000 ms wait.
  void start();
  void click();
  // The splash timer's expiry.
  void tick();

  int state() const { return state_; }
  // True once the splash has gone and handles hand-offs from later starts.
  bool finished() const { return finished_; }

 private:
  SplashHost& host_;
  Timer& timer_;
  int state_ = 0;
  bool finished_ = false;
};

// How the main window is shown when a later start hands off to this one.
enum class WindowShow { Normal, Minimised, Maximised };
// A minimised window comes back restored, the others keep their state; all
// are brought to the front.
WindowShow shown_after_hand_off(WindowShow now);

}  // namespace phondeck
