#include "sim/handset_codec.h"

#include <algorithm>

namespace phondeck::sim {

namespace {

void append_checksums(Bytes& frame) {
  std::uint8_t even = 0;
  std::uint8_t odd = 0;
  for (std::size_t i = 0; i < frame.size(); ++i) (i % 2 == 0 ? even : odd) ^= frame[i];
  frame.push_back(even);
  frame.push_back(odd);
}

}  // namespace

Bytes build_frame(std::uint8_t frame_id, std::uint8_t type, std::span<const std::uint8_t> data) {
  Bytes frame;
  frame.reserve(data.size() + 9);
  frame.push_back(frame_id);
  frame.push_back(kPcAddress);
  frame.push_back(kHandsetAddress);
  frame.push_back(type);
  frame.push_back(static_cast<std::uint8_t>(data.size() >> 8));
  frame.push_back(static_cast<std::uint8_t>(data.size() & 0xFF));
  frame.insert(frame.end(), data.begin(), data.end());
  if (data.size() % 2 == 1) frame.push_back(0x00);
  append_checksums(frame);
  return frame;
}

Bytes build_ack(std::uint8_t frame_id, std::uint8_t type, std::uint8_t sequence) {
  const std::uint8_t data[2] = {type, static_cast<std::uint8_t>(sequence & 0x0F)};
  return build_frame(frame_id, kAckType, data);
}

bool frame_checksums_ok(std::span<const std::uint8_t> frame) {
  if (frame.size() < 8 || frame.size() % 2 != 0) return false;
  std::uint8_t even = 0;
  std::uint8_t odd = 0;
  for (std::size_t i = 0; i + 2 < frame.size(); ++i) (i % 2 == 0 ? even : odd) ^= frame[i];
  return frame[frame.size() - 2] == even && frame[frame.size() - 1] == odd;
}

long FrameScanner::frame_at_start() const {
  const std::size_t have = pending_.size();
  if (have >= 1 && pending_[0] != frame_id_) return -1;
  if (have >= 2 && pending_[1] != kHandsetAddress) return -1;
  if (have >= 3 && pending_[2] != kPcAddress) return -1;
  if (have < 6) return 0;
  // The PC sends a zero length high byte, and every frame carries at least
  // the frames-remaining and sequence bytes.
  if (pending_[4] != 0x00) return -1;
  const std::size_t length = pending_[5];
  if (length < 2) return -1;
  const std::size_t total = 8 + length + (length % 2);
  return have >= total ? static_cast<long>(total) : 0;
}

void FrameScanner::give_up_partial(const Sink& sink) {
  if (pending_.empty()) return;
  pending_.erase(pending_.begin());
  feed(nullptr, 0, sink);
}

void FrameScanner::feed(const std::uint8_t* bytes, std::size_t count, const Sink& sink) {
  if (count > 0) pending_.insert(pending_.end(), bytes, bytes + count);
  std::size_t start = 0;
  for (;;) {
    // Skip to the next identifier.
    while (start < pending_.size() && pending_[start] != frame_id_) ++start;
    if (start > 0) {
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(start));
      start = 0;
    }
    if (pending_.empty()) return;
    const long length = frame_at_start();
    if (length == 0) return;
    if (length < 0) {
      start = 1;
      continue;
    }
    const std::span<const std::uint8_t> frame(pending_.data(), static_cast<std::size_t>(length));
    ReceivedFrame received;
    received.type = frame[3];
    const std::size_t data_length = frame[5];
    received.data.assign(frame.begin() + 6, frame.begin() + 6 + static_cast<long>(data_length));
    received.checksum_ok = frame_checksums_ok(frame);
    const std::size_t consumed = received.checksum_ok ? static_cast<std::size_t>(length) : 1;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(consumed));
    sink(received);
  }
}

}  // namespace phondeck::sim
