// The PC's frame layer and engine against the virtual handset, on virtual
// time: connect, the keep-alive status poll, the resynchronise exchange, and
// every fault kind.
#include <gtest/gtest.h>

#include <ostream>

#include "link_rig.h"
#include "pc_side.h"

namespace phondeck::sim {
namespace {

using namespace testing;

TEST(EndToEnd, ConnectWakesAndIdentifiesTheHandset) {
  VirtualRig rig;
  ASSERT_TRUE(rig.connect());
  EXPECT_EQ(rig.engine().info().imei, rig.handset.state().imei);
  EXPECT_TRUE(rig.handset.awake());
  EXPECT_EQ(rig.handset.stats().wakes, 1);
  EXPECT_EQ(rig.pipe->bit_rate(), 115200);
  // The request went out once, with its fixed sequence byte.
  const auto frames = frames_in(rig.pipe->pc_sent());
  EXPECT_TRUE(frames.empty());  // PC frames are addressed to the handset
  EXPECT_EQ(rig.handset.stats().requests, 1);
  EXPECT_EQ(rig.handset.stats().retransmits, 0);
  EXPECT_EQ(rig.handset.outstanding(), 0u);
  EXPECT_TRUE(rig.prompt.messages().empty());
}

TEST(EndToEnd, StatusPollFollowsTheSecondExpiryAfterAnUnsolicitedMessage) {
  VirtualRig rig;
  ASSERT_TRUE(rig.connect());
  // Idle and quiet: the timer does not run, nothing is polled.
  rig.loop.run_for(20000);
  EXPECT_EQ(rig.handset.stats().requests, 1);
  EXPECT_EQ(rig.state(), LinkState::Idle);

  rig.handset.state().signal = 2;
  rig.handset.state().battery = 1;
  rig.handset.send_network_details();
  const std::int64_t sent = rig.loop.now_ms();
  rig.loop.run_until([&] { return rig.handset.stats().requests == 2; }, 10000);
  const std::int64_t polled = rig.loop.now_ms() - sent;
  EXPECT_GE(polled, 4000);
  EXPECT_LT(polled, 4100);
  rig.loop.run_until([&] { return rig.state() == LinkState::Idle && rig.handset.outstanding() == 0; }, 1000);
  EXPECT_EQ(rig.engine().info().signal, 2);
  EXPECT_EQ(rig.engine().info().battery, 1);
  EXPECT_EQ(rig.observer.mcc, 466);
  EXPECT_EQ(rig.observer.mnc, 1);
  EXPECT_EQ(rig.state(), LinkState::Idle);
}

TEST(EndToEnd, OperationOpensWithTheResynchroniseExchange) {
  VirtualRig rig;
  ASSERT_TRUE(rig.connect());
  const int wakes = rig.handset.stats().wakes;
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(rig.engine().guard_without_confirmation(rig_operation()), 1);
    ASSERT_TRUE(rig.loop.run_until([&] { return rig.state() == LinkState::Idle; }, 2000));
  }
  EXPECT_EQ(rig.operation.completed, 5);
  EXPECT_EQ(rig.handset.stats().wakes, wakes + 5);  // a burst before each
  EXPECT_EQ(rig.handset.stats().requests, 6);
  EXPECT_EQ(rig.handset.stats().repeats, 0);
}

TEST(EndToEnd, InfraredWakesAt9600AndTalksAt115200) {
  Configuration saved = config();
  config().Type = 0;
  {
    VirtualRig rig({.frame_id = kInfraredFrameId});
    ASSERT_TRUE(rig.connect());
    EXPECT_EQ(rig.pipe->bit_rate(), 115200);
    ASSERT_EQ(rig.engine().guard_without_confirmation(rig_operation()), 1);
    ASSERT_TRUE(rig.loop.run_until([&] { return rig.state() == LinkState::Idle; }, 2000));
    EXPECT_EQ(rig.operation.completed, 1);
  }
  config() = saved;
}

// The program's own connect: identification, the phone-book memory status of
// both memories, one status poll.
TEST(EndToEnd, FullConnectReadsMemoryStatusAndPolls) {
  VirtualRig rig({}, {}, "6110", /*real_connect=*/true);
  ASSERT_TRUE(rig.connect());
  const HandsetState& handset = rig.handset.state();
  EXPECT_EQ(rig.engine().info().imei, handset.imei);
  EXPECT_EQ(rig.engine().info().model, "6110");
  EXPECT_EQ(rig.engine().memory()[0].used, handset.phone.used());
  EXPECT_EQ(rig.engine().memory()[0].capacity, handset.phone.capacity);
  EXPECT_EQ(rig.engine().memory()[1].used, handset.sim.used());
  EXPECT_EQ(rig.engine().info().battery, handset.battery);
  EXPECT_EQ(rig.observer.statuses.back(), "Connected");
  EXPECT_EQ(rig.handset.stats().requests, 4);
  EXPECT_EQ(rig.handset.stats().unhandled, 0);
}

TEST(EndToEnd, UnsolicitedMessagesAreAcknowledgedAndLeaveTheLinkIdle) {
  VirtualRig rig;
  ASSERT_TRUE(rig.connect());
  const int acks = rig.handset.stats().acks_in;
  for (const NoticeKind& kind : unsolicited_kinds()) {
    rig.handset.send_notice(kind.type, kind.sub_type);
    rig.loop.run_for(200);
    EXPECT_EQ(rig.handset.outstanding(), 0u) << int{kind.type};
    EXPECT_EQ(rig.state(), LinkState::Idle);
  }
  EXPECT_EQ(rig.handset.stats().acks_in, acks + static_cast<int>(unsolicited_kinds().size()));
  EXPECT_EQ(rig.handset.stats().retransmits, 0);
  // 0xDA alone is acknowledged with its whole sequence byte.
  const Bytes& sent = rig.pipe->pc_sent();
  bool full = false;
  for (std::size_t i = 0; i + 7 < sent.size(); ++i) {
    if (sent[i + 3] == 0x7F && sent[i + 6] == 0xDA) full = (sent[i + 7] & 0x40) != 0;
  }
  EXPECT_TRUE(full);
  // The handset's messages restarted the timer: the poll follows.
  ASSERT_TRUE(rig.loop.run_until([&] { return rig.handset.stats().requests == 2; }, 5000));
}

int pc_frames_of_type(const Bytes& sent, std::uint8_t type) {
  int n = 0;
  for (const SeenFrame& f : pc_frames_in(sent)) n += f.type == type;
  return n;
}

TEST(EndToEnd, UnansweredConnectResetsAfterEightSeconds) {
  VirtualRig rig({}, {.silent_at_ms = 0});
  rig.link->Connect1Click();
  const std::int64_t start = rig.loop.now_ms();
  ASSERT_TRUE(rig.loop.run_until([&] { return rig.state() == LinkState::Disconnected; }, 20000));
  const std::int64_t took = rig.loop.now_ms() - start;
  EXPECT_GE(took, 8000);
  EXPECT_LE(took, 8600);
  // Sent and retransmitted twice; the fresh send finds the port open and resets.
  EXPECT_EQ(pc_frames_of_type(rig.pipe->pc_sent(), 0x64), 3);
  EXPECT_FALSE(rig.pipe->is_open());
}

TEST(EndToEnd, HandsetFallingSilentResetsTheLinkAfterTenSeconds) {
  VirtualRig rig({}, {.silent_at_ms = 2000});
  ASSERT_TRUE(rig.connect());
  rig.loop.run_for(2000);
  ASSERT_EQ(rig.engine().guard_without_confirmation(rig_operation()), 1);
  const std::int64_t start = rig.loop.now_ms();
  ASSERT_TRUE(rig.loop.run_until([&] { return rig.state() == LinkState::Disconnected; }, 20000));
  const std::int64_t took = rig.loop.now_ms() - start;
  EXPECT_GE(took, 10000);
  EXPECT_LE(took, 10100);
  // Retransmitted at about 4 s and 6 s, sent afresh at 8 s.
  EXPECT_EQ(pc_frames_of_type(rig.pipe->pc_sent(), 0x04), 4);
  EXPECT_EQ(rig.operation.completed, 0);
  EXPECT_EQ(rig.observer.statuses.back(), "Disconnected");
}

// Each fault kind, several seeds: every operation ends, in Idle or in a link
// reset, within the ten seconds a silent handset is allowed; after a reset
// the link is connected again and the run goes on.
enum class Expect { AllComplete, MostComplete, SomeResets };

struct FaultCase {
  const char* name;
  FaultOptions faults;
  Expect expect;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class EndToEndFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(EndToEndFaults, EveryExchangeCompletesOrTheLinkResetsInTime) {
  const FaultCase& c = GetParam();
  int completed = 0;
  int resets = 0;
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    FaultOptions faults = c.faults;
    faults.seed = seed;
    VirtualRig rig({.echo = seed % 2 == 0}, faults);
    int completed_here = 0;
    for (int op = 0; op < 12; ++op) {
      if (rig.state() == LinkState::Disconnected) {
        if (!rig.connect()) {
          ++resets;
          continue;
        }
      }
      ASSERT_EQ(rig.engine().guard_without_confirmation(rig_operation()), 1);
      const std::int64_t start = rig.loop.now_ms();
      ASSERT_TRUE(rig.loop.run_until([&] { return rig.settled(); }, 10600))
          << c.name << " seed " << seed << " op " << op << " stuck in state "
          << static_cast<int>(rig.state());
      EXPECT_LE(rig.loop.now_ms() - start, 10600);
      if (rig.state() == LinkState::Idle) {
        ++completed;
        ++completed_here;
      } else {
        ++resets;
      }
      rig.loop.run_for(300);
    }
    // Idle was reached only through the operation's own last step.
    EXPECT_EQ(rig.operation.completed, completed_here);
  }
  switch (c.expect) {
    case Expect::AllComplete:
      EXPECT_EQ(resets, 0);
      EXPECT_EQ(completed, 48);
      break;
    case Expect::MostComplete:  // the losses are survived nearly always
      EXPECT_GE(completed, 40);
      break;
    case Expect::SomeResets:  // the handset goes away for good
      EXPECT_GT(resets, 0);
      EXPECT_GT(completed, 0);
      break;
  }
  RecordProperty("completed", completed);
  RecordProperty("resets", resets);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EndToEndFaults,
    ::testing::Values(FaultCase{"loss", {.drop_in = 0.2, .drop_out = 0.2}, Expect::MostComplete},
                      FaultCase{"corrupt", {.corrupt = 0.2}, Expect::MostComplete},
                      FaultCase{"duplicate", {.duplicate = 0.3}, Expect::AllComplete},
                      FaultCase{"delay", {.delay_ms = 1500}, Expect::AllComplete},
                      FaultCase{"long_delay", {.delay_ms = 6000}, Expect::MostComplete},
                      FaultCase{"stray", {.stray = 0.3}, Expect::MostComplete},
                      FaultCase{"pieces", {.piece_max = 3}, Expect::AllComplete},
                      FaultCase{"silent_for_a_time", {.silent_at_ms = 3000, .silent_for_ms = 4000},
                                Expect::MostComplete},
                      FaultCase{"silent_for_good", {.silent_at_ms = 3000}, Expect::SomeResets},
                      FaultCase{"hang_up", {.hang_up_at_ms = 3000}, Expect::SomeResets},
                      FaultCase{"everything",
                                {.drop_in = 0.1, .drop_out = 0.1, .corrupt = 0.05, .duplicate = 0.1,
                                 .delay_ms = 500, .stray = 0.1, .piece_max = 4},
                                Expect::MostComplete}),
    [](const ::testing::TestParamInfo<FaultCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace phondeck::sim
