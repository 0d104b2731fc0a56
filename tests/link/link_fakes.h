#pragma once
// Timer1 on the fake clock and a recording port for the link tests.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/prompt.h"
#include "link/clock.h"
#include "link/link_observer.h"
#include "link/port.h"
#include "support/fake_clock.h"
#include "support/recording_observer.h"
#include "support/scripted_prompt.h"
#include "support/test_frames.h"

namespace phondeck::testing {

using Bytes = std::vector<std::uint8_t>;

// Timer1 on virtual time: advance() fires the expiries that fall due.
class VirtualTimer final : public Timer {
 public:
  explicit VirtualTimer(FakeClock& clock) : clock_(clock) {}
  void start(int interval_ms) override {
    running_ = true;
    due_ = clock_.now + interval_ms;
  }
  void stop() override { running_ = false; }
  bool running() const override { return running_; }

  std::function<void()> on_expiry;
  // Moves time on by ms, firing each expiry at its moment.
  void advance(std::int64_t ms) {
    const std::int64_t target = clock_.now + ms;
    while (running_ && due_ <= target) {
      clock_.now = due_;
      if (on_expiry) on_expiry();
    }
    clock_.now = target;
  }

 private:
  FakeClock& clock_;
  bool running_ = false;
  std::int64_t due_ = 0;
};

// Records every write and line change; hands out bytes queued with feed().
class FakePort final : public LinkPort {
 public:
  int open() override {
    ++opens;
    opened = open_result == 0;
    return open_result;
  }
  void close() override {
    ++closes;
    opened = false;
  }
  bool is_open() const override { return opened; }
  void set_bit_rate(int rate) override { bit_rate = rate == 9600 ? 9600 : 115200; }
  void set_dtr(bool on) override { events.push_back(on ? "DTR+" : "DTR-"); }
  void set_rts(bool on) override { events.push_back(on ? "RTS+" : "RTS-"); }
  void write(const std::uint8_t* bytes, std::size_t count) override {
    events.push_back("W" + std::to_string(count));
    pieces.emplace_back(bytes, bytes + count);
    written.insert(written.end(), bytes, bytes + count);
  }
  std::size_t take_received(std::uint8_t* destination, std::size_t count) override {
    std::size_t n = 0;
    while (n < count && !inbox.empty()) {
      destination[n++] = inbox.front();
      inbox.pop_front();
    }
    return n;
  }

  void feed(const Bytes& bytes) { inbox.insert(inbox.end(), bytes.begin(), bytes.end()); }
  void clear_log() {
    events.clear();
    pieces.clear();
    written.clear();
  }

  int open_result = 0;
  int opens = 0;
  int closes = 0;
  int bit_rate = 9600;
  bool opened = false;
  std::vector<std::string> events;
  std::vector<Bytes> pieces;
  Bytes written;
  std::deque<std::uint8_t> inbox;
};

}  // namespace phondeck::testing
