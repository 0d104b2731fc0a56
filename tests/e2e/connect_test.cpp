// Connecting to every model, the information the link learns, the wake-ups
// of cable and infrared, and the failed connect.
#include <gtest/gtest.h>

#include "e2e_rig.h"
#include "link/connect_family.h"
#include "link/connect_report.h"
#include "link/information_dialogs.h"
#include "sim/models.h"

namespace phondeck::e2e {
namespace {

class Connect : public ::testing::Test {
 protected:
  void SetUp() override { fresh_settings(); }
};

TEST_F(Connect, IdentifiesEveryModelAndReadsItsMemoryStatus) {
  for (const sim::ModelInfo& model : sim::all_models()) {
    SCOPED_TRACE(model.model);
    Rig rig(model.model);
    // Before any connect every Hardware field says "Unknown".
    for (const std::string& text : hardware_information(rig.engine().info()).edit) EXPECT_EQ(text, "Unknown");
    ASSERT_TRUE(rig.connect());
    const HandsetInfo& info = rig.engine().info();
    EXPECT_EQ(info.imei, rig.handset.state().imei);
    EXPECT_EQ(info.manufacturer, "Nokia");
    EXPECT_EQ(info.model, model.model);
    EXPECT_EQ(info.frequency, model.frequency);
    EXPECT_EQ(info.name_length_limit, model.name_limit);
    EXPECT_EQ(info.type_designation, model.type_designation);
    EXPECT_EQ(info.assembled_in, "Finland");
    EXPECT_EQ(info.hardware_version, rig.handset.state().hardware_version);
    EXPECT_EQ(info.firmware_version, rig.handset.state().firmware_version);
    // The status poll ran as the connect's last exchange.
    EXPECT_EQ(info.battery, rig.handset.state().battery);
    EXPECT_EQ(info.signal, rig.handset.state().signal);
    EXPECT_EQ(rig.observer.last_status(), "Connected");

    const MemoryTable& memory = rig.engine().memory();
    EXPECT_EQ(memory[1].used, rig.handset.state().sim.used());
    EXPECT_EQ(memory[1].capacity, rig.handset.state().sim.capacity);
    if (model.phone_memory) {
      EXPECT_EQ(memory[0].used, rig.handset.state().phone.used());
      EXPECT_EQ(memory[0].capacity, rig.handset.state().phone.capacity);
      EXPECT_EQ(phone_book_requests(rig.line->writes, 0x07, 0x02), 1);
    } else {
      // Only the SIM is asked about; the phone memory counts as absent.
      EXPECT_EQ(phone_book_requests(rig.line->writes, 0x07, 0x02), 0);
      EXPECT_EQ(memory[0].capacity, 0);
    }
    EXPECT_EQ(rig.handset.stats().unhandled, 0);
    EXPECT_TRUE(rig.prompt.messages.empty());

    // Reset clears every text: the dialog says "Unknown" again.
    rig.commands->reset_link();
    EXPECT_EQ(rig.observer.last_status(), "Disconnected");
    EXPECT_EQ(hardware_information(rig.engine().info()).edit[3], "Unknown");
  }
}

TEST_F(Connect, CableSendsTheBurstAndIdentifiesAt115200) {
  Rig rig;
  ASSERT_TRUE(rig.connect());
  ASSERT_FALSE(rig.line->writes.empty());
  for (const LineWrite& w : rig.line->writes) EXPECT_EQ(w.rate, 115200);
  const auto frames = pc_frames(rig.line->writes);
  ASSERT_FALSE(frames.empty());
  // The identification request carries its fixed sequence byte.
  EXPECT_EQ(frames[0].type, 0x64);
  EXPECT_EQ(frames[0].data, (Bytes{0x00, 0x01, 0x00, 0x10, 0x01, 0x60}));
  EXPECT_TRUE(rig.line->pipe().dtr());
}

TEST_F(Connect, InfraredWakesAt9600ThenTalksAt115200) {
  fresh_settings(1, 0);
  sim::HandsetOptions options;
  options.frame_id = sim::kInfraredFrameId;
  Rig rig(demo_state("6150"), options);
  ASSERT_TRUE(rig.connect());
  ASSERT_GE(rig.line->writes.size(), 17u);
  std::size_t wake_bytes = 0;
  std::size_t i = 0;
  for (; i < rig.line->writes.size() && rig.line->writes[i].rate == 9600; ++i) {
    for (std::uint8_t b : rig.line->writes[i].bytes) EXPECT_EQ(b, 0x55);
    wake_bytes += rig.line->writes[i].bytes.size();
  }
  EXPECT_EQ(wake_bytes, 128u);
  for (; i < rig.line->writes.size(); ++i) EXPECT_EQ(rig.line->writes[i].rate, 115200);
  const auto frames = pc_frames(rig.line->writes, 0x1C);
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames[0].type, 0x64);
  EXPECT_EQ(rig.engine().info().model, "6150");
  EXPECT_EQ(rig.engine().info().name_length_limit, 20);
}

// What the connect told its listener.
struct ConnectRecorder final : ConnectListener {
  void connect_progress(int, int, const std::string& text) override { progress.push_back(text); }
  void connect_ended(const ConnectOutcome& outcome) override { ends.push_back(outcome); }
  std::vector<std::string> progress;
  std::vector<ConnectOutcome> ends;
};

// A silent handset, on either media, with AutoReconnect off and on: each
// wake-up is told as it goes out (the first again and again while a cable
// may still be powering up), the status never reads "Disconnected" while
// the attempt runs, and after the fourth try (each about 8 s) the port
// closes and the end names the port, the media and the causes.
TEST_F(Connect, UnansweredConnectTellsEachWakeUpThenWhy) {
  struct Case {
    int type;  // 1 cable, 0 infrared
    int reconnect;
    int identifications;  // the first try's repeats within the power-up time, then 3 a try
  };
  for (const Case c : {Case{1, 0, 5 + 2 + 3 * 3}, Case{1, 1, 5 + 2 + 3 * 3}, Case{0, 0, 3 + 2 + 3 * 3},
                       Case{0, 1, 3 + 2 + 3 * 3}}) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << " reconnect " << c.reconnect);
    fresh_settings(1, c.type);
    config().AutoReconnect = c.reconnect;
    sim::FaultOptions faults;
    faults.silent_at_ms = 0;
    sim::HandsetOptions options;
    if (c.type == 0) options.frame_id = sim::kInfraredFrameId;
    Rig rig(demo_state("6110"), options, faults);
    ConnectRecorder told;
    rig.engine().set_connect_listener(&told);
    const std::size_t before = rig.observer.statuses.size();
    rig.commands->connect();
    const std::int64_t started = rig.loop.now_ms();
    ASSERT_TRUE(rig.run_until_settled(60000));
    EXPECT_EQ(rig.state(), LinkState::Disconnected);
    const std::int64_t took = rig.loop.now_ms() - started;
    EXPECT_GE(took, 4 * 8000);
    EXPECT_LE(took, 4 * 8000 + 1000);

    const std::vector<std::string> waking{"Waking the handset (1 of 4)", "Waking the handset (2 of 4)",
                                          "Waking the handset (3 of 4)", "Waking the handset (4 of 4)"};
    EXPECT_EQ(told.progress, waking);
    const std::vector<std::string> statuses(rig.observer.statuses.begin() + static_cast<long>(before),
                                            rig.observer.statuses.end());
    // The connect's own reset first; then the wake-ups until the end.
    std::vector<std::string> expected{"Disconnected"};
    expected.insert(expected.end(), waking.begin(), waking.end());
    expected.push_back("Disconnected");
    EXPECT_EQ(statuses, expected);

    ASSERT_EQ(told.ends.size(), 1u);
    const ConnectOutcome& end = told.ends[0];
    EXPECT_EQ(end.end, ConnectEnd::NoAnswer);
    EXPECT_EQ(end.tries, 4);
    EXPECT_EQ(end.cable, c.type == 1);
    const std::string text = no_answer_text(end);
    const std::string media = c.type == 1 ? "cable" : "infrared";
    EXPECT_EQ(text.rfind("No handset answered on the port (" + media + ") after 4 wake-ups.", 0), 0u) << text;
    EXPECT_NE(text.find("3. The media: " + media + " is chosen"), std::string::npos);

    int identifications = 0;
    for (const PcFrame& f : pc_frames(rig.line->writes, c.type == 1 ? 0x1E : 0x1C)) identifications += f.type == 0x64;
    EXPECT_EQ(identifications, c.identifications);
    EXPECT_EQ(rig.line->pipe().opens(), 1);
    EXPECT_FALSE(rig.line->is_open());
    EXPECT_EQ(rig.engine().info().imei, "");
    EXPECT_TRUE(rig.prompt.messages.empty());
  }
}

// A cable that powers up for 500 ms after DTR rises hears nothing meanwhile;
// the wake-up that goes out again within that time still reaches it on the
// first try. Cancel stops an attempt at once and closes the port.
TEST_F(Connect, PowerUpDeafHandsetConnectsAndCancelStopsAnAttempt) {
  for (const int type : {1, 0}) {
    SCOPED_TRACE(type);
    fresh_settings(1, type);
    sim::HandsetOptions options;
    options.deaf_after_dtr_ms = ConnectFamily::kWakeMs;
    if (type == 0) options.frame_id = sim::kInfraredFrameId;
    Rig rig(demo_state("6110"), options);
    ConnectRecorder told;
    rig.engine().set_connect_listener(&told);
    ASSERT_TRUE(rig.connect());
    EXPECT_EQ(told.progress, std::vector<std::string>{"Waking the handset (1 of 4)"});
    ASSERT_EQ(told.ends.size(), 1u);
    EXPECT_EQ(told.ends[0].end, ConnectEnd::Connected);
    EXPECT_EQ(rig.engine().info().model, "6110");
    EXPECT_GT(rig.handset.stats().deaf, 0);  // the first wake-ups went unheard
  }

  sim::FaultOptions faults;
  faults.silent_at_ms = 0;
  fresh_settings();
  Rig rig(demo_state("6110"), {}, faults);
  ConnectRecorder told;
  rig.engine().set_connect_listener(&told);
  EXPECT_FALSE(rig.engine().cancel_connect());  // none runs
  rig.commands->connect();
  rig.loop.run_for(9000);  // into the second try
  ASSERT_EQ(rig.state(), LinkState::Connecting);
  EXPECT_TRUE(rig.engine().cancel_connect());
  EXPECT_EQ(rig.state(), LinkState::Disconnected);
  EXPECT_FALSE(rig.line->is_open());
  EXPECT_EQ(rig.observer.last_status(), "Connecting stopped");
  ASSERT_EQ(told.ends.size(), 1u);
  EXPECT_EQ(told.ends[0].end, ConnectEnd::Cancelled);
  EXPECT_EQ(told.ends[0].tries, 2);
  const std::size_t writes = rig.line->writes.size();
  rig.loop.run_for(20000);  // nothing more goes out
  EXPECT_EQ(rig.line->writes.size(), writes);
  EXPECT_EQ(told.ends.size(), 1u);
}

// The device fails under the link (EIO, unplugged) in the middle of a read:
// "the device is gone" at once, what was read stays, and nothing is tried
// again, AutoReconnect or not.
TEST_F(Connect, DeviceGoneMidReadEndsTheLinkAtOnce) {
  for (const int reconnect : {0, 1}) {
    SCOPED_TRACE(reconnect);
    fresh_settings();
    config().AutoReconnect = reconnect;
    Rig rig(filled_6110());
    ASSERT_TRUE(rig.connect());
    rig.commands->read_phone_book();
    ASSERT_TRUE(rig.loop.run_until([&] { return rig.list().size() >= 5; }, 60000));
    rig.loop.post(kMsgDeviceGone, 5);
    const std::int64_t posted = rig.loop.now_ms();
    ASSERT_TRUE(rig.run_until_settled(60000));
    EXPECT_LE(rig.loop.now_ms() - posted, 1);
    EXPECT_EQ(rig.state(), LinkState::Disconnected);
    EXPECT_FALSE(rig.line->is_open());
    ASSERT_EQ(rig.prompt.messages.size(), 1u);
    EXPECT_EQ(rig.prompt.messages[0],
              "The device is gone (unplugged, or its adapter failed). Plug it in again, then Connect.");
    EXPECT_GE(rig.list().size(), 5u);
    const int opens = rig.line->pipe().opens();
    rig.loop.run_for(60000);
    EXPECT_EQ(rig.line->pipe().opens(), opens);
  }
}

TEST_F(Connect, ConnectWhileConnectedSaysConnecting) {
  Rig rig;
  ASSERT_TRUE(rig.connect());
  rig.commands->connect();
  ASSERT_EQ(rig.prompt.messages.size(), 1u);
  EXPECT_EQ(rig.prompt.messages[0], "Connecting...");
  EXPECT_EQ(rig.state(), LinkState::Idle);
}

TEST_F(Connect, ReconnectsAfterAResetAndReadsAgain) {
  Rig rig;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(rig.connect());
    rig.run([&] { rig.commands->read_phone_book(); });
    EXPECT_EQ(rig.observer.last_status(), "Read PhoneBook (Completed)");
    rig.commands->reset_link();
    EXPECT_FALSE(rig.line->is_open());
  }
  const int per_read = rig.handset.state().phone.used() + rig.handset.state().sim.used();
  EXPECT_EQ(static_cast<int>(rig.list().size()), 3 * per_read);
}

TEST_F(Connect, NetworkDetailsReachTheOperatorFields) {
  Rig rig;
  ASSERT_TRUE(rig.connect());
  rig.handset.state().mcc = 262;
  rig.handset.state().mnc = 7;
  rig.handset.send_network_details();
  rig.loop.run_for(500);
  EXPECT_EQ(rig.engine().info().mcc, 262);
  EXPECT_EQ(rig.engine().info().mnc, 7);
  OperatorInformation op;
  op.network_details(rig.observer.mcc, rig.observer.mnc);
  EXPECT_EQ(op.mcc, "262");
  EXPECT_EQ(op.mnc, "7");
}

}  // namespace
}  // namespace phondeck::e2e
