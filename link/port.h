#pragma once
// The byte port the frame layer talks through: the serial port on a real
// device, or an in-process pipe to the virtual handset in tests.
#include <cstddef>
#include <cstdint>

namespace phondeck {

class LinkTap;

// Window messages the port posts to the window thread.
inline constexpr int kMsgBytesArrived = 1024;  // parameter: byte count stored
inline constexpr int kMsgLineError = 1025;     // parameter: line error flags

// Receives the port's notices; post() may be called from any thread and must
// hand the message to the window thread in order.
class WindowMessageSink {
 public:
  virtual ~WindowMessageSink() = default;
  virtual void post(int message, std::uint32_t parameter) = 0;
};

class LinkPort {
 public:
  virtual ~LinkPort() = default;
  // 0 on success, otherwise the failure code (already shown to the user).
  virtual int open() = 0;
  virtual void close() = 0;
  virtual bool is_open() const = 0;
  // 9600 for 9600, 115200 for any other value.
  virtual void set_bit_rate(int rate) = 0;
  virtual void set_dtr(bool on) = 0;
  virtual void set_rts(bool on) = 0;
  // Returns when the bytes have left (or the write failed).
  virtual void write(const std::uint8_t* bytes, std::size_t count) = 0;
  // Copies up to count received bytes; returns how many were copied.
  virtual std::size_t take_received(std::uint8_t* destination, std::size_t count) = 0;
  // Told of the port's opening, closing, line changes and failures (the link
  // log), also from a reader thread; a port with nothing to tell ignores it.
  virtual void set_tap(LinkTap* /*tap*/) {}
};

}  // namespace phondeck
