#pragma once
// Time for the link: the engine, the frame layer's pauses and the virtual
// handset read time and sleep only through a Clock, and the engine's periodic
// timer (Timer1) is a Timer, so tests can run them on virtual time.
#include <chrono>
#include <cstdint>
#include <thread>

namespace phondeck {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary origin; never goes backwards.
  virtual std::int64_t now_ms() const = 0;
  // Waits ms milliseconds (a virtual clock just moves on).
  virtual void sleep_ms(std::int64_t ms) = 0;
};

class SystemClock final : public Clock {
 public:
  std::int64_t now_ms() const override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  void sleep_ms(std::int64_t ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

// A periodic timer that calls its owner back on the window thread.
class Timer {
 public:
  virtual ~Timer() = default;
  // (Re)starts the timer: the first expiry comes interval_ms from now.
  virtual void start(int interval_ms) = 0;
  virtual void stop() = 0;
  virtual bool running() const = 0;
};

}  // namespace phondeck
