// Messages against the virtual handset: reading inbox and outbox with empty
// locations and messages longer than a frame, writing into the outbox,
// sending to several recipients with one refused, the message centre,
// deleting, and reads and sends under line faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <set>

#include "e2e_rig.h"
#include "organiser/long_message.h"
#include "organiser/message_family.h"
#include "organiser/messages_window.h"
#include "organiser/sms_sending.h"
#include "support/seed_runs.h"

namespace phondeck::e2e {
namespace {

struct MessageRig : Rig {
  using Rig::Rig;
  // Options whose completion keeps the result in `result`.
  StartOptions told() {
    StartOptions options;
    options.done = [this](const OperationResult& r) { result = r; };
    return options;
  }
  std::optional<OperationResult> result;
  MessageRecords& records() { return session.organiser().messages(); }
  MessageFamily& family() { return session.organiser().message_family(); }
  sim::SmsMemory& memory() { return handset.state().sms; }
  void compose(const std::string& text) { fill_outgoing(records().outgoing, encode_message_text(text)); }
  void compose_in_parts(const std::string& text) { ASSERT_TRUE(fill_outgoing_text(records().outgoing, text, 0x17)); }
};

using Message = std::vector<std::string>;  // Phone, Time, Stamp, Text, Type, Pos
Message message(const SmsRecord& r) { return {r.Phone, r.Time, r.Stamp, r.Text, r.Type, r.Pos}; }

const std::vector<Message>& demo_messages() {
  static const std::vector<Message> expected{
      {"+358401234567", "26.12.08 09:30:00", "2026-12-08T09:30:00+02:00", "Call me when you land.", "1", "1"},
      {"0401112223", "26.12.08 09:30:00", "2026-12-08T09:30:00+02:00",
       "Caf\u00e9 at six? Bring the tickets, and the umbrella: rain all evening, so we may change plans.", "3", "2"},
      {"+886912345678", "26.12.08 09:30:00", "2026-12-08T09:30:00+08:00", "\u4f60\u597d\uff0c\u660e\u5929\u898b\u3002", "3", "4"},
      {"0100", "26.12.08 09:30:00", "2026-12-08T09:30:00+02:00", "On way!", "1", "5"},
      {"+358401234568", "26.12.08 09:30:00", "2026-12-08T09:30:00+02:00",
       "Long news from home: the cat is fine, the garden is full of snow, the car starts again and we will call "
       "on Sunday evening around eight. Love, Dad",
       "1", "6"},
      {"0401112223", "", "", "See you tomorrow at the station.", "5", "8"},
      {"", "", "", "Draft: buy milk and bread", "7", "9"},
      {"+358401234569", "26.12.08 09:30:00", "2026-12-08T09:30:00+02:00", "Meeting notes: budget approved, office opens in March. ", "1", "10"},
      {"+358401234569", "26.12.08 09:30:00", "2026-12-08T09:30:00+02:00", "Party on Friday at six.", "1", "11"},
  };
  return expected;
}

// Read-message requests on the line (the PC writes in pieces).
int read_requests(const std::vector<LineWrite>& writes) {
  Bytes line;
  for (const LineWrite& w : writes) line.insert(line.end(), w.bytes.begin(), w.bytes.end());
  const Bytes head{0x1E, 0x00, 0x0C, 0x02, 0x00, 0x0A, 0x00, 0x01, 0x00, 0x07};
  int n = 0;
  for (auto it = line.begin(); (it = std::search(it, line.end(), head.begin(), head.end())) != line.end(); ++it) ++n;
  return n;
}

// One run of a read under faults: every message that arrived is the clean
// read's, once and in order; a completed read has them all.
::testing::AssertionResult read_run_ok(const MessageStore& store, bool completed) {
  const std::vector<Message>& clean = demo_messages();
  if (store.size() > clean.size()) return ::testing::AssertionFailure() << store.size() << " messages";
  for (std::size_t i = 0; i < store.size(); ++i) {
    if (message(store.at(i)) != clean[i]) return ::testing::AssertionFailure() << "message " << i << " differs";
  }
  if (completed && store.size() != clean.size()) return ::testing::AssertionFailure() << "read completed short";
  return ::testing::AssertionSuccess();
}

// One run of a send under faults: nobody got the message twice; every row
// answered says what the handset did.
// A message in parts: no part twice, and "Succeeded" only with every part.
::testing::AssertionResult send_run_ok(const sim::SmsMemory& memory, const RecipientList& list, bool completed,
                                       std::size_t parts = 1) {
  std::map<std::string, std::set<int>> seen;
  for (const sim::SentSms& sent : memory.sent) {
    const int part = (sent.first_octet & 0x40) != 0 && sent.user_data.size() > 5 ? sent.user_data[5] : 1;
    if (!seen[sent.number].insert(part).second) {
      return ::testing::AssertionFailure() << "part " << part << " sent twice to " << sent.number;
    }
  }
  for (const Recipient& row : list.rows()) {
    const bool refused = row.Phone.rfind("+999", 0) == 0;
    if (row.Result == "Succeeded" && (refused || seen[row.Phone].size() != parts))
      return ::testing::AssertionFailure() << row.Phone << " shown as sent";
    if (completed && row.Result.empty()) return ::testing::AssertionFailure() << row.Phone << " has no result";
  }
  return ::testing::AssertionSuccess();
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override { fresh_settings(0); }  // Multi-byte off: UCS-2 still shown as text
};

// A handset may give 0 for its location count: then locations are read
// until the stored messages are found or it answers that the memory ended.
TEST_F(Messages, ReadsInboxAndOutboxSkippingEmptyLocations) {
  struct Case {
    bool count_locations;
    bool unknown_status;  // a stored message of a status no folder shows
    int requests;
  };
  for (const Case c : {Case{true, false, 11}, Case{false, false, 11}, Case{false, true, 12}}) {
    SCOPED_TRACE(::testing::Message() << c.count_locations << c.unknown_status);
    MessageRig rig;
    rig.memory().capacity = 11;
    rig.memory().count_locations = c.count_locations;
    if (c.unknown_status) rig.memory().put(sim::sms_slot(3, 2, "0100", "status 2"));
    ASSERT_TRUE(rig.connect());
    int refreshes = 0;
    rig.family().set_read_listener([&] { ++refreshes; });
    rig.run([&] { start_message_read(rig.engine(), rig.family()); });
    ASSERT_EQ(rig.state(), LinkState::Idle);
    const MessageStore& store = rig.records().store;
    ASSERT_EQ(store.size(), demo_messages().size());
    for (std::size_t i = 0; i < store.size(); ++i) EXPECT_EQ(message(store.at(i)), demo_messages()[i]) << i;
    EXPECT_EQ(store.at(1).Abstract, "Caf\u00e9 at six? Bring t");
    EXPECT_EQ(store.at(0).SMSC, "+358405202000");
    EXPECT_EQ(store.folder(SmsFolder::Inbox).size(), 7u);
    EXPECT_EQ(store.folder(SmsFolder::Outbox), (std::vector<std::size_t>{5, 6}));
    // The message in parts: one row, its missing part shown as a gap.
    const std::vector<JoinedMessage> inbox = store.joined(SmsFolder::Inbox);
    ASSERT_EQ(inbox.size(), 6u);
    EXPECT_EQ(inbox[5].mark(), "[2/3]");
    EXPECT_EQ(inbox[5].text,
              "Meeting notes: budget approved, office opens in March. [part 2 missing] Party on Friday at six.");
    // Reading stops at the last stored message, or where the memory ends.
    EXPECT_EQ(read_requests(rig.line->writes), c.requests);
    EXPECT_EQ(rig.observer.last_status(), "Read Messages (Completed)");
    EXPECT_EQ(refreshes, 1);
  }
}

TEST_F(Messages, WriteLandsInTheOutboxAndIsReadBack) {
  MessageRig rig;
  ASSERT_TRUE(rig.connect());
  rig.compose("Back at 7, keep dinner warm");
  rig.run([&] { start_message_write(rig.engine()); });
  ASSERT_EQ(rig.state(), LinkState::Idle);
  const sim::SmsSlot* slot = rig.memory().at(3);  // the first free location
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot->status, 7);
  EXPECT_EQ(slot->number, "");
  EXPECT_EQ(slot->smsc, "+358405202000");
  EXPECT_EQ(slot->length, 27);
  EXPECT_EQ(rig.observer.last_status(), "Read Messages (Completed)");
  EXPECT_TRUE(rig.observer.saw("Write Messages (Completed)"));
  const MessageStore& store = rig.records().store;
  ASSERT_EQ(store.size(), demo_messages().size() + 1);
  EXPECT_EQ(message(store.at(2)), (Message{"", "", "", "Back at 7, keep dinner warm", "7", "3"}));

  // A full memory takes nothing.
  rig.memory().capacity = rig.memory().used();
  rig.run([&] { start_message_write(rig.engine()); });
  EXPECT_EQ(rig.prompt.messages.back(), "Not enough memory on phone");
  EXPECT_EQ(rig.memory().used(), 10);
}

TEST_F(Messages, SendsToEveryRowOrTheSelectedOnesAndShowsRefusals) {
  MessageRig rig;
  ASSERT_TRUE(rig.connect());
  rig.compose("Gr\u00fc\u00dfe");
  rig.records().validity = 197;
  RecipientList& list = rig.records().recipients;
  list.append("0401", "A");
  list.append("+99912", "Refused");
  list.append("0402", "B");
  rig.run([&] { start_send_all(rig.engine(), rig.family()); });
  ASSERT_EQ(rig.state(), LinkState::Idle);
  std::vector<std::string> results;
  for (const Recipient& r : list.rows()) results.push_back(r.Result);
  EXPECT_EQ(results,
            (std::vector<std::string>{"Succeeded", "Failed: the handset refused it (answer 03 00)", "Succeeded"}));
  ASSERT_EQ(rig.memory().sent.size(), 3u);
  const sim::SentSms& first = rig.memory().sent[0];
  EXPECT_EQ(first.number, "0401");
  EXPECT_EQ(first.smsc, "+358405202000");
  EXPECT_EQ(first.coding, 0x08);
  EXPECT_EQ(first.length, 10);
  EXPECT_EQ(first.validity, 197);
  EXPECT_EQ(first.user_data, (Bytes{0x00, 'G', 0x00, 'r', 0x00, 0xFC, 0x00, 0xDF, 0x00, 'e'}));
  EXPECT_EQ(rig.observer.last_status(), "Send SMS (Completed)");
  EXPECT_FALSE(rig.family().sending());

  // Rows 2 and 4 of 5, the fourth removed while the send runs.
  list.clear();
  rig.memory().sent.clear();
  std::vector<std::uint64_t> ids;
  for (const char* phone : {"01", "02", "03", "04", "05"}) ids.push_back(list.append(phone, ""));
  ASSERT_TRUE(start_send_selected(rig.engine(), rig.family(), {ids[1], ids[3]}));
  rig.run_until_settled();
  ASSERT_EQ(rig.memory().sent.size(), 2u);
  EXPECT_EQ(rig.memory().sent[0].number, "02");
  EXPECT_EQ(rig.memory().sent[1].number, "04");
  list.clear_results();
  rig.memory().sent.clear();
  ASSERT_TRUE(start_send_selected(rig.engine(), rig.family(), {ids[1], ids[3]}));
  list.remove(ids[3]);
  rig.run_until_settled();
  ASSERT_EQ(rig.memory().sent.size(), 1u);
  EXPECT_EQ(rig.memory().sent[0].number, "02");
  EXPECT_EQ(list.rows()[1].Result, "Succeeded");
  EXPECT_EQ(list.rows()[3].Result, "");

  // An empty list completes at once.
  list.clear();
  rig.run([&] { start_send_all(rig.engine(), rig.family()); });
  EXPECT_EQ(rig.observer.last_status(), "Send SMS (Completed)");
}

// A text in parts: each part its own message with the concatenation header;
// a refused part stops that recipient's other parts and fails the row.
TEST_F(Messages, LongTextGoesInPartsAndARefusedPartStopsTheRest) {
  MessageRig rig;
  ASSERT_TRUE(rig.connect());
  const std::string text = std::string(152, 'x') + "[" + std::string(40, 'y');  // 194 septets
  rig.compose_in_parts(text);
  rig.records().recipients.append("0401", "");
  rig.records().recipients.append("+9991", "");
  rig.records().recipients.append("0402", "");
  rig.run([&] { start_send_all(rig.engine(), rig.family()); });
  const std::vector<sim::SentSms>& sent = rig.memory().sent;
  ASSERT_EQ(sent.size(), 5u);
  std::vector<std::string> to;
  for (const sim::SentSms& s : sent) to.push_back(s.number + "/" + std::to_string(s.user_data.at(5)));
  EXPECT_EQ(to, (std::vector<std::string>{"0401/1", "0401/2", "+9991/1", "0402/1", "0402/2"}));
  for (const sim::SentSms& s : sent) {
    EXPECT_EQ(s.first_octet, 0x51);
    EXPECT_EQ(sim::Bytes(s.user_data.begin(), s.user_data.begin() + 5), (sim::Bytes{0x05, 0x00, 0x03, 0x17, 0x02}));
  }
  EXPECT_EQ(sent[0].length, 7 + 152);  // the escaped "[" goes whole into part 2
  EXPECT_EQ(sent[1].length, 7 + 2 + 40);
  EXPECT_TRUE(send_run_ok(rig.memory(), rig.records().recipients, true, 2));
  const auto& rows = rig.records().recipients.rows();
  EXPECT_EQ(rows[0].Result, "Succeeded");
  EXPECT_EQ(rows[1].Result, "Failed: the handset refused part 1 of 2 (answer 03 00)");
  EXPECT_EQ(rows[2].Result, "Succeeded");
}

TEST_F(Messages, MessageCentreIsReadWrittenAndUsedForEverySend) {
  MessageRig rig;
  ASSERT_TRUE(rig.connect());
  rig.run([&] { start_smsc_read(rig.engine()); });
  EXPECT_EQ(rig.records().message_centre, "+358405202000");
  config().SMSC = 2;
  config().SMSCNumber[1] = "+4412345678";
  // Only the number changes: the centre's other fields stay as the handset had them.
  const sim::Bytes settings{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10};
  const sim::Bytes name{'W', 'o', 'r', 'k', 0x00};
  rig.memory().centre_settings = settings;
  rig.memory().centre_name = name;
  rig.run([&] { start_smsc_write(rig.engine()); });
  EXPECT_EQ(rig.memory().smsc, "+4412345678");
  EXPECT_EQ(rig.memory().centre_settings, settings);
  EXPECT_EQ(rig.memory().centre_name, name);
  EXPECT_EQ(rig.records().message_centre, "+4412345678");
  EXPECT_EQ(rig.observer.last_status(), "Set SMSC (Completed)");

  // With a setting chosen, sends use it whatever the handset holds.
  rig.memory().smsc = "+111";
  rig.compose("x");
  rig.records().recipients.append("0401", "");
  rig.run([&] { start_send_all(rig.engine(), rig.family()); });
  ASSERT_EQ(rig.memory().sent.size(), 1u);
  EXPECT_EQ(rig.memory().sent[0].smsc, "+4412345678");

  // A setting that does not fit the field is refused before anything goes out.
  config().SMSCNumber[1] = "+1234567890123456789012";
  rig.run([&] { start_send_all(rig.engine(), rig.family()); });
  EXPECT_EQ(rig.memory().sent.size(), 1u);
  EXPECT_EQ(rig.prompt.messages.back(), "The number +1234567890123456789012 is too long (at most 20 digits)");
  EXPECT_EQ(rig.state(), LinkState::Idle);
}

TEST_F(Messages, DeleteRemovesFromTheHandsetAndRereads) {
  MessageRig rig;
  ASSERT_TRUE(rig.connect());
  rig.run([&] { start_message_delete(rig.engine(), rig.family(), {2, 8, 12}); });
  ASSERT_EQ(rig.state(), LinkState::Idle);
  // The answers name no location: each is taken for the one delete sent.
  int deletes = 0;
  for (const PcFrame& f : pc_frames(rig.line->writes)) deletes += f.type == 0x14 && f.data.size() > 3 && f.data[3] == 0x0A;
  EXPECT_EQ(deletes, 3);
  EXPECT_EQ(rig.memory().at(2), nullptr);
  EXPECT_EQ(rig.memory().at(8), nullptr);
  EXPECT_EQ(rig.memory().used(), 7);
  EXPECT_TRUE(rig.observer.saw("Delete Messages (Completed)"));
  std::vector<std::string> positions;
  for (const SmsRecord& r : rig.records().store.records()) positions.push_back(r.Pos);
  EXPECT_EQ(positions, (std::vector<std::string>{"1", "4", "5", "6", "9", "10", "11"}));
}

// A full memory with messages waiting at the network: each delete lets one
// in at the location it freed. A delete whose answer was lost (a fresh send,
// or a reconnect) must not take the newcomer: under every line fault,
// AutoReconnect off and on, no message is deleted but the ones meant.
TEST_F(Messages, ADeleteSentAgainTakesOnlyTheMessageMeant) {
  using testing::RunEnd;
  using testing::RunResult;
  sim::HandsetState state = demo_state("6110");
  state.sms.put(sim::sms_slot(3, 1, "+358401111111", "Filler three"));
  state.sms.put(sim::sms_slot(7, 1, "+358402222222", "Filler seven"));
  for (int i = 1; i <= 3; ++i) {
    sim::SmsSlot slot = sim::sms_slot(0, 3, "+35840999000" + std::to_string(i), "New " + std::to_string(i));
    slot.stamp = {0x62, 0x21, 0x90, 0x11, 0x00, static_cast<std::uint8_t>(i << 4), 0x00};
    state.sms.waiting.push_back(slot);
  }
  const std::vector<int> meant{2, 3, 5};
  auto text_of = [](const sim::SmsSlot& s) { return s.number + "|" + std::string(s.user_data.begin(), s.user_data.end()); };
  std::multiset<std::string> kept, gone;
  for (const sim::SmsSlot& s : state.sms.messages) {
    (std::find(meant.begin(), meant.end(), s.location) != meant.end() ? gone : kept).insert(text_of(s));
  }
  for (const sim::SmsSlot& s : state.sms.waiting) kept.insert(text_of(s));
  for (const int reconnect : {0, 1}) {
    config().AutoReconnect = reconnect;
    for (const testing::FaultKind& kind : testing::line_fault_kinds()) {
      const testing::SeedTally t = testing::run_seeds(kind, 1000, [&](const sim::FaultOptions& faults) {
        MessageRig rig(state, {}, faults);
        if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
        rig.run([&] { start_message_read(rig.engine(), rig.family(), rig.told()); });
        if (!rig.result || !rig.result->done() || rig.records().store.size() != state.sms.messages.size()) {
          return RunResult{RunEnd::Reset, {}};
        }
        rig.result.reset();
        rig.run([&] { start_message_delete(rig.engine(), rig.family(), meant, rig.told()); });
        std::multiset<std::string> held;
        for (const sim::SmsSlot& s : rig.memory().messages) held.insert(text_of(s));
        for (const sim::SmsSlot& s : rig.memory().waiting) held.insert(text_of(s));  // not let in yet
        for (const std::string& m : kept) {
          if (held.count(m) < kept.count(m)) return RunResult{RunEnd::Wrong, "deleted " + m};
        }
        int deleted = 0;
        bool all_gone = true;
        for (const std::string& m : gone) {
          deleted += held.count(m) == 0;
          all_gone = all_gone && held.count(m) == 0;
        }
        return testing::judge(rig.result, all_gone, "kept a message meant",
                              !rig.result || rig.result->messages <= deleted,
                              "more messages reported deleted than are gone");
      });
      testing::print_tally(std::string("message delete, AutoReconnect ") + (reconnect ? "on" : "off"), t);
      EXPECT_EQ(t.wrong, 0) << kind.name << ": " << t.first_wrong;
      if (reconnect) {
        EXPECT_GT(t.completed, 0) << kind.name;
      }
    }
  }
}

TEST_F(Messages, WindowsKeepTheRowsWhileASendRunsAndExportTheFolder) {
  MessageRig rig;
  ASSERT_TRUE(rig.connect());
  MessagesWindowLogic messages(rig.engine(), rig.family(), rig.book, rig.prompt);
  rig.family().set_read_listener([&] { messages.rebuild(); });
  rig.run([&] { messages.read(); });
  messages.select_folder(SmsFolder::Outbox);
  EXPECT_EQ(messages.export_text(),
            "Phone: 0401112223\nName: \n\nSee you tomorrow at the station.\n\n"
            "Phone: \nName: \n\nDraft: buy milk and bread\n\n");
  messages.set_text("x\U0001F600");
  EXPECT_FALSE(messages.send());
  EXPECT_EQ(rig.prompt.messages.back(), "The phone cannot show these characters: \U0001F600");
  messages.set_text("ok");
  ASSERT_TRUE(messages.send());

  SmsSendingLogic sending(rig.engine(), rig.family(), rig.book, rig.prompt);
  for (const char* phone : {"01", "02", "03"}) sending.add(99, phone);
  sending.add(99, "123456789012345678901");  // fails on its own row
  ASSERT_TRUE(sending.send_all());
  EXPECT_FALSE(sending.remove({0}));
  EXPECT_FALSE(sending.clear_list());
  rig.run_until_settled();
  EXPECT_EQ(rig.memory().sent.size(), 3u);
  std::vector<std::string> results;
  for (const Recipient& r : sending.rows()) results.push_back(r.Result);
  EXPECT_EQ(results, (std::vector<std::string>{"Succeeded", "Succeeded", "Succeeded",
                                               "Failed: The number 123456789012345678901 is too long (at most 20 digits)"}));
  EXPECT_TRUE(sending.clear_list());
}

struct FaultCase {
  const char* name;
  sim::FaultOptions faults;
  int auto_reconnect = 0;
};

std::vector<FaultCase> fault_cases() {
  sim::FaultOptions loss, corrupt, dup, stray, silence;
  loss.drop_in = loss.drop_out = 0.10;
  corrupt.corrupt = 0.10;
  dup.duplicate = 0.20;
  stray.stray = 0.20;
  silence.silent_for_ms = 15000;  // long enough for a reset; AutoReconnect on
  const sim::FaultOptions noise = testing::line_fault_kinds().back().faults;
  return {{"loss", loss},   {"corruption", corrupt}, {"duplicates", dup}, {"stray", stray},
          {"silence, reconnecting", silence, 1}, {"byte noise", noise}, {"byte noise, reconnecting", noise, 1}};
}

TEST_F(Messages, UnderFaultsEveryMessageIsReadOnceAndNobodyGetsTwo) {
  for (const FaultCase& fault : fault_cases()) {
    int complete = 0, reset = 0, no_connect = 0, unseen = 0;
    for (std::uint32_t seed = 1; seed <= 1000; ++seed) {
      SCOPED_TRACE(std::string(fault.name) + " seed " + std::to_string(seed));
      sim::FaultOptions faults = fault.faults;
      faults.seed = seed;
      config().AutoReconnect = fault.auto_reconnect;
      // A run that noise passed a changed frame through the checksums is told apart.
      const long unseen_before = sim::frames_past_the_checksums();
      auto past_the_checksums = [&](bool ok) { return !ok && sim::frames_past_the_checksums() != unseen_before; };
      if (faults.silent_for_ms > 0) faults.silent_at_ms = 750 + seed % 220;  // connected at 747 ms, sent by 960
      MessageRig rig(demo_state("6110"), {}, faults);
      if (!rig.connect()) {
        ++no_connect;
        continue;
      }
      rig.run([&] { start_message_read(rig.engine(), rig.family(), rig.told()); });
      const bool read_done = rig.result && rig.result->done();
      const ::testing::AssertionResult read_ok = read_run_ok(rig.records().store, read_done);
      if (past_the_checksums(read_ok)) {
        ++unseen;
        continue;
      }
      ASSERT_TRUE(read_ok);
      if (!rig.connect()) {
        ++reset;
        continue;
      }
      rig.compose_in_parts(std::string(200, 'p'));
      for (const char* phone : {"0401", "+99912", "0402", "0403"}) rig.records().recipients.append(phone, "");
      rig.result.reset();
      rig.run([&] { start_send_all(rig.engine(), rig.family(), rig.told()); });
      const bool send_done = rig.result && rig.result->done();
      const ::testing::AssertionResult send_ok = send_run_ok(rig.memory(), rig.records().recipients, send_done, 2);
      if (past_the_checksums(send_ok)) {
        ++unseen;
        continue;
      }
      ASSERT_TRUE(send_ok);
      (read_done && send_done ? complete : reset) += 1;
    }
    std::cout << "[ faults   ] messages " << fault.name << ": " << complete << " complete, " << reset << " reset, "
              << no_connect << " failed to connect, " << unseen << " past the checksums\n";
    EXPECT_GT(complete, 0) << fault.name;
  }
}

}  // namespace
}  // namespace phondeck::e2e
