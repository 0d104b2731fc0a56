#pragma once
// Net monitor Open (steps 71..73) and Close (81..83) of the media and
// settings family: the handset's own network monitor display on or off.
#include "link/family_handler.h"

namespace phondeck {

// Function > Net Monitor > Open (open) or Close, through the guard with
// confirmation; false when nothing started.
bool start_net_monitor(OperationEngine& engine, bool open, StartOptions options = {});

class NetMonitorFamily final : public FamilyHandler {
 public:
  static constexpr int kStepOpen = 71;
  static constexpr int kStepClose = 81;
  static constexpr int kFirstStep = 71;
  static constexpr int kLastStep = 83;

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
};

}  // namespace phondeck
