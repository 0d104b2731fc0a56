#pragma once
// Write Ringing Tone (steps 11..12 of the media and settings family): the
// Smart Messaging message of a tone sent to the handset, which keeps it. No
// reply is awaited; the handset's acknowledgement ends the operation, and
// only then does the status bar say it is completed.
#include <cstdint>
#include <vector>

#include "link/family_handler.h"
#include "media/ring_tone.h"

namespace phondeck {

// The most message bytes one request carries after 0x0C 0x01 (the frame's
// 255 data bytes less those two and the two trailer bytes).
inline constexpr std::size_t kMaxWrittenToneBytes = 251;

// The engine's parameters as Write Ringing Tone uses them.
class RingToneParams {
 public:
  explicit RingToneParams(OperationParams& params) : p_(params) {}
  // The upload went out (p0); the write starts with it unsent.
  bool uploaded() const { return p_.p0 != 0; }
  void set_uploaded(bool uploaded) { p_.p0 = uploaded ? 1 : 0; }

 private:
  OperationParams& p_;
};

class RingToneFamily final : public FamilyHandler {
 public:
  enum class Step : int {
    Open = 11,    // opens the exchange
    Upload = 12,  // sends the tone; done once the handset acknowledged it
  };
  static constexpr int kFirstStep = 11;
  static constexpr int kLastStep = 12;

  // The message the running (or next) write sends.
  const std::vector<std::uint8_t>& message() const { return message_; }
  void set_message(std::vector<std::uint8_t> message) { message_ = std::move(message); }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  // A write resumed after a reconnect uploads the tone again.
  void link_reset() override { link_lost_ = true; }

 private:
  std::vector<std::uint8_t> message_;
  bool link_lost_ = false;  // since the upload went out
};

// Write Ringing Tone through the guard without confirmation; refused on
// models beginning with "5". False when nothing started (also for a tone
// with no notes or one whose message is longer than kMaxWrittenToneBytes:
// refused as bad input). Done with `bytes` the message's.
bool start_ring_tone_write(OperationEngine& engine, RingToneFamily& family, const RingTone& tone,
                           StartOptions options = {});

}  // namespace phondeck
