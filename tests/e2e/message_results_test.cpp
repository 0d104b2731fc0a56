// What each message operation reports when it ends: done with what it did,
// refused before it ran, failed where the handset refused, and cut off by
// the link with what it had done; a delete resumed after a reconnect counts
// only what the handset no longer holds.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "e2e_rig.h"
#include "organiser/message_family.h"
#include "organiser/messages_window.h"

namespace phondeck::e2e {
namespace {

struct ResultRig : Rig {
  using Rig::Rig;
  MessageRecords& records() { return session.organiser().messages(); }
  MessageFamily& family() { return session.organiser().message_family(); }
  sim::SmsMemory& memory() { return handset.state().sms; }
  StartOptions told() {
    StartOptions options;
    options.done = [this](const OperationResult& r) {
      result = r;
      ++results;
    };
    return options;
  }
  std::optional<OperationResult> result;
  int results = 0;
};

void compose(ResultRig& rig, const std::string& text) { fill_outgoing(rig.records().outgoing, encode_message_text(text)); }

StoredMessage stored(const std::string& text) {
  StoredMessage m;
  fill_outgoing(m.message, encode_message_text(text));
  return m;
}

TEST(MessageResults, EachOperationSaysHowItEnded) {
  struct Case {
    const char* name;
    bool connect;
    std::function<void(ResultRig&)> set_up;
    std::function<bool(ResultRig&)> start;  // with rig.told()
    Ending ending;
    Refusal refusal;
    int step, code, messages, refused;
    const char* message;  // the closing message box ("" none)
  };
  const std::vector<int> two_and_eight{2, 8};
  const std::vector<Case> cases{
      {"read", true, {}, [](ResultRig& r) { return start_message_read(r.engine(), r.family(), r.told()); },
       Ending::Done, Refusal::None, 0, -1, 9, 0, ""},
      {"read, not connected", false, {},
       [](ResultRig& r) { return start_message_read(r.engine(), r.family(), r.told()); }, Ending::Refused,
       Refusal::NotConnected, 0, -1, 0, 0, "Please establish connection first"},
      {"write", true, [](ResultRig& r) { compose(r, "Back at 7"); },
       [](ResultRig& r) { return start_message_write(r.engine(), r.told()); }, Ending::Done, Refusal::None, 0, -1, 1, 0,
       ""},
      {"write, not confirmed", true,
       [](ResultRig& r) {
         config().WriteConfirm = 1;
         r.prompt.answers = {false};
       },
       [](ResultRig& r) {
         MessagesWindowLogic window(r.engine(), r.family(), r.book, r.prompt);
         window.set_text("Back at 7");
         return window.write(r.told());
       },
       Ending::Refused, Refusal::UserSaidNo, 0, -1, 0, 0, ""},
      {"write, too long for one message", true, {},
       [](ResultRig& r) {
         MessagesWindowLogic window(r.engine(), r.family(), r.book, r.prompt);
         window.set_text(std::string(200, 'x'));
         return window.write(r.told());
       },
       Ending::Refused, Refusal::BadInput, 0, -1, 0, 0, "Write stores one message in the outbox, and this text needs 2. Shorten it to one message, or Send it."},
      {"write, memory full", true,
       [](ResultRig& r) {
         compose(r, "x");
         r.memory().capacity = r.memory().used();
       },
       [](ResultRig& r) { return start_message_write(r.engine(), r.told()); }, Ending::Failed, Refusal::None, 52, -1, 0,
       0, "Not enough memory on phone"},
      // The status says one location is free; the second message finds none.
      {"store, the second refused", true,
       [](ResultRig& r) {
         r.memory().put(sim::sms_slot(7, 1, "0100", "filler"));
         r.memory().capacity = 11;
       },
       [](ResultRig& r) {
         return start_messages_store(r.engine(), r.family(), {stored("one"), stored("two")}, r.told());
       },
       Ending::Failed, Refusal::None, 54, 0x06, 1, 1, ""},
      {"send, one recipient refused", true,
       [](ResultRig& r) {
         compose(r, "Hi");
         for (const char* phone : {"0401", "+99912", "0402"}) r.records().recipients.append(phone, "");
       },
       [](ResultRig& r) { return start_send_all(r.engine(), r.family(), r.told()); }, Ending::Done, Refusal::None, 0, -1,
       2, 1, ""},
      {"send, the message cannot go", true,
       [](ResultRig& r) {
         r.records().outgoing.refusal = "The length of message is too long";
         r.records().recipients.append("0401", "");
       },
       [](ResultRig& r) { return start_send_all(r.engine(), r.family(), r.told()); }, Ending::Refused,
       Refusal::BadInput, 0, -1, 0, 0, "The length of message is too long"},
      {"delete", true, {},
       [two_and_eight](ResultRig& r) { return start_message_delete(r.engine(), r.family(), two_and_eight, r.told()); },
       Ending::Done, Refusal::None, 0, -1, 2, 0, ""},
      // Location 12 holds nothing: the handset answers that it deleted nothing.
      {"delete, one not on the handset", true, {},
       [](ResultRig& r) { return start_message_delete(r.engine(), r.family(), {2, 12, 8}, r.told()); }, Ending::Failed,
       Refusal::None, 62, 0x0C, 2, 1, ""},
      {"delete while a read runs", true, {},
       [two_and_eight](ResultRig& r) {
         start_message_read(r.engine(), r.family());
         return start_message_delete(r.engine(), r.family(), two_and_eight, r.told());
       },
       Ending::Refused, Refusal::Busy, 0, -1, 0, 0, "Busy... Please wait"},
      {"delete, not confirmed", true, [](ResultRig& r) { r.prompt.answers = {false}; },
       [](ResultRig& r) {
         MessagesWindowLogic window(r.engine(), r.family(), r.book, r.prompt);
         window.select_folder(SmsFolder::Inbox);
         return window.delete_rows({0}, r.told());
       },
       Ending::Refused, Refusal::UserSaidNo, 0, -1, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fresh_settings(0);
    ResultRig rig;
    if (c.connect) {
      ASSERT_TRUE(rig.connect());
      rig.run([&] { start_message_read(rig.engine(), rig.family()); });
    }
    if (c.set_up) c.set_up(rig);
    const std::size_t held = rig.memory().messages.size();
    rig.prompt.messages.clear();
    const bool started = c.start(rig);
    rig.run_until_settled();
    ASSERT_EQ(rig.results, 1) << "told once";
    const OperationResult& r = *rig.result;
    EXPECT_EQ(started, c.ending != Ending::Refused);
    EXPECT_EQ(r.ending, c.ending) << describe(r);
    EXPECT_EQ(r.refusal, c.refusal);
    EXPECT_EQ(r.step, c.step);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.messages, c.messages);
    EXPECT_EQ(r.refused_items, c.refused);
    EXPECT_EQ(r.message, c.message);
    if (*c.message != '\0') {
      EXPECT_EQ(rig.prompt.messages, std::vector<std::string>{c.message}) << "shown once";
    }
    if (c.ending == Ending::Refused) {
      EXPECT_EQ(rig.memory().messages.size(), held) << "nothing changed";
    }
  }
}

// The line goes silent at points through a read and a delete: without a
// reconnect each reports the link lost at its step with what it kept; with
// one the delete goes on and counts exactly the messages gone, though
// messages waiting at the network take the freed locations.
TEST(MessageResults, ACutOffOperationCountsWhatItDid) {
  fresh_settings(0);
  sim::HandsetState state = demo_state("6110");
  // Every location to 11 taken: a message let in takes the one a delete freed.
  state.sms.put(sim::sms_slot(3, 1, "+358401111111", "Filler three"));
  state.sms.put(sim::sms_slot(7, 1, "+358402222222", "Filler seven"));
  for (int i = 1; i <= 2; ++i) state.sms.waiting.push_back(sim::sms_slot(0, 3, "+35840999000" + std::to_string(i), "New"));
  const std::vector<int> meant{1, 2, 4, 5};
  auto gone = [&meant, &state](const sim::SmsMemory& now) {
    int n = 0;
    for (const sim::SmsSlot& before : state.sms.messages) {
      if (std::find(meant.begin(), meant.end(), before.location) == meant.end()) continue;
      const sim::SmsSlot* at = now.at(before.location);
      n += at == nullptr || at->number != before.number || at->user_data != before.user_data;
    }
    return n;
  };
  // Where each operation runs on a clean line.
  std::int64_t read_at = 0, read_ms = 0, delete_at = 0, delete_ms = 0;
  {
    ResultRig rig(state);
    ASSERT_TRUE(rig.connect());
    read_at = rig.loop.now_ms();
    rig.run([&] { start_message_read(rig.engine(), rig.family()); });
    delete_at = rig.loop.now_ms();
    read_ms = delete_at - read_at;
    rig.run([&] { start_message_delete(rig.engine(), rig.family(), meant); });
    delete_ms = rig.loop.now_ms() - delete_at;
  }
  int lost_reads = 0, resumed = 0;
  for (int point = 1; point < 20; ++point) {
    SCOPED_TRACE(point);
    for (const int reconnect : {0, 1}) {
      config().AutoReconnect = reconnect;
      const bool in_read = !reconnect && point % 2 == 0;
      sim::FaultOptions faults;
      faults.silent_at_ms = (in_read ? read_at + read_ms * point / 20 : delete_at + delete_ms * point / 20);
      faults.silent_for_ms = reconnect ? 15000 : 0;
      ResultRig rig(state, {}, faults);
      ASSERT_TRUE(rig.connect());
      rig.run([&] { start_message_read(rig.engine(), rig.family(), rig.told()); });
      if (in_read) {
        ASSERT_TRUE(rig.result && rig.result->ending == Ending::LinkLost);
        EXPECT_GE(rig.result->step, static_cast<int>(MessageFamily::Step::ReadStatus));
        EXPECT_EQ(rig.result->messages, static_cast<int>(rig.records().store.size())) << "kept";
        lost_reads += rig.result->messages > 0;
        continue;
      }
      ASSERT_TRUE(rig.result && rig.result->done());
      rig.result.reset();
      rig.run([&] { start_message_delete(rig.engine(), rig.family(), meant, rig.told()); });
      ASSERT_TRUE(rig.result);
      const OperationResult& r = *rig.result;
      if (reconnect) {
        ASSERT_TRUE(r.done()) << describe(r);
        EXPECT_EQ(r.messages, 4);
        ++resumed;
      } else {
        ASSERT_EQ(r.ending, Ending::LinkLost) << describe(r);
        EXPECT_GE(r.step, static_cast<int>(MessageFamily::Step::DeleteRequest));
      }
      EXPECT_LE(r.messages, gone(rig.memory())) << "no more than the handset deleted";
    }
  }
  EXPECT_GT(lost_reads, 0);
  EXPECT_GT(resumed, 0);
  config().AutoReconnect = 0;
}

}  // namespace
}  // namespace phondeck::e2e
