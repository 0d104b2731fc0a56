// Phone-book read and Clear then Write against the virtual handset: both
// memories with empty locations, every name form, the SIM-only models, the
// handset's state after a write, and a memory that cannot be written.
#include <gtest/gtest.h>

#include "e2e_rig.h"

namespace phondeck::e2e {
namespace {



sim::PhoneBookSlot slot(int location, Bytes name, std::string number, int group) {
  return sim::PhoneBookSlot{location, std::move(name), std::move(number), group};
}
Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A 6110 whose phone memory has every name form with gaps between them,
// and whose last locations are used in both memories.
sim::HandsetState every_form() {
  sim::HandsetState s = demo_state("6110");
  s.phone = sim::Memory{};
  s.sim = sim::Memory{};
  s.phone.capacity = 10;
  s.sim.capacity = 5;
  s.phone.put(slot(1, text("Alice"), "0401", 0));
  s.phone.put(slot(3, Bytes{0x04, 0xFF, 0x96, 0x73, 0x7F, 0x8E}, "+886912", 1));
  s.phone.put(slot(4, Bytes{0x04, 0xFF, 0x20, 'A', 0x20, 'B', 0x00, 'C'}, "77", 2));
  s.phone.put(slot(6, Bytes{0x04, 0x01, 0x05}, "500", 3));
  s.phone.put(slot(7, Bytes{'J', 0xFC, 'r', 'g'}, "", 4));
  s.phone.put(slot(10, text("Last"), "10", 5));
  s.sim.put(slot(2, text("Sim two"), "2", 0));
  s.sim.put(slot(5, Bytes{}, "555", 0));
  return s;
}

class PhoneBookTransfer : public ::testing::Test {
 protected:
  void SetUp() override { fresh_settings(); }
};

TEST_F(PhoneBookTransfer, ReadsBothMemoriesWithGapsAndEveryNameForm) {
  Rig rig(every_form());
  ASSERT_TRUE(rig.connect());
  rig.run([&] { rig.commands->read_phone_book(); });
  ASSERT_EQ(rig.state(), LinkState::Idle);
  const std::vector<Row> expect{
      {"Alice", "", "0401", "Phone", "1", "Family", "Name"},
      {"", "\u9673\u7f8e", "+886912", "Phone", "3", "VIP", "Auto"},
      {"AB", "C", "77", "Phone", "4", "Friends", "Both"},
      {"", "", "500", "Phone", "6", "Colleagues", "Group"},
      {"J\u00fcrg", "", "", "Phone", "7", "Other", "Name"},
      {"Last", "", "10", "Phone", "10", "No Group", "Name"},
      {"Sim two", "", "2", "SIM", "2", "Family", "Name"},
      {"", "", "555", "SIM", "5", "Family", "Name"},
  };
  ASSERT_EQ(rig.list().size(), expect.size());
  for (std::size_t i = 0; i < expect.size(); ++i) EXPECT_EQ(row(rig.list().entry(i)), expect[i]) << i;
  // The reads stop at each memory's last used location.
  EXPECT_EQ(phone_book_requests(rig.line->writes, 0x01, 0x02), 10);
  EXPECT_EQ(phone_book_requests(rig.line->writes, 0x01, 0x03), 5);
  EXPECT_TRUE(rig.observer.saw("Read PhoneBook (Processing)"));
  EXPECT_EQ(rig.observer.last_status(), "Read PhoneBook (Completed)");
  EXPECT_EQ(rig.observer.highest, 8);
  EXPECT_EQ(rig.observer.maximum, 8);
  EXPECT_EQ(rig.observer.position, 0);
  EXPECT_EQ(rig.refreshes, 1);

  // A second read appends to what the list holds.
  rig.run([&] { rig.commands->read_phone_book(); });
  EXPECT_EQ(rig.list().size(), 2 * expect.size());
}

// Without MultiByte (English, French) a handset's UCS-2 name still shows, and
// an entry whose name was not changed goes back with the bytes it came with;
// a renamed one is written as the setting says.
TEST_F(PhoneBookTransfer, MultiByteOffShowsUnicodeNamesAndWritesThemBackUnchanged) {
  fresh_settings(0);
  Rig rig(every_form());
  ASSERT_TRUE(rig.connect());
  rig.run([&] { rig.commands->read_phone_book(); });
  ASSERT_EQ(rig.list().size(), 8u);
  EXPECT_EQ(row(rig.list().entry(1)), (Row{"", "\u9673\u7f8e", "+886912", "Phone", "3", "VIP", "Auto"}));
  EXPECT_EQ(row(rig.list().entry(2)), (Row{"AB", "C", "77", "Phone", "4", "Friends", "Both"}));

  struct Case {
    std::size_t read;  // the entry read
    std::string rename;  // a new Name, or none
    Bytes stored;
  };
  const std::vector<Case> cases{
      {1, "", Bytes{0x04, 0xFF, 0x96, 0x73, 0x7F, 0x8E}},
      {2, "", Bytes{0x04, 0xFF, 0x20, 'A', 0x20, 'B', 0x00, 'C'}},
      {3, "", Bytes{0x04, 0x01, 0x05}},
      {1, "Mei", text("Mei")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.read);
    PhoneBookEntry entry = rig.list().entry(c.read);
    if (!c.rename.empty()) entry.Name = c.rename;
    rig.book.active().insert(0, entry);
    rig.run([&] { rig.commands->clear_then_write(); });
    rig.book.active().remove(0);
    EXPECT_EQ(rig.handset.state().phone.at(1)->name, c.stored);
  }
}

TEST_F(PhoneBookTransfer, EmptyPhoneMemoryGoesStraightToTheSim) {
  sim::HandsetState s = every_form();
  s.phone.entries.clear();
  Rig rig(std::move(s));
  ASSERT_TRUE(rig.connect());
  rig.run([&] { rig.commands->read_phone_book(); });
  ASSERT_EQ(rig.list().size(), 2u);
  EXPECT_EQ(phone_book_requests(rig.line->writes, 0x01, 0x02), 0);
  EXPECT_EQ(rig.list().entry(0).Pos, "2");
}

TEST_F(PhoneBookTransfer, FiveModelsReadOnlyTheSimWithGroupFive) {
  for (const char* model : {"5110", "5130"}) {
    SCOPED_TRACE(model);
    sim::HandsetState s = demo_state(model);
    s.sim.put(slot(20, text("Grouped"), "20", 1));
    Rig rig(std::move(s));
    ASSERT_TRUE(rig.connect());
    rig.run([&] { rig.commands->read_phone_book(); });
    ASSERT_EQ(static_cast<int>(rig.list().size()), rig.handset.state().sim.used());
    for (std::size_t i = 0; i < rig.list().size(); ++i) {
      EXPECT_EQ(rig.list().entry(i).Type, "SIM");
      EXPECT_EQ(rig.list().entry(i).Group, "No Group");
    }
    EXPECT_EQ(phone_book_requests(rig.line->writes, 0x01, 0x02), 0);
    EXPECT_EQ(phone_book_requests(rig.line->writes, 0x07, 0x02), 0);
    EXPECT_EQ(rig.observer.last_status(), "Read PhoneBook (Completed)");
    EXPECT_EQ(rig.book.memory().capacity[0], 0);
    // Any link reset (here the engine's own, as a time-out makes it) gives
    // the model both memories of 200 positions again.
    rig.engine().reset();
    EXPECT_EQ(rig.book.memory().capacity[0], 200);
    EXPECT_EQ(rig.book.memory().capacity[1], 200);
  }
}

PhoneBookEntry entry(std::string name, std::string unicode, std::string phone, std::string type,
                     std::string group, std::string write_as) {
  PhoneBookEntry e;
  e.Name = std::move(name);
  e.UNICODE = std::move(unicode);
  e.Phone = std::move(phone);
  e.Type = std::move(type);
  e.Pos = "1";
  e.Group = std::move(group);
  e.WriteAs = std::move(write_as);
  return e;
}

TEST_F(PhoneBookTransfer, ClearThenWriteStoresTheFirstEntryAtLocationOne) {
  Rig rig(every_form());
  ASSERT_TRUE(rig.connect());
  rig.book.active().append(entry("Zed", "", "+35812345", "SIM", "VIP", "Name"));
  rig.book.active().append(entry("Second", "", "2", "SIM", "VIP", "Name"));
  sim::HandsetState expected = rig.handset.state();
  expected.sim.put(slot(1, text("Zed"), "+35812345", 1));

  rig.run([&] { rig.commands->clear_then_write(); });
  EXPECT_EQ(rig.prompt.questions, std::vector<std::string>{"Sure to write to the first record ?"});
  EXPECT_EQ(rig.state(), LinkState::Idle);
  EXPECT_EQ(rig.handset.state().to_json().dump(1), expected.to_json().dump(1));
  EXPECT_TRUE(rig.observer.saw("Write PhoneBook (Processing)"));
  EXPECT_EQ(rig.observer.last_status(), "Write PhoneBook (Completed)");
  EXPECT_EQ(rig.observer.highest, 1);
  EXPECT_EQ(rig.observer.maximum, 2);
  EXPECT_TRUE(rig.prompt.messages.empty());
}

TEST_F(PhoneBookTransfer, WrittenNamesReadBackInEveryForm) {
  struct Case {
    PhoneBookEntry written;
    Bytes stored;
    Row read;
  };
  const std::vector<Case> cases{
      {entry("", "\u674e\u56db", "1", "Phone", "Friends", "Auto"), Bytes{0x04, 0xFF, 0x67, 0x4E, 0x56, 0xDB},
       {"", "\u674e\u56db", "1", "Phone", "1", "Friends", "Auto"}},
      {entry("Li", "\u674e", "2", "Phone", "Family", "Both"), Bytes{0x04, 0xFF, 0x20, 'L', 0x20, 'i', 0x67, 0x4E},
       {"Li", "\u674e", "2", "Phone", "1", "Family", "Both"}},
      {entry("Mum", "", "3", "Phone", "Other", "Group"), Bytes{0x04, 0x00, 0xFE},
       {"", "", "3", "Phone", "1", "Other", "Group"}},
      {entry("A very long name", "", "4", "SIM", "Family", "Name"), text("A very long "),
       {"A very long ", "", "4", "SIM", "1", "Family", "Name"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written.WriteAs + " " + c.written.Type);
    sim::HandsetState s = every_form();
    s.phone.entries.clear();
    s.sim.entries.clear();
    Rig rig(std::move(s));
    ASSERT_TRUE(rig.connect());
    rig.book.active().append(c.written);
    rig.run([&] { rig.commands->clear_then_write(); });
    const sim::Memory& memory = c.written.Type == "SIM" ? rig.handset.state().sim : rig.handset.state().phone;
    ASSERT_EQ(memory.used(), 1);
    EXPECT_EQ(memory.at(1)->name, c.stored);
    rig.book.active().clear();
    rig.run([&] { rig.commands->read_phone_book(); });
    ASSERT_EQ(rig.list().size(), 1u);
    EXPECT_EQ(row(rig.list().entry(0)), c.read);
  }
}

TEST_F(PhoneBookTransfer, NothingToWriteEndsAtOnce) {
  Rig rig(every_form());
  ASSERT_TRUE(rig.connect());
  const std::string before = rig.handset.state().to_json().dump();
  rig.run([&] { rig.commands->clear_then_write(); });
  EXPECT_EQ(rig.state(), LinkState::Idle);
  EXPECT_EQ(rig.observer.last_status(), "Write PhoneBook (Completed)");
  EXPECT_EQ(phone_book_requests(rig.line->writes, 0x04, 0x02) + phone_book_requests(rig.line->writes, 0x04, 0x03), 0);
  EXPECT_EQ(rig.handset.state().to_json().dump(), before);
}

TEST_F(PhoneBookTransfer, MemoryWithoutCapacityIsNotLeftBusy) {
  // A 5110 has no phone memory: a Phone entry cannot be written.
  Rig rig("5110");
  ASSERT_TRUE(rig.connect());
  rig.book.active().append(entry("Nope", "", "1", "Phone", "Family", "Name"));
  const std::string before = rig.handset.state().to_json().dump();
  rig.commands->clear_then_write();
  ASSERT_TRUE(rig.loop.run_until([&] { return rig.state() == LinkState::Idle; }, 5000));
  EXPECT_EQ(rig.observer.last_status(), "Write PhoneBook (Completed)");
  EXPECT_EQ(rig.prompt.messages, std::vector<std::string>{"Not enough memory on phone"});
  EXPECT_EQ(phone_book_requests(rig.line->writes, 0x04, 0x02), 0);
  EXPECT_EQ(rig.handset.state().to_json().dump(), before);
  // The link is free for the next command.
  rig.run([&] { rig.commands->read_phone_book(); });
  EXPECT_EQ(rig.observer.last_status(), "Read PhoneBook (Completed)");
  EXPECT_EQ(static_cast<int>(rig.list().size()), 1 + rig.handset.state().sim.used());
}

TEST_F(PhoneBookTransfer, CommandsNeedAConnection) {
  Rig rig;
  rig.commands->read_phone_book();
  rig.commands->clear_then_write();
  EXPECT_EQ(rig.prompt.messages,
            (std::vector<std::string>{"Please establish connection first", "Please establish connection first"}));
  EXPECT_EQ(rig.handset.stats().requests, 0);
}

}  // namespace
}  // namespace phondeck::e2e
