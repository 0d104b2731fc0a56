#pragma once
// What the link tells a listener such as the link log: every frame both
// ways, the engine's resets and the port's events. The frame layer and the
// engine call it on the window thread, the serial port also from its reader
// thread. A link without a tap pays one pointer test per frame.
#include <cstdint>
#include <span>
#include <string_view>

namespace phondeck {

enum class TapKind : std::uint8_t {
  // PC to handset.
  Sent,       // a request frame
  Resent,     // its retransmission (the retry number with it)
  AckSent,    // our acknowledgement of a handset frame
  Raw,        // bytes written as they are (wake-up bursts)
  // Handset to PC.
  Received,   // a frame the frame layer took (a message or an acknowledgement)
  Repeat,     // a frame with the last sequence byte again: acknowledged, dropped
  Broken,     // failed its checksums, or would overflow the buffer: dropped
  Echo,       // our own frame coming back over the line: dropped
  Unheard,    // arrived while the link was down or not connecting: dropped
  // Events without bytes.
  Reset,      // the link reset, with its reason
  Lost,       // the handset stopped answering: the link is lost
  Engine,     // the step sent afresh, a reconnect
  Port,       // opened, closed, bit rate, DTR and RTS
  PortError,  // an open, read or write that failed
  LineError,  // the line reported an overrun, framing or parity error
};

class LinkTap {
 public:
  virtual ~LinkTap() = default;
  // Bytes on the line; retry is the retransmission's number (Resent).
  virtual void frame(TapKind kind, std::span<const std::uint8_t> bytes, int retry = 0) = 0;
  // An event without bytes, and what to say about it.
  virtual void event(TapKind kind, std::string_view text) = 0;
};

}  // namespace phondeck
