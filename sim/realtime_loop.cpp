#include "sim/realtime_loop.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace phondeck::sim {

namespace {

std::int64_t real_us() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

ScaledClock::ScaledClock(double scale) : scale_(scale > 0 ? scale : 1.0), origin_us_(real_us()) {}

std::int64_t ScaledClock::now_ms() const {
  return static_cast<std::int64_t>(static_cast<double>(real_us() - origin_us_) * scale_ / 1000.0);
}

void ScaledClock::sleep_ms(std::int64_t ms) {
  if (ms <= 0) return;
  std::this_thread::sleep_for(std::chrono::microseconds(static_cast<std::int64_t>(ms * 1000 / scale_)));
}

LoopTimer::LoopTimer(RealtimeLoop& loop, std::function<void()> on_expiry)
    : loop_(loop), on_expiry_(std::move(on_expiry)) {
  loop_.timers_.push_back(this);
}

LoopTimer::~LoopTimer() {
  auto& timers = loop_.timers_;
  timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void LoopTimer::start(int interval_ms) {
  interval_ms_ = std::max(1, interval_ms);
  next_ms_ = loop_.clock_.now_ms() + interval_ms_;
  running_ = true;
}

void RealtimeLoop::post(int message, std::uint32_t parameter) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    messages_.emplace_back(message, parameter);
  }
  arrived_.notify_one();
}

bool RealtimeLoop::wait_message(int& message, std::uint32_t& parameter, std::int64_t max_ms) {
  const std::int64_t end = clock_.now_ms() + max_ms;
  std::unique_lock<std::mutex> lock(mutex_);
  while (messages_.empty()) {
    if (clock_.now_ms() >= end) return false;
    arrived_.wait_for(lock, std::chrono::milliseconds(1));
  }
  std::tie(message, parameter) = messages_.front();
  messages_.pop_front();
  return true;
}

bool RealtimeLoop::run_until(const std::function<bool()>& done, std::int64_t max_ms) {
  const std::int64_t end = clock_.now_ms() + max_ms;
  for (;;) {
    if (done()) return true;
    const std::int64_t now = clock_.now_ms();
    LoopTimer* due = nullptr;
    for (LoopTimer* timer : timers_) {
      if (timer->running_ && timer->next_ms_ <= now && (due == nullptr || timer->next_ms_ < due->next_ms_)) {
        due = timer;
      }
    }
    if (due != nullptr) {
      due->next_ms_ = now + due->interval_ms_;
      if (due->on_expiry_) due->on_expiry_();
      continue;
    }
    if (now >= end) return done();
    std::pair<int, std::uint32_t> item;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (messages_.empty()) arrived_.wait_for(lock, std::chrono::milliseconds(1));
      if (messages_.empty()) continue;
      item = messages_.front();
      messages_.pop_front();
    }
    if (handler_) handler_(item.first, item.second);
  }
}

}  // namespace phondeck::sim
