#include "link/net_monitor_family.h"

#include <array>

#include "link/message_types.h"
#include "link/operation_engine.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kTypeNetMonitor = kMsgNetMonitor;
constexpr int kTextOpenProcessing = 3046;
constexpr int kTextOpenCompleted = 3047;
constexpr int kTextCloseProcessing = 3048;
constexpr int kTextCloseCompleted = 3049;

void send_switch(OperationEngine& engine, std::uint8_t a, std::uint8_t b) {
  const std::array<std::uint8_t, 4> payload{0x00, 0x01, a, b};
  engine.frames().send_request(kTypeNetMonitor, payload, 1);
}

}  // namespace

bool start_net_monitor(OperationEngine& engine, bool open, StartOptions options) {
  Operation monitor;
  monitor.family = LinkState::Media;
  monitor.step = open ? NetMonitorFamily::kStepOpen : NetMonitorFamily::kStepClose;
  return engine.guard_with_confirmation(monitor.with(std::move(options)));
}

void NetMonitorFamily::send_phase(OperationEngine& engine) {
  const int step = engine.step();
  const bool open = step < kStepClose;
  switch (step - (open ? kStepOpen : kStepClose)) {
    case 0:
      engine.push(engine.state(), step + 1);
      engine.start_resynchronise();
      return;
    case 1:
      engine.status_text_id(open ? kTextOpenProcessing : kTextCloseProcessing);
      send_switch(engine, 0x64, 0x01);  // enable
      return;
    case 2:
      send_switch(engine, 0x7E, open ? 0xF3 : 0xF1);
      return;
    default:
      return;
  }
}

void NetMonitorFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.type() != kTypeNetMonitor) return;
  const int step = engine.step();
  const bool open = step < kStepClose;
  switch (step - (open ? kStepOpen : kStepClose)) {
    case 1:
      engine.set_step(step + 1);
      engine.frames().acknowledge(kTypeNetMonitor);
      return;
    case 2:
      if (open) engine.set_step(step + 1);
      engine.frames().acknowledge(kTypeNetMonitor);
      engine.status_text_id(open ? kTextOpenCompleted : kTextCloseCompleted);
      engine.set_end();
      return;
    default:
      return;
  }
}

}  // namespace phondeck
