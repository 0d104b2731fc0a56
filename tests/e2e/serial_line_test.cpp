// The real path: the serial port on a pseudo-terminal with its reader
// thread, the frame layer, the engine and the families, against the virtual
// handset serving the terminal's other side, on real (or scaled) time.
#include <gtest/gtest.h>

#include "e2e_rig.h"
#include "host/configured_port.h"
#include "link/information_dialogs.h"
#include "link/serial_port.h"
#include "platform/device_choice.h"
#include "sim/embedded_port.h"
#include "sim/realtime_loop.h"

namespace phondeck::e2e {
namespace {

struct SerialRig {
  // port: made with the loop as its message sink.
  template <typename MakePort>
  SerialRig(Clock& clock, MakePort make_port)
      : loop(clock), timer(loop), session(make_port(prompt, loop), timer, clock, prompt, observer) {
    testing::wire_session(loop, timer, session);
  }
  ~SerialRig() { session.engine().reset(); }
  LinkState state() { return session.state(); }
  bool run(std::int64_t max_ms) {
    return loop.run_until([this] { return session.settled(); }, max_ms);
  }

  sim::RealtimeLoop loop;
  sim::LoopTimer timer;
  ScriptedPrompt prompt;
  WindowObserver observer;
  HandsetSession session;
  PhoneBook& book = session.book();
  PhoneLink* link = &session.link();
  HandsetCommands* commands = &session.commands();
};

TEST(DeviceSetting, VirtualSelectsTheBuiltInHandset) {
  EXPECT_FALSE(device_choice("").virtual_handset);
  EXPECT_EQ(device_choice("/dev/ttyUSB0").path, "/dev/ttyUSB0");
  EXPECT_TRUE(device_choice("virtual").virtual_handset);
  EXPECT_EQ(device_choice("virtual").model, "6110");
  EXPECT_EQ(device_choice("virtual:8210").model, "8210");
  EXPECT_EQ(device_choice("virtual:").model, "6110");
  EXPECT_FALSE(device_choice("virtually").virtual_handset);

  fresh_settings();
  ScriptedPrompt prompt;
  SystemClock clock;
  sim::RealtimeLoop loop(clock);
  config().Device = "virtual:5110";
  auto port = make_configured_port(prompt, loop);
  auto* embedded = dynamic_cast<sim::EmbeddedHandsetPort*>(static_cast<ConfiguredPort&>(*port).current());
  ASSERT_NE(embedded, nullptr);
  EXPECT_EQ(embedded->model(), "5110");
  config().Device = "virtual:9999";
  auto fallback = make_configured_port(prompt, loop);
  EXPECT_EQ(dynamic_cast<sim::EmbeddedHandsetPort&>(*static_cast<ConfiguredPort&>(*fallback).current()).model(), "6110");
  // The Options dialog's new device takes effect at the next opening.
  config().Device = "/dev/null";
  EXPECT_NE(dynamic_cast<SerialPort*>(static_cast<ConfiguredPort&>(*make_configured_port(prompt, loop)).current()), nullptr);
  fallback->open();
  EXPECT_NE(dynamic_cast<SerialPort*>(static_cast<ConfiguredPort&>(*fallback).current()), nullptr);
  fallback->close();
}

TEST(SerialLine, EmbeddedHandsetConnectsReadsAndWrites) {
  fresh_settings();
  config().Device = "virtual";
  SystemClock clock;
  sim::EmbeddedHandsetPort* embedded = nullptr;
  SerialRig rig(clock, [&](Prompt& prompt, WindowMessageSink& sink) {
    auto port = std::make_unique<sim::EmbeddedHandsetPort>(prompt, sink, "6110");
    embedded = port.get();
    return port;
  });
  rig.commands->connect();
  ASSERT_TRUE(rig.run(5000));
  ASSERT_EQ(rig.state(), LinkState::Idle) << (rig.prompt.messages.empty() ? "" : rig.prompt.messages[0]);
  EXPECT_EQ(rig.observer.last_status(), "Connected");
  EXPECT_EQ(config().Device, "virtual");
  EXPECT_EQ(hardware_information(rig.link->engine().info()).edit[3], "6110");
  ASSERT_NE(embedded->handset(), nullptr);
  EXPECT_EQ(embedded->handset()->line_rate(), 115200);

  rig.commands->read_phone_book();
  ASSERT_TRUE(rig.run(5000));
  EXPECT_EQ(rig.observer.last_status(), "Read PhoneBook (Completed)");
  const sim::HandsetState before = embedded->handset()->with_handset([](sim::Handset& h) { return h.state(); });
  ASSERT_EQ(static_cast<int>(rig.book.active().size()), before.phone.used() + before.sim.used());
  EXPECT_EQ(rig.book.active().entry(0).Name, "Mum");

  // Clear then Write puts the first entry back at location 1 under a new name.
  rig.book.active().entry(0).Name = "Mother";
  rig.commands->clear_then_write();
  ASSERT_TRUE(rig.run(5000));
  EXPECT_EQ(rig.observer.last_status(), "Write PhoneBook (Completed)");
  sim::HandsetState expected = before;
  expected.phone.put(sim::PhoneBookSlot{1, Bytes{'M', 'o', 't', 'h', 'e', 'r'}, "+358401234567", 0});
  const sim::HandsetState after = embedded->handset()->with_handset([](sim::Handset& h) { return h.state(); });
  EXPECT_EQ(after.to_json().dump(1), expected.to_json().dump(1));

  rig.commands->net_monitor(true);
  ASSERT_TRUE(rig.run(5000));
  EXPECT_EQ(rig.observer.last_status(), "Open Net Monitor (Completed)");
}

TEST(SerialLine, InfraredWakeUpOverTheTerminal) {
  fresh_settings(1, 0);
  SystemClock clock;
  sim::EmbeddedHandsetPort* embedded = nullptr;
  SerialRig rig(clock, [&](Prompt& prompt, WindowMessageSink& sink) {
    auto port = std::make_unique<sim::EmbeddedHandsetPort>(prompt, sink, "8210");
    embedded = port.get();
    return port;
  });
  rig.commands->connect();
  ASSERT_TRUE(rig.run(5000));
  ASSERT_EQ(rig.state(), LinkState::Idle);
  EXPECT_EQ(rig.link->engine().info().model, "8210");
  EXPECT_EQ(embedded->handset()->line_rate(), 115200);
  // On real time a handset slower than the power-up resend's 100 ms is woken
  // again; it still ends in one session.
  const int wakes = embedded->handset()->with_handset([](sim::Handset& h) { return h.stats().wakes; });
  EXPECT_GE(wakes, 1);
  EXPECT_LE(wakes, 5);
}

TEST(SerialLine, ReadUnderLineFaultsNeverDuplicatesAnEntry) {
  fresh_settings();
  // Link time runs eight times faster, so the time-outs stay short.
  sim::ScaledClock clock(8.0);
  sim::FaultOptions faults;
  faults.seed = 5;
  faults.drop_in = faults.drop_out = 0.10;
  faults.corrupt = 0.05;
  faults.duplicate = 0.05;
  faults.stray = 0.10;
  sim::PtyHandset handset(clock, demo_state("6110"), {}, faults, false);
  std::string error;
  ASSERT_TRUE(handset.start(error)) << error;
  config().Device = handset.path();
  SerialRig rig(clock, [](Prompt& prompt, WindowMessageSink& sink) { return std::make_unique<SerialPort>(prompt, sink); });
  rig.commands->connect();
  ASSERT_TRUE(rig.run(40000));
  ASSERT_EQ(rig.state(), LinkState::Idle);
  rig.commands->read_phone_book();
  ASSERT_TRUE(rig.run(120000));
  const sim::HandsetState state = handset.with_handset([](sim::Handset& h) { return h.state(); });
  const PhoneBookList& list = rig.book.active();
  // Read in order: phone locations, then SIM locations, each at most once.
  std::vector<std::pair<std::string, std::string>> expected;
  for (const auto& slot : state.phone.entries) expected.emplace_back("Phone", std::to_string(slot.location));
  for (const auto& slot : state.sim.entries) expected.emplace_back("SIM", std::to_string(slot.location));
  ASSERT_LE(list.size(), expected.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list.entry(i).Type, expected[i].first) << i;
    EXPECT_EQ(list.entry(i).Pos, expected[i].second) << i;
  }
  if (rig.state() == LinkState::Idle) {
    EXPECT_EQ(list.size(), expected.size());
  } else {
    EXPECT_EQ(rig.observer.last_status(), "Disconnected");
  }
  handset.stop();
}

}  // namespace
}  // namespace phondeck::e2e
