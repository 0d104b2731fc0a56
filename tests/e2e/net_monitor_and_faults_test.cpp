// The net monitor switch, and phone-book reads over a line that loses,
// corrupts, duplicates and garbles frames.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>

#include "e2e_rig.h"
#include "link/net_monitor_family.h"
#include "link/start_questions.h"

namespace phondeck::e2e {
namespace {


TEST(NetMonitor, OpenAndCloseSwitchTheHandsetsMonitor) {
  fresh_settings();
  config().WriteConfirm = 1;
  Rig rig;
  ASSERT_TRUE(rig.connect());
  rig.run([&] { rig.commands->net_monitor(true); });
  EXPECT_EQ(rig.prompt.questions, std::vector<std::string>{"Are you sure to write into the phone ?"});
  EXPECT_TRUE(rig.handset.state().net_monitor.on);
  EXPECT_TRUE(rig.observer.saw("Open Net Monitor (Processing)"));
  EXPECT_EQ(rig.observer.last_status(), "Open Net Monitor (Completed)");

  rig.run([&] { rig.commands->net_monitor(false); });
  EXPECT_FALSE(rig.handset.state().net_monitor.on);
  EXPECT_EQ(rig.observer.last_status(), "Close Net Monitor (Completed)");
  EXPECT_EQ(rig.state(), LinkState::Idle);

  // The requests as they went out: enable, then monitor on / off.
  std::vector<Bytes> sent;
  for (const PcFrame& f : pc_frames(rig.line->writes)) {
    if (f.type == 0x40) sent.push_back(Bytes(f.data.begin(), f.data.end() - 1));
  }
  const std::vector<Bytes> expect{{0x00, 0x01, 0x64, 0x01, 0x01}, {0x00, 0x01, 0x7E, 0xF3, 0x01},
                                  {0x00, 0x01, 0x64, 0x01, 0x01}, {0x00, 0x01, 0x7E, 0xF1, 0x01}};
  EXPECT_EQ(sent, expect);

  // Declining the question sends nothing.
  rig.prompt.answer = false;
  const std::size_t writes = rig.line->writes.size();
  rig.commands->net_monitor(true);
  EXPECT_EQ(rig.line->writes.size(), writes);
}


// How each switch of the monitor ends: done, refused before anything went
// out, or cut off by the line (AutoReconnect off) at the step it reached.
TEST(NetMonitor, EachSwitchSaysHowItEnded) {
  struct Case {
    const char* name;
    bool open;
    bool connect;
    bool answer;  // to the write question
    bool cut;     // the handset falls silent after the first request
    Ending ending;
    Refusal refusal;
  };
  const Case cases[] = {
      {"open: done", true, true, true, false, Ending::Done, Refusal::None},
      {"close: done", false, true, true, false, Ending::Done, Refusal::None},
      {"not connected", true, false, true, false, Ending::Refused, Refusal::NotConnected},
      {"the user said no", true, true, false, false, Ending::Refused, Refusal::UserSaidNo},
      {"the line cut part-way", true, true, true, true, Ending::LinkLost, Refusal::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fresh_settings();
    config().WriteConfirm = 1;
    config().AutoReconnect = 0;
    sim::FaultOptions faults;
    // The connect takes well under 5 s of virtual time; the switch starts then.
    if (c.cut) faults.silent_at_ms = 5000 + 150;
    Rig rig(demo_state("6110"), {}, faults);
    if (c.connect) {
      ASSERT_TRUE(rig.connect());
      rig.loop.run_until([&] { return rig.loop.now_ms() >= 5000; }, 10000);
    }
    rig.prompt.answer = c.answer;
    int told = 0;
    std::optional<OperationResult> result;
    StartOptions options;
    options.done = [&](const OperationResult& r) {
      ++told;
      result = r;
    };
    options.confirmed = ask_write_confirmation(rig.engine(), rig.prompt);
    start_net_monitor(rig.engine(), c.open, std::move(options));
    rig.run_until_settled(600000);
    EXPECT_EQ(told, 1);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->ending, c.ending) << describe(*result);
    EXPECT_EQ(result->refusal, c.refusal);
    if (c.ending == Ending::Done) {
      EXPECT_EQ(rig.handset.state().net_monitor.on, c.open);
    }
    if (c.ending == Ending::LinkLost) {
      EXPECT_EQ(result->family, LinkState::Media);
      EXPECT_GE(result->step, static_cast<int>(NetMonitorFamily::Step::Open));
    }
  }
}

// The list a clean read gives.
std::vector<Row> clean_read() {
  Rig rig(filled_6110());
  if (!rig.connect()) return {};
  rig.run([&] { rig.commands->read_phone_book(); });
  std::vector<Row> rows;
  for (std::size_t i = 0; i < rig.list().size(); ++i) rows.push_back(row(rig.list().entry(i)));
  return rows;
}

struct FaultCase {
  const char* name;
  sim::FaultOptions faults;
};

std::vector<FaultCase> fault_cases() {
  std::vector<FaultCase> cases;
  sim::FaultOptions loss;
  loss.drop_in = loss.drop_out = 0.10;
  cases.push_back({"loss", loss});
  sim::FaultOptions corrupt;
  corrupt.corrupt = 0.10;
  cases.push_back({"corruption", corrupt});
  sim::FaultOptions dup;
  dup.duplicate = 0.20;
  cases.push_back({"duplicates", dup});
  sim::FaultOptions stray;
  stray.stray = 0.20;
  cases.push_back({"stray", stray});
  sim::FaultOptions all;
  all.drop_in = all.drop_out = 0.10;
  all.corrupt = 0.05;
  all.duplicate = 0.05;
  all.stray = 0.10;
  cases.push_back({"all", all});
  return cases;
}

TEST(Faults, ReadGivesEveryEntryOnceOrResetsKeepingWhatWasRead) {
  fresh_settings();
  const std::vector<Row> expected = clean_read();
  const sim::HandsetState state = filled_6110();
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(state.phone.used() + state.sim.used()));
  for (const FaultCase& fault : fault_cases()) {
    int complete = 0;
    int reset = 0;
    int no_connect = 0;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
      SCOPED_TRACE(std::string(fault.name) + " seed " + std::to_string(seed));
      sim::FaultOptions faults = fault.faults;
      faults.seed = seed;
      Rig rig(filled_6110(), {}, faults);
      if (!rig.connect()) {
        ++no_connect;
        EXPECT_EQ(rig.observer.last_status(), "Disconnected");
        continue;
      }
      rig.commands->read_phone_book();
      ASSERT_TRUE(rig.run_until_settled(600000));
      const PhoneBookList& list = rig.list();
      // Whatever arrived is the start of the clean read, each entry once.
      ASSERT_LE(list.size(), expected.size());
      for (std::size_t i = 0; i < list.size(); ++i) ASSERT_EQ(row(list.entry(i)), expected[i]) << i;
      if (rig.state() == LinkState::Idle) {
        EXPECT_EQ(list.size(), expected.size());
        EXPECT_EQ(rig.observer.last_status(), "Read PhoneBook (Completed)");
        ++complete;
      } else {
        EXPECT_EQ(rig.observer.last_status(), "Disconnected");
        ++reset;
      }
    }
    std::cout << "[ faults   ] " << fault.name << ": " << complete << " complete, " << reset
              << " reset during the read, " << no_connect << " failed to connect\n";
    EXPECT_GT(complete, 0) << fault.name;
  }
}

}  // namespace
}  // namespace phondeck::e2e
