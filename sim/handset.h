#pragma once
// The virtual handset's link behaviour: it wakes on the 0x55 bursts,
// acknowledges every good frame, drops repeats, numbers its own frames,
// splits long replies, retransmits what the PC does not acknowledge, may echo
// the PC's bytes like a data cable, and shows the configured faults. It runs
// on whatever thread its transport calls it from, one call at a time.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>

#include "link/clock.h"
#include "sim/dispatch.h"
#include "sim/faults.h"
#include "sim/handset_codec.h"
#include "sim/handset_state.h"

namespace phondeck::sim {

struct HandsetOptions {
  std::uint8_t frame_id = kCableFrameId;  // 0x1E cable, 0x1C infrared
  bool echo = false;                      // repeat every byte the PC sends
  bool need_wake = true;                  // deaf until a 0x55 burst
  int wake_run = 16;                      // 0x55 bytes in a row that wake it
  int retransmit_ms = 1000;               // resend an unacknowledged frame
  int max_sends = 4;                      // first send and three retransmissions
  std::size_t frame_payload = 120;        // message bytes per frame
  int network_every_ms = 0;               // > 0: unsolicited network details
  int notices_every_ms = 0;               // > 0: each unsolicited kind in turn
  int quiet_ms = 100;                     // a partial frame this old is abandoned
  int deaf_after_dtr_ms = 0;              // > 0: hears nothing this long after DTR
                                          // rises (a cable powering up)
};

// Where the handset's bytes go: the transport.
class HandsetLine {
 public:
  virtual ~HandsetLine() = default;
  virtual void transmit(const std::uint8_t* bytes, std::size_t count) = 0;
  virtual void hang_up() = 0;
};

// The kinds of message the handset sends unasked (type and sub-type); the PC
// acknowledges them without passing them to a running operation.
struct NoticeKind {
  std::uint8_t type;
  std::uint8_t sub_type;
};
std::span<const NoticeKind> unsolicited_kinds();

struct HandsetStats {
  int frames_in = 0;       // complete frames addressed to the handset
  int bad_checksums = 0;
  int asleep = 0;          // frames ignored before the wake-up burst
  int acks_in = 0;
  int acks_out = 0;
  int repeats = 0;         // repeated requests acknowledged and dropped
  int requests = 0;        // messages passed to the handlers
  int unhandled = 0;
  int frames_out = 0;      // first sends of the handset's frames
  int retransmits = 0;
  int given_up = 0;        // messages abandoned after max_sends
  int dropped_in = 0;
  int dropped_out = 0;
  int corrupted = 0;
  int duplicated = 0;
  int stray = 0;
  int wakes = 0;
  int deaf = 0;            // bytes unheard while powering up after DTR rose
  ByteNoiseCount noise;    // byte noise, both ways
};

// One message through the handset, for a trace: a request from the PC once
// its frames are joined, then (kUnhandled) if no handler took it, so it was
// acknowledged and left unanswered; or a message the handset sends.
struct TraceEvent {
  enum Kind { kRequest, kUnhandled, kSent } kind;
  std::uint8_t type;
  const Bytes& payload;
};
using TraceSink = std::function<void(const TraceEvent&)>;

class Handset {
 public:
  Handset(const Clock& clock, HandsetState state, HandsetOptions options = {},
          FaultOptions faults = {});

  void attach(HandsetLine* line) { line_ = line; }
  // Called with every request and every message sent; none by default.
  void set_trace(TraceSink sink) { trace_ = std::move(sink); }

  // Bytes heard from the PC.
  void receive(const std::uint8_t* bytes, std::size_t count);
  // The PC raised DTR (it opened the port): with deaf_after_dtr_ms the
  // handset hears nothing for that long from now.
  void line_raised();
  // Sends what is due: delayed replies, pieces, retransmissions, periodic
  // messages; drops the line at the hang-up time.
  void poll();
  // When poll() next has work, in clock milliseconds; none when idle.
  std::optional<std::int64_t> next_due_ms() const;

  // For handlers: queue a reply (after the configured delay).
  void reply(std::uint8_t type, Bytes payload);
  // A message of the handset's own accord, sent at once.
  void send_unsolicited(std::uint8_t type, Bytes payload);
  // Network details (0x0A, sub-type 0x71) from the state.
  void send_network_details();
  // One of the messages a handset sends of its own accord (type and
  // sub-type as in unsolicited_kinds()); network details carry the state.
  void send_notice(std::uint8_t type, std::uint8_t sub_type);

  // The handset restarts: what is on the wire goes out, then it hears and
  // sends nothing for silent_ms; queued replies and a half-joined request are
  // lost, and the next request may reuse any sequence byte.
  void restart(int silent_ms);

  HandsetState& state() { return state_; }
  const HandsetState& state() const { return state_; }
  const HandsetStats& stats() const { return stats_; }
  const HandsetOptions& options() const { return options_; }
  const Clock& clock() const { return clock_; }
  bool awake() const { return awake_; }
  bool hung_up() const { return hung_up_; }
  bool silent() const { return silent_at(clock_.now_ms()); }
  // Messages queued or awaiting acknowledgement.
  std::size_t outstanding() const { return queue_.size(); }

 private:
  struct Outgoing {
    std::uint8_t type;
    std::uint8_t sequence;
    Bytes frame;
    int message;          // frames of one message share this number
    int sends = 0;
    std::int64_t due = 0;
  };
  struct Piece {
    std::int64_t due;
    Bytes bytes;
  };

  void enqueue(std::uint8_t type, const Bytes& payload, std::int64_t due);
  void on_frame(const ReceivedFrame& frame);
  void on_ack(const ReceivedFrame& frame);
  void put_on_wire(const Bytes& frame);
  void flush_wire(std::int64_t now);
  void check_hang_up(std::int64_t now);
  bool silent_at(std::int64_t now) const;
  std::uint8_t next_sequence();

  const Clock& clock_;
  HandsetState state_;
  HandsetOptions options_;
  FaultOptions faults_;
  FaultDice dice_in_;
  FaultDice dice_out_;
  DispatchTable table_;
  FrameScanner scanner_;
  HandsetLine* line_ = nullptr;
  HandsetStats stats_;
  TraceSink trace_;

  std::int64_t start_ms_;
  std::int64_t next_network_ms_ = 0;
  std::int64_t next_notice_ms_ = 0;
  std::size_t notice_turn_ = 0;
  std::int64_t last_heard_ms_ = 0;
  bool awake_;
  bool hung_up_ = false;
  int run_55_ = 0;
  int last_sequence_in_ = -1;
  std::uint8_t sequence_counter_ = 0;
  int next_message_ = 0;
  Bytes partial_;                // a multi-frame request being joined
  int partial_remaining_ = 0;    // frames-remaining byte of its last frame
  std::int64_t restarting_until_ms_ = -1;
  std::int64_t deaf_until_ms_ = -1;  // powering up after DTR rose
  std::deque<Outgoing> queue_;   // head is in flight once sent
  std::deque<Piece> wire_;       // bytes waiting for their time on the line
  std::int64_t wire_free_ms_ = 0;
  FrameScanner clean_scanner_;        // the PC's bytes before the line's noise
  std::deque<ReceivedFrame> sent_frames_;  // the last frames found there
};

}  // namespace phondeck::sim
