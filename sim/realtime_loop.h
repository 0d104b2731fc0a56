#pragma once
// A window thread for tests on real time, and phondeck's event loop: a
// thread-safe message queue the serial port's reader posts to, timers on a
// clock, and a clock that can run faster than real time so seconds of link
// time pass in a fraction of that.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "link/clock.h"
#include "link/port.h"

namespace phondeck::sim {

// Link time runs scale times faster than real time.
class ScaledClock final : public Clock {
 public:
  explicit ScaledClock(double scale = 1.0);
  std::int64_t now_ms() const override;
  void sleep_ms(std::int64_t ms) override;
  double scale() const { return scale_; }

 private:
  double scale_;
  std::int64_t origin_us_;
};

class RealtimeLoop;

class LoopTimer final : public Timer {
 public:
  LoopTimer(RealtimeLoop& loop, std::function<void()> on_expiry = {});
  ~LoopTimer() override;
  LoopTimer(const LoopTimer&) = delete;
  LoopTimer& operator=(const LoopTimer&) = delete;
  void set_callback(std::function<void()> on_expiry) { on_expiry_ = std::move(on_expiry); }
  void start(int interval_ms) override;
  void stop() override { running_ = false; }
  bool running() const override { return running_; }

 private:
  friend class RealtimeLoop;
  RealtimeLoop& loop_;
  std::function<void()> on_expiry_;
  bool running_ = false;
  std::int64_t interval_ms_ = 0;
  std::int64_t next_ms_ = 0;
};

class RealtimeLoop final : public WindowMessageSink {
 public:
  explicit RealtimeLoop(Clock& clock) : clock_(clock) {}
  Clock& clock() { return clock_; }

  // Any thread.
  void post(int message, std::uint32_t parameter) override;
  void set_message_handler(std::function<void(int, std::uint32_t)> handler) {
    handler_ = std::move(handler);
  }
  // Window thread: messages and timer expiries until done() (true) or max_ms
  // of clock time (false).
  bool run_until(const std::function<bool()>& done, std::int64_t max_ms);
  // Waits for the next message without dispatching it; false on time-out.
  bool wait_message(int& message, std::uint32_t& parameter, std::int64_t max_ms);

 private:
  friend class LoopTimer;
  Clock& clock_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::pair<int, std::uint32_t>> messages_;
  std::function<void(int, std::uint32_t)> handler_;
  std::vector<LoopTimer*> timers_;
};

}  // namespace phondeck::sim
