#pragma once
// The one test frame builder and reader, written out byte by byte apart from
// both codecs: identifier, destination, source, type, two length bytes, data,
// a pad byte after odd data, the XOR of the bytes at even offsets and the XOR
// of those at odd offsets.
#include <cstdint>
#include <vector>

namespace phondeck::testing {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kTestPc = 0x0C;
inline constexpr std::uint8_t kTestHandset = 0x00;

inline Bytes test_frame(std::uint8_t type, const Bytes& data, std::uint8_t id, std::uint8_t destination,
                        std::uint8_t source) {
  // Byte by byte: gcc 12 misreads a range insert into a fresh vector.
  Bytes f;
  f.reserve(data.size() + 9);
  for (std::uint8_t b : {id, destination, source, type, std::uint8_t{0x00}, static_cast<std::uint8_t>(data.size())})
    f.push_back(b);
  for (std::uint8_t b : data) f.push_back(b);
  if (f.size() % 2 != 0) f.push_back(0x00);
  std::uint8_t even = 0;
  std::uint8_t odd = 0;
  for (std::size_t i = 0; i < f.size(); ++i) (i % 2 == 0 ? even : odd) ^= f[i];
  f.push_back(even);
  f.push_back(odd);
  return f;
}

// From the handset to the PC (destination 0x00 writes the PC's own frame,
// as an echoing cable returns it).
inline Bytes handset_frame(std::uint8_t type, const Bytes& data, std::uint8_t id = 0x1E,
                           std::uint8_t destination = kTestPc) {
  return test_frame(type, data, id, destination, destination == kTestPc ? kTestHandset : kTestPc);
}
inline Bytes handset_ack(std::uint8_t type, std::uint8_t sequence, std::uint8_t id = 0x1E) {
  return handset_frame(0x7F, {type, static_cast<std::uint8_t>(sequence & 0x0F)}, id);
}

// From the PC to the handset.
inline Bytes pc_frame(std::uint8_t type, const Bytes& data, std::uint8_t id = 0x1E) {
  return test_frame(type, data, id, kTestHandset, kTestPc);
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

struct SeenFrame {
  std::uint8_t type;
  Bytes data;  // for messages including frames-remaining and sequence
  bool checksum_ok;
  std::uint8_t sequence() const { return data.empty() ? 0 : data.back(); }
};

// The frames to one destination in a byte stream, skipping what lies between
// them; a frame whose checksums fail is reported and the scan goes on one
// byte after its start.
inline std::vector<SeenFrame> frames_in(const Bytes& stream, std::uint8_t id = 0x1E,
                                        std::uint8_t destination = kTestPc) {
  const std::uint8_t source = destination == kTestPc ? kTestHandset : kTestPc;
  std::vector<SeenFrame> out;
  std::size_t i = 0;
  while (i + 6 <= stream.size()) {
    if (stream[i] != id || stream[i + 1] != destination || stream[i + 2] != source) {
      ++i;
      continue;
    }
    const std::size_t n = stream[i + 5];
    const std::size_t total = 8 + n + n % 2;
    if (i + total > stream.size()) break;
    std::uint8_t even = 0;
    std::uint8_t odd = 0;
    for (std::size_t k = 0; k + 2 < total; ++k) (k % 2 == 0 ? even : odd) ^= stream[i + k];
    const bool ok = even == stream[i + total - 2] && odd == stream[i + total - 1];
    out.push_back({stream[i + 3],
                   Bytes(stream.begin() + static_cast<long>(i + 6), stream.begin() + static_cast<long>(i + 6 + n)),
                   ok});
    i += ok ? total : 1;
  }
  return out;
}

// The PC's frames in what it wrote.
inline std::vector<SeenFrame> pc_frames_in(const Bytes& stream, std::uint8_t id = 0x1E) {
  return frames_in(stream, id, kTestHandset);
}

}  // namespace phondeck::testing
