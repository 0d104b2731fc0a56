#pragma once
// The PC's half of the protocol, written out plainly for the handset tests:
// frames as the PC sends them and a reader for what the handset sends back.
#include <cstdint>
#include <vector>

#include "link/clock.h"
#include "sim/handset.h"

namespace phondeck::sim::testing {

using Bytes = std::vector<std::uint8_t>;

// A PC frame: header to the handset, data, pad, both checksums.
inline Bytes pc_frame(std::uint8_t type, const Bytes& data, std::uint8_t id = 0x1E) {
  Bytes f{id, 0x00, 0x0C, type, 0x00, static_cast<std::uint8_t>(data.size())};
  f.insert(f.end(), data.begin(), data.end());
  if (data.size() % 2) f.push_back(0);
  std::uint8_t c1 = 0, c2 = 0;
  for (std::size_t i = 0; i < f.size(); ++i) (i % 2 ? c2 : c1) ^= f[i];
  f.push_back(c1);
  f.push_back(c2);
  return f;
}
// A one-frame request: payload, frames remaining 1, sequence byte.
inline Bytes pc_request(std::uint8_t type, Bytes payload, std::uint8_t sequence, std::uint8_t id = 0x1E) {
  payload.push_back(0x01);
  payload.push_back(sequence);
  return pc_frame(type, payload, id);
}
inline Bytes pc_ack(std::uint8_t type, std::uint8_t sequence, std::uint8_t id = 0x1E) {
  return pc_frame(0x7F, {type, static_cast<std::uint8_t>(sequence & 0x0F)}, id);
}
inline Bytes wake_burst() { return Bytes(64, 0x55); }

struct SeenFrame {
  std::uint8_t type;
  Bytes data;  // including frames-remaining and sequence for messages
  bool checksum_ok;
  std::uint8_t sequence() const { return data.empty() ? 0 : data.back(); }
};

// Splits a stream from the handset into frames (skipping noise before a frame).
inline std::vector<SeenFrame> frames_in(const Bytes& stream, std::uint8_t id = 0x1E) {
  std::vector<SeenFrame> out;
  std::size_t i = 0;
  while (i + 6 <= stream.size()) {
    if (stream[i] != id || stream[i + 1] != 0x0C || stream[i + 2] != 0x00) {
      ++i;
      continue;
    }
    const std::size_t n = stream[i + 5];
    const std::size_t total = 8 + n + n % 2;
    if (i + total > stream.size()) break;
    std::uint8_t c1 = 0, c2 = 0;
    for (std::size_t k = 0; k + 2 < total; ++k) (k % 2 ? c2 : c1) ^= stream[i + k];
    const bool ok = c1 == stream[i + total - 2] && c2 == stream[i + total - 1];
    out.push_back({stream[i + 3], Bytes(stream.begin() + static_cast<long>(i + 6),
                                        stream.begin() + static_cast<long>(i + 6 + n)), ok});
    i += ok ? total : 1;
  }
  return out;
}

class ManualClock final : public Clock {
 public:
  std::int64_t now_ms() const override { return now_; }
  void sleep_ms(std::int64_t ms) override { now_ += ms; }
  std::int64_t now_ = 1000;
};

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
