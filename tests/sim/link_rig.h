#pragma once
// The PC's session wired to a virtual handset, and two small families to
// drive it: just enough of the connect operation to bring the link up (open,
// wake, identify), which stands in for the session's own unless a test asks
// for the real one, and an operation that, like every feature operation,
// opens with the resynchronise exchange.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/configuration.h"
#include "app/text_table.h"
#include "link/family_handler.h"
#include "link/family_registration.h"
#include "link/link_observer.h"
#include "link/operation_engine.h"
#include "serial/test_support.h"
#include "support/recording_observer.h"
#include "support/session_wiring.h"
#include "sim/handset.h"
#include "sim/pipe_link.h"
#include "sim/virtual_time.h"
#include "session/handset_session.h"

namespace phondeck::sim::testing {

class RigConnectFamily final : public FamilyHandler {
 public:
  void send_phase(OperationEngine& engine) override {
    FrameLayer& frames = engine.frames();
    LinkPort& port = frames.port();
    if (engine.step() == 1) {
      if (engine.open_port_if_closed() != PortOpening::OpenedNow) {
        engine.reset();
        return;
      }
      port.set_dtr(true);
      port.set_rts(true);
      frames.clock().sleep_ms(500);
      if (frames.on_cable()) {
        port.set_bit_rate(115200);
        frames.sync_burst(config().CableOption);
      } else {
        const std::vector<std::uint8_t> wake(128, 0x55);
        port.set_bit_rate(9600);
        frames.send_raw(wake.data(), wake.size());
        port.set_bit_rate(115200);
      }
      const std::uint8_t identify[12] = {frames.frame_id(), 0x00, 0x0C, 0x64, 0x00, 0x06,
                                         0x00, 0x01, 0x00, 0x10, 0x01, 0x60};
      frames.send_message(identify, sizeof identify, 1);
      return;
    }
    engine.set_end();
    engine.step_end();
  }
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override {
    if (engine.step() != 1 || frame.type() != 0x64 || frame.data_length() < 24) return;
    engine.info().imei.assign(reinterpret_cast<const char*>(frame.data()) + 9, 15);
    engine.set_step(3);
    engine.frames().acknowledge(0x64);
  }
};

// Family 7 as a stand-in feature operation: step 11 resynchronises, step 12 ends.
class RigOperationFamily final : public FamilyHandler {
 public:
  void send_phase(OperationEngine& engine) override {
    if (engine.step() == 11) {
      engine.push(LinkState::Messages, 12);
      engine.start_resynchronise();
      return;
    }
    ++completed;
    engine.set_end();
    engine.step_end();
  }
  void reply_phase(OperationEngine&, const LinkFrame&) override {}
  int completed = 0;
};

inline Operation rig_operation() { return Operation{LinkState::Messages, 11, std::nullopt, false, {}, std::nullopt}; }

using ::phondeck::testing::RecordingObserver;

// Everything on virtual time: the loop, the handset, the pipe and the session.
struct VirtualRig {
  // real_connect: the session's own connect instead of the short one.
  explicit VirtualRig(HandsetOptions options = {}, FaultOptions faults = {}, const char* model = "6110",
                      bool real_connect = false)
      : handset(loop.clock(), HandsetState::demo(*find_model(model)), options, faults),
        timer(loop),
        session(pipe_port(), timer, loop.clock(), prompt, observer),
        operation_in(session.engine(), LinkState::Messages, operation) {
    if (!real_connect) connect_in.emplace(session.engine(), LinkState::Connecting, connect_family);
    ::phondeck::testing::wire_session(loop, timer, session);
  }

  std::unique_ptr<LinkPort> pipe_port() {
    texts().load_english();
    auto port = std::make_unique<PipeLink>(loop, handset, &loop, &prompt);
    pipe = port.get();
    return port;
  }
  OperationEngine& engine() { return session.engine(); }
  LinkState state() { return session.state(); }
  bool settled() { return session.settled(); }
  // Connect and wait (link time) until the link is Idle or back to Disconnected.
  bool connect(std::int64_t max_ms = 12000) {
    link->Connect1Click();
    return loop.run_until([this] { return settled(); }, max_ms) && state() == LinkState::Idle;
  }

  VirtualLoop loop;
  Handset handset;
  VirtualTimer timer;
  ::phondeck::testing::RecordingPrompt prompt;
  RecordingObserver observer;
  RigConnectFamily connect_family;
  RigOperationFamily operation;
  PipeLink* pipe = nullptr;
  HandsetSession session;
  PhoneLink* link = &session.link();
  FamilyRegistration operation_in;
  std::optional<FamilyRegistration> connect_in;
};

}  // namespace phondeck::sim::testing
