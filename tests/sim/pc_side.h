#pragma once
// The PC's half of the protocol for the handset tests: the shared test frames
// and clock, and a line that records what the handset sends.
#include <cstdint>
#include <vector>

#include "sim/handset.h"
#include "support/fake_clock.h"
#include "support/test_frames.h"

namespace phondeck::sim::testing {

using Bytes = std::vector<std::uint8_t>;

using ::phondeck::testing::frames_in;
using ::phondeck::testing::pc_ack;
using ::phondeck::testing::pc_frame;
using ::phondeck::testing::pc_frames_in;
using ::phondeck::testing::pc_request;
using ::phondeck::testing::SeenFrame;
using ::phondeck::testing::FakeClock;

inline Bytes wake_burst() { return Bytes(64, 0x55); }

// Records what the handset sends, transmission by transmission.
class RecordingLine final : public HandsetLine {
 public:
  void transmit(const std::uint8_t* bytes, std::size_t count) override {
    pieces.emplace_back(bytes, bytes + count);
    stream.insert(stream.end(), bytes, bytes + count);
  }
  void hang_up() override { hung_up = true; }
  std::vector<SeenFrame> frames(std::uint8_t id = 0x1E) const { return frames_in(stream, id); }
  void clear() {
    stream.clear();
    pieces.clear();
  }
  Bytes stream;
  std::vector<Bytes> pieces;
  bool hung_up = false;
};

}  // namespace phondeck::sim::testing
