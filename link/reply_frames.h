#pragma once
// What every family reads from a reply frame: its payload (the frames-
// remaining and sequence bytes removed) and its frames-remaining byte; and
// the collection of one long reply from its frames.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/link_frame.h"

namespace phondeck {

// The reply's data without its last two bytes (frames remaining, sequence).
std::span<const std::uint8_t> reply_payload(const LinkFrame& frame);
// The frames of this message still to come, this one included (1: the
// last); 1 for a frame too short to carry the byte.
int frames_remaining(const LinkFrame& frame);

// One long reply joined from its frames by the frames-remaining byte, never
// by fixed sizes: the handset's frame size decides the split. A first frame
// (the family recognises it by its sub-type) starts afresh, also while
// collecting (the request was sent again); a later frame is taken only when
// its frames-remaining byte is the one expected.
class MultiFrameReply {
 public:
  enum class Take { Ignored, Taken, Complete };

  // A later frame of the reply being collected.
  bool continues(const LinkFrame& frame) const;
  // Starts the reply with a first frame, keeping its payload from `from` on
  // (a first frame shorter than that keeps nothing of it).
  Take begin(const LinkFrame& frame, std::size_t from = 0);
  // Adds a later frame; Ignored unless continues(frame).
  Take add(const LinkFrame& frame);
  // begin() for a first frame, add() for a later one, else Ignored.
  Take take(const LinkFrame& frame, bool first, std::size_t from = 0) {
    if (continues(frame)) return add(frame);
    return first ? begin(frame, from) : Take::Ignored;
  }

  // More frames of the reply are on their way.
  bool collecting() const { return next_remaining_ > 0; }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  // The collected bytes; the collection is empty again.
  std::vector<std::uint8_t> take_bytes();
  // Forgets any half-collected reply (a link reset, a request sent again).
  void reset();

 private:
  Take after(const LinkFrame& frame);
  std::vector<std::uint8_t> bytes_;
  int next_remaining_ = 0;
};

}  // namespace phondeck
