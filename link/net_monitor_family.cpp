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
  monitor.step = static_cast<int>(open ? NetMonitorFamily::Step::Open : NetMonitorFamily::Step::Close);
  return engine.guard_with_confirmation(monitor.with(std::move(options)));
}

void NetMonitorFamily::send_phase(OperationEngine& engine) {
  switch (engine.step_as<Step>()) {
    case Step::Open:
      engine.open_exchange(Step::OpenEnable);
      return;
    case Step::Close:
      engine.open_exchange(Step::CloseEnable);
      return;
    case Step::OpenEnable:
    case Step::CloseEnable:
      engine.status_text_id(engine.step_as<Step>() == Step::OpenEnable ? kTextOpenProcessing : kTextCloseProcessing);
      send_switch(engine, 0x64, 0x01);  // enable
      return;
    case Step::OpenSwitch:
    case Step::CloseSwitch:
      send_switch(engine, 0x7E, engine.step_as<Step>() == Step::OpenSwitch ? 0xF3 : 0xF1);
      return;
    default:
      return;
  }
}

void NetMonitorFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.type() != kTypeNetMonitor) return;
  switch (engine.step_as<Step>()) {
    case Step::OpenEnable:
      engine.set_step(Step::OpenSwitch);
      engine.frames().acknowledge(kTypeNetMonitor);
      return;
    case Step::CloseEnable:
      engine.set_step(Step::CloseSwitch);
      engine.frames().acknowledge(kTypeNetMonitor);
      return;
    case Step::OpenSwitch:
    case Step::CloseSwitch: {
      const bool open = engine.step_as<Step>() == Step::OpenSwitch;
      engine.frames().acknowledge(kTypeNetMonitor);
      engine.finish(open ? kTextOpenCompleted : kTextCloseCompleted);
      return;
    }
    default:
      return;
  }
}

}  // namespace phondeck
