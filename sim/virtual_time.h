#pragma once
// Virtual time for link tests: a clock that only moves when told, the
// handset-side events scheduled on it, the window thread's message queue and
// its timers. Seconds of link time run in microseconds.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "link/clock.h"
#include "link/port.h"

namespace phondeck::sim {

class VirtualLoop;

class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(VirtualLoop& loop) : loop_(loop) {}
  std::int64_t now_ms() const override;
  // The window thread waits; the device side goes on meanwhile.
  void sleep_ms(std::int64_t ms) override;

 private:
  VirtualLoop& loop_;
};

// A window-thread timer on virtual time; its expiry calls the callback from
// the loop.
class VirtualTimer final : public Timer {
 public:
  explicit VirtualTimer(VirtualLoop& loop, std::function<void()> on_expiry = {});
  ~VirtualTimer() override;
  VirtualTimer(const VirtualTimer&) = delete;
  VirtualTimer& operator=(const VirtualTimer&) = delete;

  void set_callback(std::function<void()> on_expiry) { on_expiry_ = std::move(on_expiry); }
  void start(int interval_ms) override;
  void stop() override { running_ = false; }
  bool running() const override { return running_; }
  std::int64_t next_expiry_us() const { return next_us_; }
  int expiries() const { return expiries_; }

 private:
  friend class VirtualLoop;
  VirtualLoop& loop_;
  std::function<void()> on_expiry_;
  bool running_ = false;
  std::int64_t interval_us_ = 0;
  std::int64_t next_us_ = 0;
  int expiries_ = 0;
};

class VirtualLoop final : public WindowMessageSink {
 public:
  VirtualLoop() : clock_(*this) {}

  Clock& clock() { return clock_; }
  std::int64_t now_us() const { return now_us_; }
  std::int64_t now_ms() const { return now_us_ / 1000; }

  // Device side: runs at the given time even while the window thread waits.
  void at(std::int64_t when_us, std::function<void()> event);
  // Moves time on by us, running the device events that fall due; window
  // messages and timers wait for the window loop.
  void pass_us(std::int64_t us);

  // The window thread's queue.
  void post(int message, std::uint32_t parameter) override;
  void set_message_handler(std::function<void(int, std::uint32_t)> handler) {
    handler_ = std::move(handler);
  }
  std::size_t queued_messages() const { return messages_.size(); }

  // The window loop: dispatches queued messages, device events and timer
  // expiries in time order until done() holds (true) or max_ms of link time
  // have passed (false).
  bool run_until(const std::function<bool()>& done, std::int64_t max_ms);
  void run_for(std::int64_t ms) {
    run_until([] { return false; }, ms);
  }

 private:
  friend class VirtualTimer;
  void run_device_events_until(std::int64_t until_us);

  VirtualClock clock_;
  std::int64_t now_us_ = 0;
  std::multimap<std::int64_t, std::function<void()>> events_;
  std::deque<std::pair<int, std::uint32_t>> messages_;
  std::function<void(int, std::uint32_t)> handler_;
  std::vector<VirtualTimer*> timers_;
};

}  // namespace phondeck::sim
