// PhoneBook > Write All against the virtual handset: every entry to its
// memory and position, entries without one to free positions, refusals that
// do not stop the rest, the rest of the memory cleared only when asked, a
// link lost part-way, and two entries for one position; then a thousand
// seeds of each line fault, none of which may call a partial write complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <tuple>

#include "e2e_rig.h"
#include "link/phonebook_family.h"
#include "link/phonebook_questions.h"
#include "support/seed_runs.h"

namespace phondeck::e2e {
namespace {

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Phone memory of 10 with entries at 1, 4 and 7; SIM of 6 with 2 and 5.
sim::HandsetState old_book() {
  sim::HandsetState s = demo_state("6110");
  s.phone = sim::Memory{};
  s.sim = sim::Memory{};
  s.phone.capacity = 10;
  s.sim.capacity = 6;
  for (int i : {1, 4, 7}) s.phone.put({i, text("Old " + std::to_string(i)), "10" + std::to_string(i), 0});
  for (int i : {2, 5}) s.sim.put({i, text("Old S" + std::to_string(i)), "20" + std::to_string(i), 0});
  return s;
}

// Gaps, two entries without a position, one at an occupied position.
std::vector<PhoneBookEntry> the_list() {
  return {entry("Anna", "0401", "Phone", "2"), entry("Bert", "0402", "Phone", ""),
          entry("Cleo", "0403", "Phone", "4"), entry("Dora", "0404", "SIM", "3"),
          entry("Emil", "0405", "SIM", "-1"),  entry("Fred", "0406", "SIM", "6")};
}

using Book = std::map<std::string, std::string>;  // "SIM 3" -> "Dora 0404"

Book book_of(const sim::HandsetState& s) {
  Book out;
  for (const auto& [type, memory] : {std::pair{"Phone", &s.phone}, std::pair{"SIM", &s.sim}}) {
    for (const sim::PhoneBookSlot& e : memory->entries) {
      out[std::string(type) + " " + std::to_string(e.location)] = std::string(e.name.begin(), e.name.end()) + " " + e.number;
    }
  }
  return out;
}

// What the handset must hold after the write: the list's written entries at
// their positions; the old entries at the positions they do not use (only
// those the list names too, refused ones, when replacing).
Book expected_book(const Book& before, const PhoneBookList& list, const std::vector<std::string>& refused, bool replace) {
  Book out;
  std::map<std::string, bool> named;
  for (std::size_t i = 0; i < list.size(); ++i) named[list.entry(i).Type + " " + list.entry(i).Pos] = true;
  for (const auto& [key, value] : before) {
    if (!replace || named.count(key) != 0) out[key] = value;
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    const PhoneBookEntry& e = list.entry(i);
    if (std::find(refused.begin(), refused.end(), e.Name) != refused.end()) continue;
    out[e.Type + " " + e.Pos] = e.Name + " " + e.Phone;
  }
  return out;
}

// After a write cut short: the first position holding neither its old entry,
// nor its entry of the list, nor an entry without a position of its own where
// that may go, nor (replacing) nothing; empty when there is none.
std::string unexpected_slot(const Book& before, const Book& after, bool replace) {
  const Book fixed{{"Phone 2", "Anna 0401"}, {"Phone 4", "Cleo 0403"}, {"SIM 3", "Dora 0404"}, {"SIM 6", "Fred 0406"}};
  const Book floating{{"Phone", "Bert 0402"}, {"SIM", "Emil 0405"}};
  Book keys = before;
  keys.insert(after.begin(), after.end());
  for (const auto& [key, ignored] : keys) {
    const std::string now = after.count(key) != 0 ? after.at(key) : "";
    const std::string old = before.count(key) != 0 ? before.at(key) : "";
    const std::string memory = key.substr(0, key.find(' '));
    const bool ok = now == old || (now.empty() && replace && fixed.count(key) == 0) ||
                    (fixed.count(key) != 0 && fixed.at(key) == now) ||
                    (floating.at(memory) == now && (replace || old.empty()));
    if (!ok) return key + " holds '" + now + "'";
  }
  return "";
}

std::vector<Row> rows(const PhoneBookList& list) {
  std::vector<Row> out;
  for (std::size_t i = 0; i < list.size(); ++i) out.push_back(row(list.entry(i)));
  return out;
}

struct Case {
  const char* name;
  std::function<void(sim::HandsetState&)> handset;
  std::function<void(std::vector<PhoneBookEntry>&)> list;
  bool replace;
  int silence;  // 0 none; 1 for good part-way, AutoReconnect off; 2 for 15 s, AutoReconnect on
  std::string status;
  std::vector<std::string> refused;  // names the closing message lists
  std::map<std::string, std::string> placed;  // name -> the position the list shows after
};

TEST(WriteAll, EveryEntryToItsPositionWithTheRestAsAsked) {
  const auto none = [](auto&) {};
  const std::vector<Case> cases{
      {"gaps, rest kept", none, none, false, 0, "Write All (Completed)", {}, {{"Bert", "3"}, {"Emil", "1"}}},
      {"gaps, rest cleared", none, none, true, 0, "Write All (Completed)", {}, {{"Bert", "1"}, {"Emil", "1"}}},
      {"number too long in the middle",
       none, [](auto& l) { l[3].Phone = "123456789012345678901"; }, false, 0, "Write All (5 of 6 written)",
       {"Dora: number too long"}, {{"Bert", "3"}, {"Emil", "1"}}},
      {"memory full on the handset", [](sim::HandsetState& s) { s.sim.storable = 3; }, none, true, 0,
       "Write All (4 of 6 written)", {"Emil: Not enough memory on phone", "Fred: Not enough memory on phone"},
       {{"Bert", "1"}}},
      {"no free position left", [](sim::HandsetState& s) { s.sim.put({1, text("Old S1"), "201", 0}); s.sim.put({4, text("Old S4"), "204", 0}); },
       none, false, 0, "Write All (5 of 6 written)", {"Emil: Not enough memory on phone"}, {{"Bert", "3"}}},
      {"link lost part-way", none, none, false, 1, "Disconnected", {}, {}},
      {"link lost, reconnected", none, none, true, 2, "Write All (Completed)", {}, {{"Bert", "1"}, {"Emil", "1"}}},
  };
  std::int64_t clean_from = 0;
  std::int64_t clean_to = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fresh_settings();
    config().AutoReconnect = c.silence == 2 ? 1 : 0;
    sim::HandsetState state = old_book();
    c.handset(state);
    sim::FaultOptions faults;
    if (c.silence != 0) {
      faults.silent_at_ms = (clean_from + 3 * clean_to) / 4;  // among the writes
      faults.silent_for_ms = c.silence == 1 ? 0 : 15000;
    }
    Rig rig(state, {}, faults);
    ASSERT_TRUE(rig.connect());
    const Book before = book_of(rig.handset.state());
    std::vector<PhoneBookEntry> list = the_list();
    c.list(list);
    for (const PhoneBookEntry& e : list) rig.book.active().append(e);
    const std::vector<Row> list_before = rows(rig.list());
    rig.prompt.answers = {c.replace};
    const std::int64_t from = rig.loop.now_ms();
    rig.run([&] { rig.commands->write_all(); });
    if (c.silence == 0 && clean_from == 0) {
      clean_from = from;
      clean_to = rig.loop.now_ms();
    }
    EXPECT_EQ(rig.prompt.questions, std::vector<std::string>{"Replace the handset's phone book?"});
    EXPECT_EQ(rig.observer.last_status(), c.status);
    const Book after = book_of(rig.handset.state());
    if (c.silence == 1) {
      // The list stays as it was; every position holds the old or the new entry.
      EXPECT_EQ(rows(rig.list()), list_before);
      ASSERT_EQ(rig.prompt.messages.size(), 1u);
      EXPECT_NE(rig.prompt.messages[0].find(" of 6 written)"), std::string::npos) << rig.prompt.messages[0];
      EXPECT_EQ(unexpected_slot(before, after, false), "");
      int written = 0;
      for (const auto& [key, value] : after) written += before.count(key) != 0 && before.at(key) == value ? 0 : 1;
      EXPECT_GT(written, 0);
      EXPECT_LT(written, 6);
      continue;
    }
    EXPECT_EQ(rig.observer.highest, static_cast<int>(list.size()));  // one step per entry
    for (std::size_t i = 0; i < list.size(); ++i) {
      const PhoneBookEntry& e = rig.list().entry(i);
      const auto placed = c.placed.find(e.Name);
      EXPECT_EQ(e.Pos, placed != c.placed.end() ? placed->second : list[i].Pos) << e.Name;
    }
    std::vector<std::string> refused_names;
    for (const std::string& r : c.refused) refused_names.push_back(r.substr(0, r.find(':')));
    EXPECT_EQ(after, expected_book(before, rig.list(), refused_names, c.replace));
    if (c.refused.empty()) {
      EXPECT_TRUE(rig.prompt.messages.empty());
      continue;
    }
    ASSERT_EQ(rig.prompt.messages.size(), 1u);
    std::string expect = c.status + "\nThese entries were not written into the phone:";
    for (const std::string& r : c.refused) expect += "\n" + r;
    EXPECT_EQ(rig.prompt.messages[0], expect);
  }
}

TEST(WriteAll, TwoEntriesForOnePositionSendNothing) {
  fresh_settings();
  Rig rig(old_book());
  ASSERT_TRUE(rig.connect());
  std::vector<PhoneBookEntry> list = the_list();
  list[5].Pos = "3";
  for (const PhoneBookEntry& e : list) rig.book.active().append(e);
  const std::size_t writes = rig.line->writes.size();
  rig.run([&] { rig.commands->write_all(); });
  EXPECT_EQ(rig.prompt.messages, std::vector<std::string>{"Dora and Fred are both at SIM 3; nothing was written."});
  EXPECT_TRUE(rig.prompt.questions.empty());
  EXPECT_EQ(rig.line->writes.size(), writes);
  EXPECT_EQ(book_of(rig.handset.state()), book_of(old_book()));
}

// Clear then Write takes only the written reply: a refusal is left to the
// time-outs, which end in a link reset, never in "(Completed)".
TEST(WriteAll, ClearThenWriteLeavesARefusalToTheTimeOuts) {
  fresh_settings();
  Rig rig(old_book());
  ASSERT_TRUE(rig.connect());
  rig.book.active().append(entry("Long", "123456789012345678901", "SIM", "1"));
  rig.run([&] { rig.commands->clear_then_write(); });
  EXPECT_EQ(rig.state(), LinkState::Disconnected);
  EXPECT_FALSE(rig.observer.saw("Write PhoneBook (Completed)"));
  EXPECT_EQ(book_of(rig.handset.state()), book_of(old_book()));
}

using testing::RunEnd;
using testing::RunResult;

// Replacing on even seeds, keeping the rest on odd ones.
RunResult write_all_run(const sim::FaultOptions& faults) {
  const bool replace = faults.seed % 2 == 0;
  Rig rig(old_book(), {}, faults);
  if (!rig.connect()) return {RunEnd::NoConnect, ""};
  const Book before = book_of(rig.handset.state());
  for (const PhoneBookEntry& e : the_list()) rig.book.active().append(e);
  const std::vector<Row> list_before = rows(rig.list());
  rig.prompt.answers = {replace};
  std::optional<OperationResult> told;
  const WriteAllAnswers answers = ask_write_all(rig.engine(), rig.prompt, rig.book.active());
  start_write_all(rig.engine(), rig.book.active(), answers, [&told](const OperationResult& r) { told = r; });
  if (!rig.run_until_settled(3600000)) return {RunEnd::Wrong, "still busy after an hour"};
  const Book after = book_of(rig.handset.state());
  if (told && told->done()) {
    if (rig.observer.last_status() != "Write All (Completed)") return {RunEnd::Wrong, rig.observer.last_status()};
    if (!rig.prompt.messages.empty()) return {RunEnd::Wrong, "completed with " + rig.prompt.messages[0]};
    return testing::judge(told, after == expected_book(before, rig.list(), {}, replace), "the handset differs",
                          told->entries == 6 && told->refused_items == 0);
  }
  if (rig.observer.saw("Write All (Completed)")) return {RunEnd::Wrong, "completed, then lost"};
  if (rows(rig.list()) != list_before) return {RunEnd::Wrong, "the list changed"};
  if (rig.prompt.messages.size() != 1 || rig.prompt.messages[0].find(" of 6 written)") == std::string::npos) {
    return {RunEnd::Wrong, "no count of the entries written"};
  }
  if (const std::string wrong = unexpected_slot(before, after, replace); !wrong.empty()) return {RunEnd::Wrong, wrong};
  // The count said is the one the result holds, and no more than the handset took.
  int held = 0;
  for (const PhoneBookEntry& e : the_list()) {
    for (const auto& [key, value] : after) held += value == e.Name + " " + e.Phone ? 1 : 0;
  }
  const bool claims = told && rig.prompt.messages[0].find("(" + std::to_string(told->entries) + " of 6") !=
                                  std::string::npos && told->entries <= held;
  return testing::judge(told, false, "lost", claims);
}

class WriteAllFaults : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(WriteAllFaults, NeverCallsAPartialWriteComplete) {
  fresh_settings();
  config().AutoReconnect = std::get<0>(GetParam());
  const testing::FaultKind kind = testing::line_fault_kinds()[static_cast<std::size_t>(std::get<1>(GetParam()))];
  const testing::SeedTally t = testing::run_seeds(kind, 1000, write_all_run);
  testing::print_tally(std::string("Write All") + (config().AutoReconnect ? ", AutoReconnect on" : ", AutoReconnect off"), t);
  EXPECT_EQ(t.wrong, 0) << "first: " << t.first_wrong;
  EXPECT_GT(t.completed, 100);
}

std::string case_name(const ::testing::TestParamInfo<std::tuple<int, int>>& p) {
  std::string name = std::get<0>(p.param) ? "On_" : "Off_";
  const std::string kind = testing::line_fault_kinds()[static_cast<std::size_t>(std::get<1>(p.param))].name;
  for (char ch : kind) {
    if (std::isalnum(static_cast<unsigned char>(ch))) {
      name += ch;
    } else if (name.back() != '_') {
      name += '_';
    }
  }
  if (name.back() == '_') name.pop_back();
  return name;
}

INSTANTIATE_TEST_SUITE_P(AutoReconnect, WriteAllFaults,
                         ::testing::Combine(::testing::Values(0, 1),
                                            ::testing::Range(0, static_cast<int>(testing::line_fault_kinds().size()))),
                         case_name);

}  // namespace
}  // namespace phondeck::e2e
