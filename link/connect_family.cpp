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

// The pause before a later step is only needed while the handset has not
// answered the step before.
void pause_unless_answered(OperationEngine& engine) {
  if (!engine.frames().flags().exchange_done()) engine.frames().clock().sleep_ms(ConnectFamily::kPauseMs);
}

}  // namespace

void ConnectFamily::link_reset() {
  identify_retries_ = 0;
  powered_at_ms_ = 0;
}

void ConnectFamily::wake_and_identify(OperationEngine& engine) {
  FrameLayer& frames = engine.frames();
  LinkPort& port = frames.port();
  if (frames.on_cable()) {
    port.set_bit_rate(115200);
    frames.sync_burst(config().CableOption);
  } else {
    // The adapter listens at 9600 until it has heard the wake-up bytes.
    port.set_bit_rate(9600);
    std::array<std::uint8_t, kInfraredWakeBytes> wake;
    wake.fill(0x55);
    frames.send_raw(wake.data(), wake.size());
    port.set_bit_rate(115200);
  }
  const std::array<std::uint8_t, 12> identify{frames.frame_id(), 0x00, 0x0C, kTypeIdentify, 0x00, 0x06,
                                              0x00, 0x01, 0x00, 0x10, 0x01, kIdentifySequence};
  frames.send_message(identify.data(), identify.size(), 1);
  // A cable still powering up may not have heard it: again shortly, until
  // the power-up time is over.
  if (frames.clock().now_ms() - powered_at_ms_ < kWakeMs) engine.wait_briefly(kWakeAgainMs);
}

void ConnectFamily::wait_over(OperationEngine& engine) {
  if (engine.step_as<Step>() != Step::Identify) return;
  const LinkFlags& flags = engine.frames().flags();
  // Once the handset has made itself heard it answers this request; a second
  // wake-up would start its session over and bring a second answer.
  if (flags.heard != 0 || flags.ack_received != 0 || flags.reply_count != 0) return;
  wake_and_identify(engine);
}

void ConnectFamily::send_phase(OperationEngine& engine) {
  switch (engine.step_as<Step>()) {
    case Step::Identify:
      // Also reached when the identification went unanswered: the port is
      // open by then. A noisy line loses a request and its retransmissions
      // now and then, so the handset is woken and asked again a few times
      // before the attempt ends with a link reset (and with AutoReconnect
      // perhaps another attempt). A port that cannot be opened has said why;
      // trying again at once would only say it again.
      switch (engine.open_port_if_closed()) {
        case PortOpening::OpenedNow:
          identify_retries_ = 0;
          powered_at_ms_ = engine.frames().clock().now_ms();
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
          engine.connect_port_failed();
          return;
      }
      engine.frames().port().set_dtr(true);
      engine.frames().port().set_rts(true);
      engine.connect_try(tries(), kAttempts);
      wake_and_identify(engine);
      return;
    case Step::MemoryStatus:
      pause_unless_answered(engine);
      engine.push(LinkState::Connecting, static_cast<int>(Step::StatusPoll));
      start_memory_status(engine);
      return;
    case Step::StatusPoll:
      pause_unless_answered(engine);
      engine.push(LinkState::Connecting, static_cast<int>(Step::Done));
      engine.start_status_poll(0);
      return;
    case Step::Done:
      if (engine.depth() == 0) engine.status_text_id(kTextConnected);
      engine.set_end();
      engine.connect_done();
      engine.step_end();
      return;
    default:
      return;
  }
}

void ConnectFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (engine.step_as<Step>() != Step::Identify || frame.type() != kTypeIdentify) return;
  store_identification(engine.info(), frame.data(), frame.data_length());
  engine.set_step(Step::MemoryStatus);
  engine.frames().acknowledge(kTypeIdentify);
}

}  // namespace phondeck
