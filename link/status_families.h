#pragma once
// The engine's own families: the keep-alive status poll (link state 3) and
// the resynchronise exchange that opens every operation (link state 5).
#include "link/family_handler.h"

namespace phondeck {

class StatusPollFamily final : public FamilyHandler {
 public:
  void send_phase(OperationEngine& engine) override;
  // Type 0x04: data byte 5 is the signal level, data byte 8 the battery level.
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
};

class ResynchroniseFamily final : public FamilyHandler {
 public:
  // Step 1 opens an operation. Step 2 runs between two steps of one after a
  // step was sent afresh: the handset answers in order, so once it has
  // answered this request every late answer to the earlier one is in; those
  // are acknowledged and dropped.
  static constexpr int kStepOpen = 1;
  static constexpr int kStepFlush = 2;

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
};

}  // namespace phondeck
