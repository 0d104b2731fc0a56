// The demo handset through a noisy cable, a hundred seeds each, AutoReconnect
// off and on: its phone book with single-byte faults and bursts of garbage,
// its messages (two of them longer than a frame) with single-byte faults.
// With AutoReconnect on nearly every read completes; no read is ever wrong.
// Connects through the same noise, a thousand seeds.
#include <gtest/gtest.h>

#include "e2e_rig.h"
#include "organiser/message_family.h"
#include "support/seed_runs.h"

namespace phondeck::e2e {
namespace {

using testing::RunEnd;
using testing::RunResult;

// What a read gave: one line per record.
using Records = std::vector<std::string>;

Records phone_book(Rig& rig) {
  Records out;
  for (std::size_t i = 0; i < rig.list().size(); ++i) {
    const Row r = row(rig.list().entry(i));
    std::string line;
    for (const std::string& field : r) line += field + "|";
    out.push_back(line);
  }
  return out;
}

Records messages(Rig& rig) {
  Records out;
  const MessageStore& store = rig.session.organiser().messages().store;
  for (std::size_t i = 0; i < store.size(); ++i) {
    const SmsRecord& m = store.at(i);
    out.push_back(m.Phone + "|" + m.Time + "|" + m.Text + "|" + m.Type + "|" + m.Pos);
  }
  return out;
}

struct Read {
  const char* what;
  double noise;
  double burst;
  void (*start)(Rig&);
  Records (*records)(Rig&);
  const char* completed_text;
};

// A read gives the start of the clean read (all of it when it completes).
RunResult judge(const Read& read, const sim::FaultOptions& faults, const Records& clean) {
  Rig rig(demo_state("6110"), {}, faults);
  if (!rig.connect()) return {RunEnd::NoConnect, ""};
  read.start(rig);
  if (!rig.run_until_settled(3600000)) return {RunEnd::Wrong, "still busy after an hour"};
  const Records got = read.records(rig);
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (i >= clean.size() || got[i] != clean[i]) return {RunEnd::Wrong, "record " + std::to_string(i) + ": " + got[i]};
  }
  const bool completed = rig.state() == LinkState::Idle;
  if (completed && got.size() != clean.size()) return {RunEnd::Wrong, "completed with " + std::to_string(got.size())};
  if (rig.observer.last_status() != (completed ? read.completed_text : "Disconnected")) {
    return {RunEnd::Wrong, "status " + rig.observer.last_status()};
  }
  return {completed ? RunEnd::Completed : RunEnd::Reset, ""};
}

TEST(NoisyLine, NearlyEveryReadCompletesWithAutoReconnectAndNoneIsWrong) {
  const std::vector<Read> reads{
      {"phone-book read", 0.005, 0.001, [](Rig& rig) { rig.commands->read_phone_book(); }, phone_book,
       "Read PhoneBook (Completed)"},
      {"message read", 0.003, 0.0,
       [](Rig& rig) { start_message_read(rig.engine(), rig.session.organiser().message_family()); }, messages,
       "Read Messages (Completed)"},
  };
  for (const Read& read : reads) {
    fresh_settings();
    Records clean;
    {
      Rig rig;
      ASSERT_TRUE(rig.connect());
      read.start(rig);
      ASSERT_TRUE(rig.run_until_settled());
      ASSERT_EQ(rig.observer.last_status(), read.completed_text);
      clean = read.records(rig);
    }
    ASSERT_FALSE(clean.empty());
    for (const int reconnect : {0, 1}) {
      config().AutoReconnect = reconnect;
      testing::FaultKind kind{"noise " + std::to_string(read.noise * 100).substr(0, 3) + " %", {}};
      kind.faults.noise = read.noise;
      kind.faults.burst = read.burst;
      if (read.burst > 0) kind.name += " + bursts";
      const testing::SeedTally t =
          testing::run_seeds(kind, 100, [&](const sim::FaultOptions& faults) { return judge(read, faults, clean); });
      testing::print_tally(std::string(read.what) + (reconnect ? ", AutoReconnect on" : ", AutoReconnect off"), t);
      EXPECT_EQ(t.wrong, 0) << read.what << ", first: " << t.first_wrong;
      if (reconnect) {
        EXPECT_GE(t.completed, 95) << read.what;
      }
    }
  }
}

// A connect has four sends an exchange before the link reset; under this
// noise about 3 % of connects lose one exchange's all. With AutoReconnect a
// connect the handset answered starts over, so nearly all get through.
TEST(NoisyLine, NearlyEveryConnectSucceedsWithAutoReconnect) {
  const testing::FaultKind kind = testing::line_fault_kinds().back();  // byte noise with bursts
  for (const int reconnect : {0, 1}) {
    fresh_settings();
    config().AutoReconnect = reconnect;
    const testing::SeedTally t = testing::run_seeds(kind, 1000, [](const sim::FaultOptions& faults) -> RunResult {
      Rig rig(demo_state("6110"), {}, faults);
      rig.commands->connect();
      if (!rig.run_until_settled(600000)) return {RunEnd::Wrong, "still connecting after ten minutes"};
      if (rig.state() != LinkState::Idle) return {RunEnd::NoConnect, ""};
      if (rig.engine().info().model != "6110") return {RunEnd::Wrong, "model " + rig.engine().info().model};
      return {RunEnd::Completed, ""};
    });
    testing::print_tally(reconnect ? "connect, AutoReconnect on" : "connect, AutoReconnect off", t);
    EXPECT_EQ(t.wrong, 0) << t.first_wrong;
    if (reconnect) {
      EXPECT_GE(t.completed, 995);
    }
  }
}

}  // namespace
}  // namespace phondeck::e2e
