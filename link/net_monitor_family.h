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
  enum class Step : int {
    Open = 71,
    OpenEnable = 72,  // the monitor's functions enabled
    OpenSwitch = 73,  // the display switched on
    Close = 81,
    CloseEnable = 82,
    CloseSwitch = 83,  // the display switched off
  };
  // The router's range.
  static constexpr int kFirstStep = static_cast<int>(Step::Open);
  static constexpr int kLastStep = static_cast<int>(Step::CloseSwitch);

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
};

}  // namespace phondeck
