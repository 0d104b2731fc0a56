// Phone-book read and Clear then Write over a faulty line, a thousand seeds
// of each fault, with and without AutoReconnect: a read gives the start of
// the clean read with every entry once at its own position (all of it when
// it completes); a write leaves the handset as asked, or says the link was
// lost with the handset as it was or as asked.
#include <gtest/gtest.h>

#include <cctype>
#include <tuple>

#include "e2e_rig.h"
#include "link/phonebook_family.h"
#include "link/phonebook_questions.h"
#include "support/seed_runs.h"

namespace phondeck::e2e {
namespace {

using testing::FaultKind;
using testing::RunEnd;
using testing::RunResult;
using testing::SeedTally;

constexpr std::uint32_t kSeeds = 1000;


std::vector<Row> rows(const PhoneBookList& list) {
  std::vector<Row> out;
  for (std::size_t i = 0; i < list.size(); ++i) out.push_back(row(list.entry(i)));
  return out;
}

// Options whose completion keeps the result.
StartOptions telling(std::optional<OperationResult>& told) {
  StartOptions options;
  options.done = [&told](const OperationResult& r) { told = r; };
  return options;
}

RunResult read_run(const sim::FaultOptions& faults, const std::vector<Row>& clean) {
  Rig rig(filled_6110(), {}, faults);
  if (!rig.connect()) return {RunEnd::NoConnect, ""};
  std::optional<OperationResult> told;
  start_phone_book_read(rig.engine(), telling(told));
  if (!rig.run_until_settled(3600000)) return {RunEnd::Wrong, "still busy after an hour"};
  const std::vector<Row> got = rows(rig.list());
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (i >= clean.size() || got[i] != clean[i]) {
      return {RunEnd::Wrong, "entry " + std::to_string(i) + " is " + got[i][3] + " " + got[i][4] + " " + got[i][0]};
    }
  }
  const bool completed = told && told->done();
  const std::string status = completed ? "Read PhoneBook (Completed)" : "Disconnected";
  if (rig.observer.last_status() != status) return {RunEnd::Wrong, "status " + rig.observer.last_status()};
  return testing::judge(told, got.size() == clean.size(), "read " + std::to_string(got.size()) + " entries",
                        told && static_cast<std::size_t>(told->entries) == got.size());
}

PhoneBookEntry sim_entry() {
  PhoneBookEntry e;
  e.Name = "Zed";
  e.Phone = "+35812345";
  e.Type = "SIM";
  e.Pos = "1";
  e.Group = "VIP";
  e.WriteAs = "Name";
  return e;
}

// Both memories of the handset, slot by slot.
std::vector<std::string> book_of(const sim::HandsetState& s) {
  std::vector<std::string> out;
  for (const sim::Memory* m : {&s.phone, &s.sim}) {
    out.push_back(std::to_string(m->capacity));
    for (const sim::PhoneBookSlot& e : m->entries) {
      out.push_back(std::to_string(e.location) + "|" + std::string(e.name.begin(), e.name.end()) + "|" + e.number +
                    "|" + std::to_string(e.group));
    }
  }
  return out;
}

RunResult write_run(const sim::FaultOptions& faults) {
  Rig rig(filled_6110(), {}, faults);
  if (!rig.connect()) return {RunEnd::NoConnect, ""};
  const std::vector<std::string> before = book_of(rig.handset.state());
  sim::HandsetState asked = rig.handset.state();
  asked.sim.put(sim::PhoneBookSlot{1, Bytes{'Z', 'e', 'd'}, "+35812345", 1});
  rig.book.active().append(sim_entry());
  std::optional<OperationResult> told;
  StartOptions options = telling(told);
  options.confirmed = ask_clear_then_write(rig.engine(), rig.prompt);
  start_clear_then_write(rig.engine(), std::move(options));
  if (!rig.run_until_settled(3600000)) return {RunEnd::Wrong, "still busy after an hour"};
  const std::vector<std::string> after = book_of(rig.handset.state());
  const bool written = after == book_of(asked);
  if (told && told->done()) {
    if (rig.observer.last_status() != "Write PhoneBook (Completed)") return {RunEnd::Wrong, "no completed text"};
  } else {
    if (!written && after != before) return {RunEnd::Wrong, "the handset holds neither the old nor the asked book"};
    if (rig.observer.last_status() != "Disconnected") return {RunEnd::Wrong, "lost link not shown"};
  }
  return testing::judge(told, written, "the handset lacks the record", !told || !told->done() || told->entries == 1);
}

// One fault kind, with AutoReconnect off or on.
class PhoneBookFaults : public ::testing::TestWithParam<std::tuple<int, int>> {
 protected:
  void SetUp() override {
    fresh_settings();
    config().AutoReconnect = std::get<0>(GetParam());
  }
  template <typename Run>
  void run_kind(const char* what, Run run) {
    const FaultKind kind = testing::line_fault_kinds()[static_cast<std::size_t>(std::get<1>(GetParam()))];
    const SeedTally t = testing::run_seeds(kind, kSeeds, run);
    testing::print_tally(std::string(what) + (config().AutoReconnect ? ", AutoReconnect on" : ", AutoReconnect off"), t);
    EXPECT_EQ(t.wrong, 0) << "first: " << t.first_wrong;
    EXPECT_GT(t.completed, kSeeds / 10);
  }
};

TEST_P(PhoneBookFaults, ReadGivesACleanPrefixOrTheWholeBook) {
  std::vector<Row> clean;
  {
    Rig rig(filled_6110());
    ASSERT_TRUE(rig.connect());
    rig.run([&] { rig.commands->read_phone_book(); });
    clean = rows(rig.list());
  }
  ASSERT_EQ(clean.size(), 42u);
  run_kind("phone-book read", [&](const sim::FaultOptions& faults) { return read_run(faults, clean); });
}

TEST_P(PhoneBookFaults, WriteLeavesTheHandsetAsAskedOrSaysSo) { run_kind("Clear then Write", write_run); }

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

INSTANTIATE_TEST_SUITE_P(
    AutoReconnect, PhoneBookFaults,
    ::testing::Combine(::testing::Values(0, 1),
                       ::testing::Range(0, static_cast<int>(testing::line_fault_kinds().size()))),
    case_name);

}  // namespace
}  // namespace phondeck::e2e
