#pragma once
// The frame layer: frames, numbers, checksums and writes requests, keeps the
// retransmission copy, acknowledges what the handset sends, emits the 0x55
// wake-up bursts, and scans the received byte stream for frames, answering
// the handset's unsolicited messages itself and passing every other message
// on as a reply. A frame found broken does not take good frames with it: the
// bytes after its start are scanned again, and a good frame that ends inside
// a frame still being assembled ends that one. Fixed buffers only; nothing is
// allocated per frame.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "link/link_frame.h"
#include "link/link_state.h"
#include "link/link_tap.h"

namespace phondeck {

class LinkPort;
class Timer;
class Clock;

// State the frame layer shares with the operation engine.
struct LinkFlags {
  LinkState link_state = LinkState::Disconnected;
  int ack_received = 0;      // the handset acknowledged the last request
  int reply_count = 0;       // replies taken since; 1 - expect-reply at send
  std::uint8_t retry = 0;    // retransmissions of the current request
  int connected = 0;         // set when a connect starts, cleared by reset
  int heard = 0;             // a good frame came from the handset since then

  // No request is waiting for its acknowledgement or its reply.
  bool exchange_done() const { return ack_received != 0 && reply_count != 0; }
};

// What the frame layer tells the engine.
class FrameEvents {
 public:
  virtual ~FrameEvents() = default;
  // The awaited acknowledgement and reply are both in.
  virtual void exchange_complete() = 0;
  // A message for the running family's reply phase.
  virtual void reply_arrived(const LinkFrame& frame) = 0;
  // The third retransmission was due: the step is sent afresh instead.
  virtual void retries_exhausted() = 0;
  // The handset reported its network (message 0x0A, sub-type 0x71).
  virtual void network_details(int mcc, int mnc) = 0;
};

class FrameLayer {
 public:
  static constexpr std::size_t kFrameSize = 4096;
  static constexpr std::size_t kStagingSize = 30000;
  static constexpr int kTimerMs = 2000;
  static constexpr std::uint8_t kSequenceAfterReset = 0x41;
  static constexpr int kCableSettings = 7;

  FrameLayer(LinkPort& port, Timer& timer, Clock& clock);
  FrameLayer(const FrameLayer&) = delete;
  FrameLayer& operator=(const FrameLayer&) = delete;

  void set_events(FrameEvents* events) { events_ = events; }
  // Told of every frame both ways (the link log); nullptr: nobody.
  void set_tap(LinkTap* tap) { tap_ = tap; }
  LinkTap* tap() const { return tap_; }
  LinkFlags& flags() { return flags_; }
  const LinkFlags& flags() const { return flags_; }
  LinkPort& port() { return port_; }
  Clock& clock() { return clock_; }
  Timer& timer() { return timer_; }

  // Media from the configuration value Type: 0 infrared (0x1C), else cable (0x1E).
  void set_media(int type);
  std::uint8_t frame_id() const { return frame_id_; }
  bool on_cable() const { return frame_id_ == kFrameIdCable; }

  // Next value of the sequence counter: 0x42 .. 0x47, 0x40, 0x41, ...
  std::uint8_t next_sequence();
  std::uint8_t sequence_counter() const { return sequence_; }

  // Frames and writes a request (header and data, count bytes), keeps its
  // copy for retransmission and restarts the time-out timer. A request that
  // would not fit a frame is not sent.
  void send_message(const std::uint8_t* bytes, std::size_t count, int expect_reply);
  // Builds and sends a request of the given type: header, payload, then the
  // trailer 0x01 (one frame) and the next sequence byte.
  void send_request(std::uint8_t type, std::span<const std::uint8_t> payload, int expect_reply);
  // Writes bytes as they are (wake-up bursts); the timer is not touched.
  void send_raw(const std::uint8_t* bytes, std::size_t count);
  // Acknowledges the frame now in the receive buffer; stops the timer unless
  // our request still waits for the handset's acknowledgement. A reply that
  // the family acknowledges is taken as the answer to the running request.
  void acknowledge(std::uint8_t type, bool full_sequence = false);
  // Acknowledges the reply in hand so the handset stops repeating it, without
  // taking it as the answer: a late answer to an earlier request.
  void drop_reply(std::uint8_t type);
  // Counts the requests sent; tells one exchange from the next.
  std::uint32_t exchange_number() const { return exchange_number_; }
  // Writes the retransmission copy again; the third time ends the step.
  void retransmit();
  // The 0x55 wake-up burst of cable setting 0..6 (others write nothing).
  void sync_burst(int cable_setting);

  // Takes count bytes from the port into the staging area and scans them.
  void take_from_port(std::size_t count);
  // Scans received bytes for frames.
  void receive(const std::uint8_t* bytes, std::size_t count);

  // Link reset: sequence counter 0x41, expected length 4096. The fill count
  // and the last received sequence byte survive.
  void reset();

  // Inspection (tests, diagnostics).
  std::size_t fill_count() const { return fill_; }
  std::size_t expected_length() const { return expected_; }
  int last_sequence() const { return last_sequence_; }
  std::span<const std::uint8_t> retransmission_copy() const { return {copy_.data(), copy_length_}; }

 private:
  void chunked_write(const std::uint8_t* bytes, std::size_t count);
  void write_ack(const LinkFrame& frame, std::uint8_t type, bool full_sequence);
  // Takes one received byte; false when the frame would overflow the buffer.
  bool take_byte(std::uint8_t b);
  void frame_complete();
  // Follows identifiers inside the frame being assembled; true when one of
  // them began a good frame that ends with byte b.
  bool watch_inner_frames(std::uint8_t b);
  // The assembled bytes from `from` on go through the scan again before the
  // rest of the batch.
  void scan_again_from(std::size_t from, std::size_t size);
  void process_frame();
  void dispatch(const LinkFrame& frame);
  void pass_reply(const LinkFrame& frame);
  void unsolicited(const LinkFrame& frame);
  void store_network_details(const LinkFrame& frame);
  void check_exchange();
  void tap_frame(TapKind kind, const std::uint8_t* bytes, std::size_t count, int retry = 0) {
    if (tap_ != nullptr) tap_->frame(kind, {bytes, count}, retry);
  }

  LinkPort& port_;
  Timer& timer_;
  Clock& clock_;
  FrameEvents* events_ = nullptr;
  LinkTap* tap_ = nullptr;
  LinkFlags flags_;

  std::uint8_t frame_id_ = kFrameIdCable;
  std::uint8_t sequence_ = kSequenceAfterReset;
  int last_sequence_ = -2;  // none yet: matches no byte value

  std::array<std::uint8_t, kFrameSize> assembly_{};
  std::size_t fill_ = 0;
  std::size_t expected_ = kFrameSize;
  std::size_t frame_size_ = 0;  // the frame being processed (acknowledge reads it)

  // Bytes scanned again after a broken frame; never more than one frame's.
  std::array<std::uint8_t, kFrameSize> rescan_{};
  std::size_t rescan_at_ = 0;
  std::size_t rescan_length_ = 0;
  // Identifiers inside the frame being assembled, each a frame to the PC
  // that may have begun there; end is 0 until its length byte is in.
  struct InnerStart {
    std::size_t at;
    std::size_t end;
  };
  static constexpr std::size_t kInnerStarts = 8;
  std::array<InnerStart, kInnerStarts> inner_{};
  std::size_t inner_count_ = 0;

  std::array<std::uint8_t, kStagingSize> staging_{};
  std::array<std::uint8_t, kFrameSize> transmit_{};
  std::size_t transmit_length_ = 0;
  std::array<std::uint8_t, kFrameSize> copy_{};
  std::size_t copy_length_ = 0;
  int copy_expect_reply_ = 0;
  // The type and masked sequence of a request that awaits no reply: only its
  // own acknowledgement completes it. A late one of the request before would
  // report it done when the handset never had it.
  std::optional<std::pair<std::uint8_t, std::uint8_t>> awaited_ack_;
  std::uint32_t exchange_number_ = 0;
  bool reply_in_hand_ = false;
  // The type and frames-remaining byte of the last message frame heard, to
  // tell a message's later frames from a new message.
  int message_type_ = -1;
  int message_remaining_ = 0;  // a reply is being dispatched and not yet taken
  std::array<std::uint8_t, kFrameSize> request_{};
};

// Checksum test of a received frame: its length byte above 2, checksum 1
// the XOR of the bytes at even offsets before it, checksum 2 the XOR of all
// bytes before it.
bool frame_checksums_ok(const std::uint8_t* frame, std::size_t size);
// Both checksums of an assembled frame hold, whatever its length byte says.
bool frame_checksums_hold(const std::uint8_t* frame, std::size_t size);

}  // namespace phondeck
