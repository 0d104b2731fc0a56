#pragma once
// One frame of the handset protocol, seen in place: identifier, destination,
// source, message type, two length bytes, data, optional padding and the two
// checksums. Data byte k is frame byte 6 + k.
#include <cstddef>
#include <cstdint>

namespace phondeck {

inline constexpr std::uint8_t kFrameIdCable = 0x1E;
inline constexpr std::uint8_t kFrameIdInfrared = 0x1C;
inline constexpr std::uint8_t kAddressHandset = 0x00;
inline constexpr std::uint8_t kAddressPc = 0x0C;
inline constexpr std::uint8_t kTypeAck = 0x7F;
inline constexpr std::size_t kFrameHeader = 6;

class LinkFrame {
 public:
  LinkFrame(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  const std::uint8_t* bytes() const { return bytes_; }
  std::size_t size() const { return size_; }
  // Message type (frame byte 3); 0 for a frame too short to have one.
  std::uint8_t type() const { return size_ > 3 ? bytes_[3] : 0; }
  // Data length as the frame states it, bounded by the bytes present.
  std::size_t data_length() const {
    if (size_ <= kFrameHeader) return 0;
    const std::size_t stated = bytes_[5];
    const std::size_t present = size_ - kFrameHeader;
    return stated < present ? stated : present;
  }
  const std::uint8_t* data() const { return bytes_ + kFrameHeader; }
  // Data byte k, or -1 when the frame has no such byte.
  int data(std::size_t k) const { return k < data_length() ? bytes_[kFrameHeader + k] : -1; }
  // Data byte 3, which most messages switch on.
  int sub_type() const { return data(3); }
  // The sequence byte: the last data byte, found from the length byte (for a
  // frame without data that is the length byte itself).
  int sequence() const { return size_ >= kFrameHeader ? bytes_[kFrameHeader - 1 + data_length()] : -1; }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
};

}  // namespace phondeck
