#pragma once
// The one test clock: time moves only when a test (or a sleep) moves it, and
// every sleep is noted.
#include <cstdint>
#include <vector>

#include "link/clock.h"

namespace phondeck::testing {

class FakeClock final : public Clock {
 public:
  explicit FakeClock(std::int64_t start_ms = 0) : now(start_ms) {}
  std::int64_t now_ms() const override { return now; }
  void sleep_ms(std::int64_t ms) override {
    now += ms;
    slept.push_back(ms);
  }
  std::int64_t now;
  std::vector<std::int64_t> slept;
};

}  // namespace phondeck::testing
