// Connecting to every model, the information the link learns, the wake-ups
// of cable and infrared, and the failed connect.
#include <gtest/gtest.h>

#include "e2e_rig.h"
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

// Each try wakes the handset and asks three times (about 8 s); the fourth
// unanswered try ends the connect. AutoReconnect starts over only a connect
// the handset answered.
TEST_F(Connect, SilentHandsetIsWokenFourTimesThenDisconnected) {
  for (const int reconnect : {0, 1}) {
    SCOPED_TRACE(reconnect);
    config().AutoReconnect = reconnect;
    sim::FaultOptions faults;
    faults.silent_at_ms = 0;
    Rig rig(demo_state("6110"), {}, faults);
    rig.commands->connect();
    const std::int64_t started = rig.loop.now_ms();
    ASSERT_TRUE(rig.run_until_settled(60000));
    EXPECT_EQ(rig.state(), LinkState::Disconnected);
    const std::int64_t took = rig.loop.now_ms() - started;
    EXPECT_GE(took, 4 * 8000);
    EXPECT_LE(took, 4 * 9000);
    int identifications = 0;
    for (const PcFrame& f : pc_frames(rig.line->writes)) identifications += f.type == 0x64;
    EXPECT_EQ(identifications, 4 * 3);
    EXPECT_EQ(rig.line->pipe().opens(), 1);
    EXPECT_EQ(rig.observer.last_status(), "Disconnected");
    EXPECT_FALSE(rig.line->is_open());
    EXPECT_EQ(rig.engine().info().imei, "");
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
