#pragma once
// The handset's own side of the frame protocol: building the frames it sends
// to the PC and finding the PC's frames in the bytes it hears.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace phondeck::sim {

inline constexpr std::uint8_t kCableFrameId = 0x1E;
inline constexpr std::uint8_t kInfraredFrameId = 0x1C;
inline constexpr std::uint8_t kPcAddress = 0x0C;
inline constexpr std::uint8_t kHandsetAddress = 0x00;
inline constexpr std::uint8_t kAckType = 0x7F;

using Bytes = std::vector<std::uint8_t>;

// A frame from the handset to the PC: header, data, a pad byte when the data
// length is odd, then the even and odd XOR checksums.
Bytes build_frame(std::uint8_t frame_id, std::uint8_t type, std::span<const std::uint8_t> data);
// The handset's acknowledgement of a PC frame.
Bytes build_ack(std::uint8_t frame_id, std::uint8_t type, std::uint8_t sequence);
// Both checksums of a whole frame (length from its header) hold.
bool frame_checksums_ok(std::span<const std::uint8_t> frame);

struct ReceivedFrame {
  std::uint8_t type = 0;
  Bytes data;              // data bytes; the last is the sequence byte
  bool checksum_ok = false;
};

// Scans the byte stream from the PC for frames addressed to the handset.
// A frame whose checksums fail is reported once and the scan restarts one
// byte after its start, so a stray identifier cannot swallow a good frame.
class FrameScanner {
 public:
  using Sink = std::function<void(const ReceivedFrame&)>;
  explicit FrameScanner(std::uint8_t frame_id) : frame_id_(frame_id) {}
  void set_frame_id(std::uint8_t frame_id) { frame_id_ = frame_id; }
  void feed(const std::uint8_t* bytes, std::size_t count, const Sink& sink);
  // The line went quiet in the middle of a frame: the start was not a
  // frame after all. Drops its first byte and scans the rest again.
  void give_up_partial(const Sink& sink);
  void reset() { pending_.clear(); }
  std::size_t pending() const { return pending_.size(); }

 private:
  // Length of a frame at the start of pending_: 0 when more bytes are needed,
  // -1 when the start cannot begin a frame.
  long frame_at_start() const;

  std::uint8_t frame_id_;
  Bytes pending_;
};

}  // namespace phondeck::sim
