#include "link/reply_frames.h"

#include <utility>

namespace phondeck {

std::span<const std::uint8_t> reply_payload(const LinkFrame& frame) {
  const std::size_t n = frame.data_length();
  return {frame.data(), n >= 2 ? n - 2 : 0};
}

int frames_remaining(const LinkFrame& frame) {
  const std::size_t n = frame.data_length();
  return n >= 2 ? frame.data()[n - 2] : 1;
}

bool MultiFrameReply::continues(const LinkFrame& frame) const {
  return next_remaining_ > 0 && frames_remaining(frame) == next_remaining_;
}

MultiFrameReply::Take MultiFrameReply::begin(const LinkFrame& frame, std::size_t from) {
  const std::span<const std::uint8_t> payload = reply_payload(frame);
  bytes_.clear();
  if (payload.size() > from) bytes_.assign(payload.begin() + static_cast<std::ptrdiff_t>(from), payload.end());
  return after(frame);
}

MultiFrameReply::Take MultiFrameReply::add(const LinkFrame& frame) {
  if (!continues(frame)) return Take::Ignored;
  const std::span<const std::uint8_t> payload = reply_payload(frame);
  bytes_.insert(bytes_.end(), payload.begin(), payload.end());
  return after(frame);
}

MultiFrameReply::Take MultiFrameReply::after(const LinkFrame& frame) {
  const int remaining = frames_remaining(frame);
  if (remaining > 1) {
    next_remaining_ = remaining - 1;
    return Take::Taken;
  }
  next_remaining_ = 0;
  return Take::Complete;
}

std::vector<std::uint8_t> MultiFrameReply::take_bytes() {
  next_remaining_ = 0;
  return std::exchange(bytes_, {});
}

void MultiFrameReply::reset() {
  next_remaining_ = 0;
  bytes_.clear();
}

}  // namespace phondeck
