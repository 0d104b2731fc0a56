#include "ui/splash_sequence.h"

namespace phondeck {

void SplashSequence::start() {
  state_ = 1;
  timer_.start(kFirstWaitMs);
}

void SplashSequence::click() {
  if (!finished_ && state_ != 0) start();
}

void SplashSequence::tick() {
  switch (state_) {
    case 1:
      host_.show_main_window();
      state_ = 2;
      timer_.start(kSecondWaitMs);
      break;
    case 2:
      host_.hide_splash();
      timer_.stop();
      host_.normal_cursor();
      state_ = 3;
      finished_ = true;
      host_.run_options_dialog();
      host_.save_configuration();
      break;
    default:
      timer_.stop();
      break;
  }
}

WindowShow shown_after_hand_off(WindowShow now) {
  return now == WindowShow::Minimised ? WindowShow::Normal : now;
}

}  // namespace phondeck
