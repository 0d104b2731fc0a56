#pragma once
// The handset search's loop on sim::RealtimeLoop: phondeck's, the Options
// dialog's worker thread's, and the tests' on scaled time.
#include <functional>
#include <utility>

#include "session/handset_probe.h"
#include "sim/realtime_loop.h"

namespace phondeck {

class RealtimeProbeLoop final : public ProbeLoop {
 public:
  explicit RealtimeProbeLoop(Clock& clock) : loop_(clock), timer_(loop_) {}
  Clock& clock() override { return loop_.clock(); }
  WindowMessageSink& sink() override { return loop_; }
  Timer& timer() override { return timer_; }
  void set_handlers(std::function<void(int, std::uint32_t)> message, std::function<void()> expiry) override {
    loop_.set_message_handler(std::move(message));
    timer_.set_callback(std::move(expiry));
  }
  bool run_until(const std::function<bool()>& done, std::int64_t max_ms) override {
    return loop_.run_until(done, max_ms);
  }

 private:
  sim::RealtimeLoop loop_;
  sim::LoopTimer timer_;
};

}  // namespace phondeck
