#include "link/status_families.h"

#include <array>
#include <cstdint>

#include "link/message_types.h"
#include "link/operation_engine.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kTypeStatus = kMsgStatus;
constexpr std::array<std::uint8_t, 4> kStatusRequest{0x00, 0x01, 0x00, 0x01};
constexpr std::array<std::uint8_t, 4> kSecondStatusRequest{0x00, 0x01, 0x00, 0x03};

}  // namespace

void StatusPollFamily::send_phase(OperationEngine& engine) {
  engine.frames().send_request(kTypeStatus, kStatusRequest, 1);
}

void StatusPollFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.type() != kTypeStatus) return;
  HandsetInfo& info = engine.info();
  if (frame.data(5) >= 0) info.signal = static_cast<std::uint8_t>(frame.data(5));
  if (frame.data(8) >= 0) info.battery = static_cast<std::uint8_t>(frame.data(8));
  engine.frames().acknowledge(kTypeStatus);
  engine.set_end();
}

void ResynchroniseFamily::send_phase(OperationEngine& engine) {
  engine.frames().send_request(kTypeStatus, kSecondStatusRequest, 1);
}

void ResynchroniseFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.type() != kTypeStatus) {
    if (engine.step() == kStepFlush) engine.frames().drop_reply(frame.type());
    return;
  }
  engine.frames().acknowledge(kTypeStatus);
  engine.set_end();
}

}  // namespace phondeck
