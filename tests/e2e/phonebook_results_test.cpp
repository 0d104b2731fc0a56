// What each phone-book operation reports against the virtual handset: done
// with its counts, refused before anything went out (and why), failed when
// the handset refused, and a link cut part-way with what was done by then;
// the questions asked by the starter as the main window asks them.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "e2e_rig.h"
#include "link/phonebook_family.h"
#include "link/phonebook_questions.h"
#include "link/message_types.h"

namespace phondeck::e2e {
namespace {

// A SIM of 6 with entries at 2 and 5.
sim::HandsetState small_sim() {
  sim::HandsetState s = demo_state("6110");
  s.sim = sim::Memory{};
  s.sim.capacity = 6;
  for (int i : {2, 5}) {
    const std::string name = "Old " + std::to_string(i);
    s.sim.put({i, Bytes(name.begin(), name.end()), "20" + std::to_string(i), 0});
  }
  return s;
}

void add(Rig& r, std::vector<PhoneBookEntry> entries) {
  for (PhoneBookEntry& e : entries) r.book.active().append(std::move(e));
}

enum class Op { Read, ClearThenWrite, WriteAll };

// Starts the operation as the main window does: its questions first.
bool start(Op op, Rig& r, StartOptions o) {
  switch (op) {
    case Op::Read: return start_phone_book_read(r.engine(), std::move(o));
    case Op::ClearThenWrite:
      o.confirmed = ask_clear_then_write(r.engine(), r.prompt);
      return start_clear_then_write(r.engine(), std::move(o));
    case Op::WriteAll: {
      const WriteAllAnswers answers = ask_write_all(r.engine(), r.prompt, r.book.active());
      return start_write_all(r.engine(), r.book.active(), answers, std::move(o.done));
    }
  }
  return false;
}

struct Case {
  const char* name;
  sim::HandsetState state;
  std::function<void(Rig&)> before;  // the list, the answers
  Op op;
  bool connect;
  bool cut;  // the handset falls silent for good in the middle (AutoReconnect off)
  Ending ending;
  Refusal refusal;
  int code;
  int entries;  // -1: some, fewer than the clean run's
  int refused_items;
  std::string message;  // the closing message box ("" none; for a cut Write All the count)
  std::vector<std::string> questions;
};

struct Outcome {
  std::optional<OperationResult> result;
  std::int64_t from = 0;  // when it started and settled, in virtual time
  std::int64_t to = 0;
};

Outcome run_case(const Case& c, const sim::FaultOptions& faults) {
  fresh_settings();
  Rig rig(c.state, {}, faults);
  if (c.connect) {
    EXPECT_TRUE(rig.connect());
  }
  c.before(rig);
  Outcome out;
  int told = 0;
  StartOptions options;
  options.done = [&](const OperationResult& r) {
    ++told;
    out.result = r;
  };
  out.from = rig.loop.now_ms();
  start(c.op, rig, std::move(options));
  rig.run_until_settled(600000);
  out.to = rig.loop.now_ms();
  EXPECT_EQ(told, 1);
  EXPECT_EQ(rig.prompt.questions, c.questions);
  // A read's count is what its list holds, cut short or not.
  if (out.result && c.op == Op::Read) {
    EXPECT_EQ(static_cast<std::size_t>(out.result->entries), rig.list().size());
  }
  // The message box the result carries is the one shown.
  if (out.result) {
    const std::string& m = out.result->message;
    EXPECT_EQ(rig.prompt.messages, m.empty() ? std::vector<std::string>{} : std::vector<std::string>{m});
  }
  return out;
}

TEST(PhoneBookResults, EachOperationSaysHowItEnded) {
  const auto nothing = [](Rig&) {};
  const std::string replace = "Replace the handset's phone book?";
  const std::string first = "Sure to write to the first record ?";
  const std::vector<Case> cases{
      {"read: done", filled_6110(), nothing, Op::Read, true, false, Ending::Done, Refusal::None, -1, 42, 0, "", {}},
      {"read: not connected", filled_6110(), nothing, Op::Read, false, false, Ending::Refused, Refusal::NotConnected, -1,
       0, 0, "Please establish connection first", {}},
      {"read: the link cut part-way", filled_6110(), nothing, Op::Read, true, true, Ending::LinkLost, Refusal::None, -1, -1,
       0, "", {}},
      {"clear then write: done", small_sim(),
       [](Rig& r) { add(r, {entry("Anna", "0401", "SIM", "")}); }, Op::ClearThenWrite, true, false, Ending::Done,
       Refusal::None, -1, 1, 0, "", {first}},
      {"clear then write: the user said no", small_sim(),
       [](Rig& r) {
         add(r, {entry("Anna", "0401", "SIM", "")});
         r.prompt.answers = {false};
       },
       Op::ClearThenWrite, true, false, Ending::Refused, Refusal::UserSaidNo, -1, 0, 0, "", {first}},
      {"write all: done", small_sim(),
       [](Rig& r) {
         add(r, {entry("Anna", "0401", "SIM", "1"), entry("Bert", "0402", "SIM", ""), entry("Cleo", "0403", "SIM", "5")});
         r.prompt.answers = {false};
       },
       Op::WriteAll, true, false, Ending::Done, Refusal::None, -1, 3, 0, "", {replace}},
      {"write all: asked to write first, said no", small_sim(),
       [](Rig& r) {
         config().WriteConfirm = 1;
         add(r, {entry("Anna", "0401", "SIM", "1")});
         r.prompt.answers = {false};
       },
       Op::WriteAll, true, false, Ending::Refused, Refusal::UserSaidNo, -1, 0, 0, "",
       {"Are you sure to write into the phone ?"}},
      {"write all: two entries at one position", small_sim(),
       [](Rig& r) { add(r, {entry("Anna", "0401", "SIM", "3"), entry("Bert", "0402", "SIM", "3")}); }, Op::WriteAll,
       true, false, Ending::Refused, Refusal::BadInput, -1, 0, 0, "Anna and Bert are both at SIM 3; nothing was written.",
       {}},
      {"write all: one entry refused", small_sim(),
       [](Rig& r) {
         add(r, {entry("Anna", "0401", "SIM", "1"), entry("Long", "123456789012345678901", "SIM", "3")});
         r.prompt.answers = {false};
       },
       Op::WriteAll, true, false, Ending::Done, Refusal::None, -1, 1, 1,
       "Write All (1 of 2 written)\nThese entries were not written into the phone:\nLong: number too long", {replace}},
      {"write all: the handset refuses every entry",
       [] {
         sim::HandsetState s = small_sim();
         s.sim.storable = 2;
         return s;
       }(),
       [](Rig& r) {
         add(r, {entry("Anna", "0401", "SIM", "1"), entry("Bert", "0402", "SIM", "3")});
         r.prompt.answers = {false};
       },
       Op::WriteAll, true, false, Ending::Failed, Refusal::None, kRefusedMemoryFull, 0, 2,
       "Write All (0 of 2 written)\nThese entries were not written into the phone:\nAnna: Not enough memory on "
       "phone\nBert: Not enough memory on phone",
       {replace}},
      {"write all: replacing with an import that took nothing", small_sim(),
       [](Rig& r) { r.book.active().set_import_note(ImportNote{"a.vcf", 0, {"Anna: no number"}}); }, Op::WriteAll, true,
       false, Ending::Refused, Refusal::BadInput, -1, 0, 0,
       "a.vcf holds no entry the phone can take; nothing was written.\nAnna: no number", {replace}},
      {"write all: replacing, the import left one out, said no", small_sim(),
       [](Rig& r) {
         add(r, {entry("Anna", "0401", "SIM", "1")});
         r.book.active().set_import_note(ImportNote{"a.vcf", 1, {"Bert: no number"}});
         r.prompt.answers = {true, false};
       },
       Op::WriteAll, true, false, Ending::Refused, Refusal::UserSaidNo, -1, 0, 0, "",
       {replace, "1 contacts of a.vcf were left out. Replace the handset's phone book with the 1 entries of the "
                 "list?\nBert: no number"}},
      {"write all: the link cut part-way", small_sim(),
       [](Rig& r) {
         add(r, {entry("Anna", "0401", "SIM", "1"), entry("Bert", "0402", "SIM", "3"), entry("Cleo", "0403", "SIM", "4"),
                 entry("Dora", "0404", "SIM", "6")});
         r.prompt.answers = {false};
       },
       Op::WriteAll, true, true, Ending::LinkLost, Refusal::None, -1, -1, 0, "", {replace}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::FaultOptions faults;
    int whole = 0;
    if (c.cut) {
      // A clean run tells when the operation runs and what it does in all.
      const Outcome clean = run_case(c, {});
      ASSERT_TRUE(clean.result && clean.result->done());
      whole = clean.result->entries;
      faults.silent_at_ms = (clean.from + 3 * clean.to) / 4;
    }
    const Outcome got = run_case(c, faults);
    ASSERT_TRUE(got.result);
    const OperationResult& r = *got.result;
    EXPECT_EQ(r.ending, c.ending) << describe(r);
    EXPECT_EQ(r.refusal, c.refusal);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.refused_items, c.refused_items);
    if (c.ending != Ending::Refused) {
      EXPECT_EQ(r.family, LinkState::PhoneBook);
    }
    if (c.ending == Ending::Failed) {
      EXPECT_EQ(r.step, static_cast<int>(PhoneBookFamily::Step::WriteAllEntry));
    }
    if (c.entries >= 0) {
      EXPECT_EQ(r.entries, c.entries);
      EXPECT_EQ(r.message, c.message);
      continue;
    }
    // Cut part-way: some done, not all, at a step of the operation.
    EXPECT_GT(r.entries, 0);
    EXPECT_LT(r.entries, whole);
    EXPECT_GT(r.step, static_cast<int>(PhoneBookFamily::Step::MemoryStatus));
    EXPECT_EQ(r.message, c.op == Op::WriteAll ? "Write All (" + std::to_string(r.entries) + " of 4 written)" : "");
  }
}

}  // namespace
}  // namespace phondeck::e2e
