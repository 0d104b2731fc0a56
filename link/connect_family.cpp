#include "link/connect_family.h"

#include <array>

#include "app/configuration.h"
#include "link/clock.h"
#include "link/message_types.h"
#include "link/model_table.h"
#include "link/operation_engine.h"
#include "link/phonebook_family.h"
#include "link/port.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kTypeIdentify = kMsgIdentify;
constexpr int kTextConnected = 3001;

void wake_and_identify(OperationEngine& engine) {
  FrameLayer& frames = engine.frames();
  LinkPort& port = frames.port();
  port.set_dtr(true);
  port.set_rts(true);
  frames.clock().sleep_ms(ConnectFamily::kWakeMs);
  if (frames.on_cable()) {
    port.set_bit_rate(115200);
    frames.sync_burst(config().CableOption);
  } else {
    // The adapter listens at 9600 until it has heard the wake-up bytes.
    port.set_bit_rate(9600);
    std::array<std::uint8_t, ConnectFamily::kInfraredWakeBytes> wake;
    wake.fill(0x55);
    frames.send_raw(wake.data(), wake.size());
    port.set_bit_rate(115200);
  }
  const std::array<std::uint8_t, 12> identify{frames.frame_id(), 0x00, 0x0C, kTypeIdentify, 0x00, 0x06,
                                              0x00, 0x01, 0x00, 0x10, 0x01, ConnectFamily::kIdentifySequence};
  frames.send_message(identify.data(), identify.size(), 1);
}

}  // namespace

void ConnectFamily::send_phase(OperationEngine& engine) {
  switch (engine.step()) {
    case kStepIdentify:
      // Also reached when the identification went unanswered: the port is
      // open by then. A noisy line loses a request and its retransmissions
      // now and then, so the handset is woken and asked again a few times
      // before the attempt ends with a link reset (and with AutoReconnect
      // perhaps another attempt). A port that cannot be opened has said why;
      // trying again at once would only say it again.
      switch (engine.open_port_if_closed()) {
        case PortOpening::OpenedNow:
          identify_retries_ = 0;
          break;
        case PortOpening::AlreadyOpen:
          if (identify_retries_ >= kIdentifyRetries) {
            engine.link_lost();
            return;
          }
          ++identify_retries_;
          engine.restart_time_out();
          break;
        case PortOpening::Failed:
          engine.reset();
          return;
      }
      wake_and_identify(engine);
      return;
    case kStepMemoryStatus:
      engine.frames().clock().sleep_ms(kPauseMs);
      engine.push(LinkState::Connecting, kStepStatusPoll);
      start_memory_status(engine);
      return;
    case kStepStatusPoll:
      engine.frames().clock().sleep_ms(kPauseMs);
      engine.push(LinkState::Connecting, kStepDone);
      engine.start_status_poll(0);
      return;
    case kStepDone:
      if (engine.depth() == 0) engine.status_text_id(kTextConnected);
      engine.set_end();
      engine.step_end();
      return;
    default:
      return;
  }
}

void ConnectFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (engine.step() != kStepIdentify || frame.type() != kTypeIdentify) return;
  store_identification(engine.info(), frame.data(), frame.data_length());
  engine.set_step(kStepMemoryStatus);
  engine.frames().acknowledge(kTypeIdentify);
}

}  // namespace phondeck
