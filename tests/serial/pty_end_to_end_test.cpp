// The whole PC side — serial port with its reader thread, frame layer and
// engine — against the virtual handset behind a pseudo-terminal. Link time
// runs faster than real time so the ten-second rules take a fraction of a
// second.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <ostream>

#include "link/family_registration.h"
#include "link/serial_port.h"
#include "sim/link_rig.h"
#include "sim/pty_handset.h"
#include "sim/realtime_loop.h"
#include "test_support.h"

namespace phondeck::sim {
namespace {

using testing::RecordingObserver;
using testing::RigConnectFamily;
using testing::RigOperationFamily;
using testing::rig_operation;

// Ten seconds of link time, plus what a busy machine's scheduling may add
// at these clock rates (the exact bound is checked on virtual time).
constexpr std::int64_t kLateMs = 12500;

struct PtyRig {
  PtyRig(double scale, HandsetOptions options = {}, FaultOptions faults = {}, bool pacing = false)
      : clock(scale),
        loop(clock),
        handset(clock, HandsetState::demo(*find_model("8210")), options, faults, pacing),
        timer(loop) {
    saved = config();
    texts().load_english();
    std::string error;
    started = handset.start(error);
    config().Device = handset.path();
    auto serial = std::make_unique<SerialPort>(prompt, loop);
    serial->set_port(1);
    port = serial.get();
    session = std::make_unique<HandsetSession>(std::move(serial), timer, clock, prompt, observer);
    link = &session->link();
    connect_in.emplace(session->engine(), LinkState::Connecting, connect_family);
    operation_in.emplace(session->engine(), LinkState::Messages, operation);
    ::phondeck::testing::wire_session(loop, timer, *session);
  }
  ~PtyRig() {
    connect_in.reset();
    operation_in.reset();
    session.reset();  // closes the port and joins its reader
    handset.stop();
    config() = saved;
  }

  LinkState state() { return link->engine().state(); }
  bool settled() { return state() == LinkState::Idle || state() == LinkState::Disconnected; }
  bool connect() {
    link->Connect1Click();
    return loop.run_until([this] { return settled(); }, 12000) && state() == LinkState::Idle;
  }
  // Runs one operation; true when it completed, false on a link reset.
  bool operate(std::int64_t& took_ms) {
    EXPECT_EQ(link->engine().guard_without_confirmation(rig_operation()), 1);
    const std::int64_t start = clock.now_ms();
    EXPECT_TRUE(loop.run_until([this] { return settled(); }, 15000));
    took_ms = clock.now_ms() - start;
    return state() == LinkState::Idle;
  }

  Configuration saved;
  ScaledClock clock;
  RealtimeLoop loop;
  PtyHandset handset;
  LoopTimer timer;
  ::phondeck::testing::RecordingPrompt prompt;
  RecordingObserver observer;
  RigConnectFamily connect_family;
  RigOperationFamily operation;
  SerialPort* port = nullptr;
  std::unique_ptr<HandsetSession> session;
  PhoneLink* link = nullptr;
  std::optional<FamilyRegistration> connect_in;
  std::optional<FamilyRegistration> operation_in;
  bool started = false;
};

TEST(PtyEndToEnd, ConnectStatusPollAndResynchroniseOverTheReaderThread) {
  PtyRig rig(20);
  ASSERT_TRUE(rig.started);
  ASSERT_TRUE(rig.connect());
  EXPECT_TRUE(rig.port->reader_running());
  EXPECT_EQ(rig.link->engine().info().imei, rig.handset.with_handset([](Handset& h) { return h.state().imei; }));
  EXPECT_EQ(rig.handset.line_rate(), 115200);

  rig.handset.send_network_details();
  ASSERT_TRUE(rig.loop.run_until(
      [&] { return rig.handset.with_handset([](Handset& h) { return h.stats().requests; }) == 2; }, 6000));
  ASSERT_TRUE(rig.loop.run_until([&] { return rig.state() == LinkState::Idle; }, 2000));
  EXPECT_EQ(rig.observer.mcc, 466);
  EXPECT_EQ(rig.link->engine().info().battery, 4);

  std::int64_t took = 0;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(rig.operate(took));
  EXPECT_EQ(rig.operation.completed, 3);
  EXPECT_TRUE(rig.prompt.messages().empty());
}

// Every fault kind through the real port: connect and three operations, each
// ending in Idle or in a link reset within the ten seconds, nothing hanging.
struct PtyFault {
  const char* name;
  FaultOptions faults;
  bool expect_reset;
};

void PrintTo(const PtyFault& f, std::ostream* os) { *os << f.name; }

class PtyEndToEndFaults : public ::testing::TestWithParam<PtyFault> {};

TEST_P(PtyEndToEndFaults, EveryOperationEndsInTime) {
  PtyRig rig(20, {.echo = true}, GetParam().faults);
  ASSERT_TRUE(rig.started);
  int completed = 0;
  int resets = 0;
  for (int i = 0; i < 3; ++i) {
    if (rig.state() == LinkState::Disconnected && !rig.connect()) {
      ++resets;
      continue;
    }
    std::int64_t took = 0;
    if (rig.operate(took)) {
      ++completed;
    } else {
      ++resets;
    }
    EXPECT_LE(took, kLateMs);
    rig.loop.run_until([] { return false; }, 700);
  }
  EXPECT_EQ(rig.operation.completed, completed);
  if (GetParam().expect_reset) {
    EXPECT_GT(resets, 0);
  } else {
    EXPECT_GT(completed, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PtyEndToEndFaults,
    ::testing::Values(PtyFault{"loss", {.seed = 3, .drop_in = 0.2, .drop_out = 0.2}, false},
                      PtyFault{"corrupt", {.seed = 4, .corrupt = 0.2}, false},
                      PtyFault{"duplicate", {.duplicate = 0.5}, false},
                      PtyFault{"delay", {.delay_ms = 3000}, false},
                      PtyFault{"stray_in_pieces", {.seed = 5, .stray = 0.3, .piece_max = 3}, false},
                      PtyFault{"silent_for_a_time", {.silent_at_ms = 1000, .silent_for_ms = 3000}, false},
                      PtyFault{"silent_for_good", {.silent_at_ms = 1500}, true}),
    [](const ::testing::TestParamInfo<PtyFault>& p) { return std::string(p.param.name); });

// The far end goes (EIO on the port, as an unplugged adapter gives): the
// link is told at once, not after its time-outs, and says the device is gone.
TEST(PtyEndToEnd, HangUpIsTheDeviceGoneAtOnce) {
  // Late enough for the connect to finish on a loaded machine.
  PtyRig rig(20, {}, {.hang_up_at_ms = 4000});
  ASSERT_TRUE(rig.started);
  ASSERT_TRUE(rig.connect());
  ASSERT_TRUE(rig.loop.run_until([&] { return rig.handset.hung_up(); }, 6000));
  const std::int64_t gone = rig.clock.now_ms();
  ASSERT_TRUE(rig.loop.run_until([&] { return rig.state() == LinkState::Disconnected; }, 4000));
  EXPECT_LT(rig.clock.now_ms() - gone, 4000);  // the time-outs would take 10 s
  EXPECT_FALSE(rig.port->is_open());
  ASSERT_EQ(rig.prompt.messages().size(), 1u);
  EXPECT_EQ(rig.prompt.messages()[0], "The device " + rig.handset.path() +
                                          " is gone (unplugged, or its adapter failed). Plug it in again, then Connect.");
  // Connecting again fails with the port's message.
  EXPECT_FALSE(rig.connect());
  ASSERT_EQ(rig.prompt.messages().size(), 2u);
  EXPECT_EQ(rig.prompt.messages()[1].rfind("ERROR: Serial 10 (", 0), 0u);
}

// Wake-up burst and status request from the PC at 9600 bit/s: 78 bytes in,
// then the acknowledgement and the reply, 30 bytes out. Paced, that is about
// 112 ms on the wire; unpaced, a pseudo-terminal moves it at once.
std::int64_t exchange_ms(bool pacing) {
  SystemClock clock;
  PtyHandset handset(clock, HandsetState::demo(*find_model("6110")), {}, {}, pacing);
  std::string error;
  EXPECT_TRUE(handset.start(error)) << error;
  const Configuration saved = config();
  config().Device = handset.path();
  ::phondeck::testing::RecordingPrompt prompt;
  RealtimeLoop loop(clock);
  SerialPort port(prompt, loop);
  EXPECT_EQ(port.open(), 0);
  std::vector<std::uint8_t> out(64, 0x55);
  const std::vector<std::uint8_t> request{0x1E, 0x00, 0x0C, 0x04, 0x00, 0x06, 0x00,
                                          0x01, 0x00, 0x01, 0x01, 0x42, 0x13, 0x40};
  out.insert(out.end(), request.begin(), request.end());
  const auto start = std::chrono::steady_clock::now();
  port.write(out.data(), out.size());
  std::size_t received = 0;
  int message = 0;
  std::uint32_t count = 0;
  std::uint8_t sink[64];
  while (received < 30 && loop.wait_message(message, count, 2000)) {
    received += port.take_received(sink, count);
  }
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(received, 30u);
  port.close();
  handset.stop();
  config() = saved;
  return std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
}

TEST(PtyEndToEnd, PacingHoldsBothDirectionsToTheWireRate) {
  const std::int64_t paced = exchange_ms(true);
  EXPECT_GE(paced, 105);
  EXPECT_LT(paced, 600);
  EXPECT_LT(exchange_ms(false), paced);
}

}  // namespace
}  // namespace phondeck::sim
