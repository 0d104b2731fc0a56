#include "sim/virtual_time.h"

#include <algorithm>

namespace phondeck::sim {

std::int64_t VirtualClock::now_ms() const { return loop_.now_ms(); }

void VirtualClock::sleep_ms(std::int64_t ms) {
  if (ms > 0) loop_.pass_us(ms * 1000);
}

VirtualTimer::VirtualTimer(VirtualLoop& loop, std::function<void()> on_expiry)
    : loop_(loop), on_expiry_(std::move(on_expiry)) {
  loop_.timers_.push_back(this);
}

VirtualTimer::~VirtualTimer() {
  auto& timers = loop_.timers_;
  timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void VirtualTimer::start(int interval_ms) {
  interval_us_ = std::max(1, interval_ms) * std::int64_t{1000};
  next_us_ = loop_.now_us() + interval_us_;
  running_ = true;
}

void VirtualLoop::at(std::int64_t when_us, std::function<void()> event) {
  events_.emplace(std::max(when_us, now_us_), std::move(event));
}

void VirtualLoop::run_device_events_until(std::int64_t until_us) {
  while (!events_.empty() && events_.begin()->first <= until_us) {
    auto it = events_.begin();
    now_us_ = std::max(now_us_, it->first);
    std::function<void()> event = std::move(it->second);
    events_.erase(it);
    event();
  }
}

void VirtualLoop::pass_us(std::int64_t us) {
  const std::int64_t until = now_us_ + std::max<std::int64_t>(us, 0);
  run_device_events_until(until);
  now_us_ = until;
}

void VirtualLoop::post(int message, std::uint32_t parameter) { messages_.emplace_back(message, parameter); }

bool VirtualLoop::run_until(const std::function<bool()>& done, std::int64_t max_ms) {
  const std::int64_t end = now_us_ + max_ms * 1000;
  for (;;) {
    if (done()) return true;
    if (!messages_.empty()) {
      const auto [message, parameter] = messages_.front();
      messages_.pop_front();
      if (handler_) handler_(message, parameter);
      continue;
    }
    // The earliest of the device events and the timer expiries; device
    // events first on a tie.
    std::int64_t next = end + 1;
    if (!events_.empty()) next = events_.begin()->first;
    VirtualTimer* due_timer = nullptr;
    for (VirtualTimer* timer : timers_) {
      if (timer->running_ && timer->next_us_ < next) {
        next = timer->next_us_;
        due_timer = timer;
      }
    }
    if (next > end) {
      now_us_ = std::max(now_us_, end);
      return done();
    }
    if (due_timer == nullptr) {
      run_device_events_until(next);
      continue;
    }
    now_us_ = std::max(now_us_, next);
    due_timer->next_us_ = now_us_ + due_timer->interval_us_;
    ++due_timer->expiries_;
    if (due_timer->on_expiry_) due_timer->on_expiry_();
  }
}

}  // namespace phondeck::sim
