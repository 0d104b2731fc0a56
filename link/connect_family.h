#pragma once
// The connect operation (link state 4): opens the port, wakes the cable or
// the infrared adapter, identifies the handset, reads the phone-book memory
// status and runs one status poll. An identification that goes unanswered is
// tried again from the wake-up, up to kIdentifyRetries times.
#include "link/family_handler.h"

namespace phondeck {

class ConnectFamily final : public FamilyHandler {
 public:
  static constexpr int kStepIdentify = 1;
  static constexpr int kStepMemoryStatus = 3;
  static constexpr int kStepStatusPoll = 4;
  static constexpr int kStepDone = 5;
  static constexpr int kWakeMs = 500;
  static constexpr int kPauseMs = 100;
  static constexpr std::size_t kInfraredWakeBytes = 128;
  static constexpr std::uint8_t kIdentifySequence = 0x60;
  static constexpr int kIdentifyRetries = 3;

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  void link_reset() override { identify_retries_ = 0; }

 private:
  int identify_retries_ = 0;
};

}  // namespace phondeck
