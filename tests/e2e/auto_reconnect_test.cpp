// AutoReconnect: a handset that falls silent in the middle of a phone-book
// read or write, on cable and infrared. With the option on the link is
// connected again and the operation goes on from the record it had reached;
// a handset that stays silent gets three reconnects, then "Disconnected".
#include <gtest/gtest.h>

#include "e2e_rig.h"

namespace phondeck::e2e {
namespace {

// 10 entries over 20 phone locations and 4 over 8 on the SIM.
sim::HandsetState small_book() {
  sim::HandsetState s = demo_state("6110");
  s.phone = sim::Memory{};
  s.sim = sim::Memory{};
  s.phone.capacity = 20;
  s.sim.capacity = 8;
  for (int i = 1; i <= 20; i += 1 + i % 2) {
    const std::string name = "Phone " + std::to_string(i);
    s.phone.put(sim::PhoneBookSlot{i, Bytes(name.begin(), name.end()), std::to_string(i), 1});
  }
  for (int i = 2; i <= 8; i += 2) s.sim.put(sim::PhoneBookSlot{i, Bytes{'S'}, std::to_string(i), 0});
  return s;
}

sim::HandsetOptions media(int type) {
  sim::HandsetOptions options;
  options.frame_id = type == 0 ? sim::kInfraredFrameId : sim::kCableFrameId;
  return options;
}

std::vector<Row> rows(const PhoneBookList& list) {
  std::vector<Row> out;
  for (std::size_t i = 0; i < list.size(); ++i) out.push_back(row(list.entry(i)));
  return out;
}

struct Case {
  const char* name;
  int type;              // 1 cable, 0 infrared
  int auto_reconnect;
  std::int64_t silent_for_ms;  // 0: for good; -1: the line is gone
  bool completes;
  int opens;             // the first connect and the reconnects
};

TEST(AutoReconnect, SilenceInTheMiddleOfAReadOrWrite) {
  const std::vector<Case> cases{
      {"cable, 5 s: retransmissions cover it", 1, 1, 5000, true, 1},
      {"cable, 15 s", 1, 1, 15000, true, 2},
      {"infrared, 15 s", 0, 1, 15000, true, 2},
      {"cable, 22 s: the reconnect wakes the handset again", 1, 1, 22000, true, 2},
      {"cable, 50 s: the first reconnect's four tries fail", 1, 1, 50000, true, 3},
      {"cable, for good", 1, 1, 0, false, 4},
      {"infrared, for good", 0, 1, 0, false, 4},
      {"option off", 1, 0, 15000, false, 1},
      {"cable unplugged: one try", 1, 1, -1, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fresh_settings(1, c.type);
    config().AutoReconnect = c.auto_reconnect;
    // A clean run tells where the middle of the read and of the write lie.
    std::vector<Row> clean;
    std::int64_t read_from = 0;
    std::int64_t read_to = 0;
    {
      Rig rig(small_book(), media(c.type));
      ASSERT_TRUE(rig.connect());
      read_from = rig.loop.now_ms();
      rig.run([&] { rig.commands->read_phone_book(); });
      read_to = rig.loop.now_ms();
      clean = rows(rig.list());
    }
    ASSERT_EQ(clean.size(), 14u);

    sim::FaultOptions silence;
    if (c.silent_for_ms < 0) {
      silence.hang_up_at_ms = (read_from + read_to) / 2;
    } else {
      silence.silent_at_ms = (read_from + read_to) / 2;
      silence.silent_for_ms = c.silent_for_ms;
    }
    Rig rig(small_book(), media(c.type), silence);
    ASSERT_TRUE(rig.connect());
    rig.run([&] { rig.commands->read_phone_book(); });
    const std::vector<Row> got = rows(rig.list());
    if (c.completes) {
      EXPECT_EQ(got, clean);  // every entry once, none read twice
      EXPECT_EQ(rig.observer.last_status(), "Read PhoneBook (Completed)");
      EXPECT_EQ(rig.refreshes, 1);
    } else {
      ASSERT_LT(got.size(), clean.size());
      EXPECT_GT(got.size(), 0u);
      EXPECT_EQ(got, std::vector<Row>(clean.begin(), clean.begin() + static_cast<long>(got.size())));
      EXPECT_EQ(rig.state(), LinkState::Disconnected);
      EXPECT_EQ(rig.observer.last_status(), "Disconnected");
    }
    EXPECT_EQ(rig.line->pipe().opens(), c.opens);
    // The port's failure is told once.
    EXPECT_EQ(rig.prompt.messages.size(), c.silent_for_ms < 0 ? 1u : 0u);
    if (!c.completes) continue;

    // A write whose handset falls silent as it starts.
    sim::FaultOptions at_write = silence;
    at_write.silent_at_ms = read_from + 1;
    Rig writer(small_book(), media(c.type), at_write);
    ASSERT_TRUE(writer.connect());
    PhoneBookEntry e;
    e.Name = "Zed";
    e.Phone = "99";
    e.Type = "SIM";
    e.Group = "VIP";
    e.WriteAs = "Name";
    writer.book.active().append(e);
    writer.run([&] { writer.commands->clear_then_write(); });
    EXPECT_EQ(writer.observer.last_status(), "Write PhoneBook (Completed)");
    const sim::PhoneBookSlot* slot = writer.handset.state().sim.at(1);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->number, "99");
    EXPECT_EQ(writer.handset.state().sim.used(), 5);
    EXPECT_EQ(writer.line->pipe().opens(), c.opens);
  }
}

}  // namespace
}  // namespace phondeck::e2e
