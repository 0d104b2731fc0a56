#pragma once
// A Timer on a QTimer: expiries arrive on the window thread through the
// callback given at construction.
#include <QTimer>

#include <functional>

#include "link/clock.h"

namespace phondeck {

class QtTimer final : public Timer {
 public:
  explicit QtTimer(std::function<void()> on_expiry) : on_expiry_(std::move(on_expiry)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { on_expiry_(); });
  }
  void start(int interval_ms) override { timer_.start(interval_ms); }
  void stop() override { timer_.stop(); }
  bool running() const override { return timer_.isActive(); }
  int interval() const { return timer_.interval(); }

 private:
  std::function<void()> on_expiry_;
  QTimer timer_;
};

}  // namespace phondeck
