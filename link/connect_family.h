#pragma once
// The connect operation (link state 4): opens the port, wakes the cable or
// the infrared adapter, identifies the handset, reads the phone-book memory
// status and runs one status poll. Its waits are upper bounds: after DTR and
// RTS rise, the wake-up and the identification go out at once and again
// until a cable has had the time it may need to power up, and the pauses
// before the later steps end as soon as the handset has answered. An
// identification that goes unanswered is tried again from the wake-up, up to
// kIdentifyRetries times; each wake-up is reported to the connect listener.
#include <cstdint>

#include "link/family_handler.h"

namespace phondeck {

class ConnectFamily final : public FamilyHandler {
 public:
  enum class Step : int {
    Identify = 1,      // the wake-up and the identification
    MemoryStatus = 3,  // the phone book's memory status, one level deeper
    StatusPoll = 4,    // one status poll, one level deeper
    Done = 5,
  };
  // The most a line-powered cable needs after DTR and RTS rise.
  static constexpr int kWakeMs = 500;
  // Until then, an unheard wake-up and identification go out again this often.
  static constexpr int kWakeAgainMs = 100;
  // The most the connect waits before a later step for the handset's answer.
  static constexpr int kPauseMs = 100;
  static constexpr std::size_t kInfraredWakeBytes = 128;
  static constexpr std::uint8_t kIdentifySequence = 0x60;
  static constexpr int kIdentifyRetries = 3;
  static constexpr int kAttempts = kIdentifyRetries + 1;

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  void link_reset() override;
  void wait_over(OperationEngine& engine) override;

  // Wake-ups of this attempt so far (1 while the first goes out).
  int tries() const { return identify_retries_ + 1; }

 private:
  void wake_and_identify(OperationEngine& engine);

  int identify_retries_ = 0;
  std::int64_t powered_at_ms_ = 0;  // DTR and RTS rose
};

}  // namespace phondeck
