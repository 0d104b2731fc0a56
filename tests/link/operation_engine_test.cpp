#include "link/operation_engine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/configuration.h"
#include "app/text_table.h"
#include "link/family_registration.h"
#include "link/phone_link.h"
#include "link/start_questions.h"
#include "link/step_router.h"
#include "link_fakes.h"

namespace phondeck {
namespace {

using testing::Bytes;
using testing::handset_ack;
using testing::handset_frame;

// Connect stand-in: opens the port, runs one status poll and finishes.
struct PollingConnect final : FamilyHandler {
  void send_phase(OperationEngine& engine) override {
    if (engine.step() == 1) {
      ++calls;
      if (engine.open_port_if_closed() != PortOpening::OpenedNow) {
        engine.reset();
        return;
      }
      engine.push(LinkState::Connecting, 2);
      engine.start_status_poll(0);
    } else {
      engine.set_end();
      engine.step_end();
    }
  }
  void reply_phase(OperationEngine&, const LinkFrame&) override {}
  int calls = 0;
};

// A feature operation of the phone-book family: step 11 resynchronises,
// step 12 sends one request of type 0x40 and ends on its reply.
struct OneExchange final : FamilyHandler {
  void send_phase(OperationEngine& engine) override {
    steps.push_back(engine.step());
    if (engine.step() == 11) {
      engine.push(LinkState::PhoneBook, 12);
      engine.start_resynchronise();
    } else if (engine.step() == 12) {
      const std::uint8_t payload[] = {0x00, 0x01, 0x64, 0x01};
      engine.frames().send_request(0x40, payload, 1);
    }
  }
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override {
    if (frame.type() != 0x40) return;
    engine.frames().acknowledge(0x40);
    engine.set_end();
  }
  std::vector<int> steps;
};

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : timer(clock) {
    config() = Configuration{};
    texts().load_english();
    fresh_link();
  }
  // A new link on a new port, as the fixture starts.
  void fresh_link() {
    link.reset();
    auto owned = std::make_unique<testing::FakePort>();
    port = owned.get();
    link = std::make_unique<PhoneLink>(std::move(owned), timer, clock, prompt, observer);
    timer.on_expiry = [this] { link->Timer1Timer(); };
    engine().register_family(LinkState::Connecting, &connect);
    engine().register_family(LinkState::PhoneBook, &book);
    link->set_up();
  }
  OperationEngine& engine() { return link->engine(); }
  void connect_idle() {
    link->Connect1Click();
    answer(0x04, 0x30);
    ASSERT_EQ(engine().state(), LinkState::Idle);
    port->clear_log();
  }
  void feed(const Bytes& bytes) {
    port->feed(bytes);
    link->Comm1RxChar(static_cast<std::uint32_t>(bytes.size()));
  }
  // Answers the request just written: acknowledgement, then a reply.
  void answer(std::uint8_t type, std::uint8_t reply_sequence, Bytes data = {0x00, 0x01, 0x00, 0x00}) {
    feed(handset_ack(type, 0x00));
    data.push_back(reply_sequence);
    feed(handset_frame(type, data));
  }

  testing::FakeClock clock;
  testing::VirtualTimer timer;
  testing::ScriptedPrompt prompt;
  testing::RecordingObserver observer;
  testing::FakePort* port = nullptr;
  std::unique_ptr<PhoneLink> link;
  PollingConnect connect;
  OneExchange book;
  const Operation read{LinkState::PhoneBook, 11, OperationParams{0, 1, 0, 0, 0}, false, {}, std::nullopt};
};

TEST_F(EngineTest, GuardsRefuseWhenNotConnectedOrBusy) {
  EXPECT_EQ(engine().guard_without_confirmation(read), 0);
  EXPECT_EQ(prompt.messages.back(), "Please establish connection first");
  engine().register_family(LinkState::Connecting, nullptr);
  link->Connect1Click();  // stays Connecting: no family answers
  EXPECT_EQ(engine().guard_with_confirmation(read), 0);
  EXPECT_EQ(prompt.messages.back(), "Please establish connection first");
  link->Connect1Click();
  EXPECT_EQ(prompt.messages.back(), "Connecting...");

  engine().register_family(LinkState::Connecting, &connect);
  link->Reset1Click();
  connect_idle();
  ASSERT_EQ(engine().guard_without_confirmation(read), 1);
  EXPECT_EQ(engine().state(), LinkState::Resynchronise);
  EXPECT_EQ(engine().guard_without_confirmation(read), 0);
  EXPECT_EQ(prompt.messages.back(), "Busy... Please wait");
}

TEST_F(EngineTest, WriteQuestionsAreTheStartersAndANoRefusesTheWrite) {
  connect_idle();
  prompt.answers = {false};
  Operation write = read;
  write.confirmed = ask_write_confirmation(engine(), prompt);
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions.back(), "Are you sure to write into the phone ?");
  std::optional<OperationResult> told;
  write.done = [&told](const OperationResult& r) { told = r; };
  EXPECT_EQ(engine().guard_with_confirmation(write), 0);
  ASSERT_TRUE(told);
  EXPECT_EQ(told->refusal, Refusal::UserSaidNo);
  EXPECT_TRUE(port->written.empty());

  // Off: nothing asked, the write goes; the guard itself never asks.
  config().WriteConfirm = 0;
  prompt.questions.clear();
  EXPECT_FALSE(ask_write_confirmation(engine(), prompt));
  EXPECT_EQ(engine().guard_with_confirmation(read), 1);
  EXPECT_TRUE(prompt.questions.empty());
}

TEST_F(EngineTest, ModelCheckRefusesBeforeAnyFrame) {
  connect_idle();
  engine().info().model = "5110";
  Operation tone{LinkState::Media, 11, std::nullopt, true, {}, std::nullopt};
  EXPECT_EQ(engine().guard_without_confirmation(tone), 0);
  EXPECT_EQ(prompt.messages.back(), "No such function in this phone");
  EXPECT_TRUE(port->written.empty());
  EXPECT_EQ(engine().state(), LinkState::Idle);
}

TEST_F(EngineTest, OperationBeginsWithResynchroniseAndReturnsToIdle) {
  connect_idle();
  ASSERT_EQ(engine().guard_without_confirmation(read), 1);
  EXPECT_EQ(engine().depth(), 1);  // the read waits under the resynchronise
  // Setting 1 burst (256 x 0x55), then the second status request.
  ASSERT_EQ(port->written.size(), 256u + 14u);
  const Bytes status(port->written.begin() + 256, port->written.begin() + 268);
  EXPECT_EQ(status, (Bytes{0x1E, 0x00, 0x0C, 0x04, 0x00, 0x06, 0x00, 0x01, 0x00, 0x03, 0x01, 0x43}));
  port->clear_log();
  answer(0x04, 0x41);
  EXPECT_EQ(engine().state(), LinkState::PhoneBook);
  EXPECT_EQ(engine().step(), 12);
  EXPECT_EQ(engine().depth(), 0);
  EXPECT_EQ(engine().params().p1, 1);  // its own parameters, as the command set them
  ASSERT_EQ(port->written.size(), 10u + 14u);  // our acknowledgement, then the request
  port->written.erase(port->written.begin(), port->written.begin() + 10);
  answer(0x40, 0x42);
  EXPECT_EQ(engine().state(), LinkState::Idle);
  EXPECT_EQ(book.steps, (std::vector<int>{11, 12}));
  EXPECT_FALSE(timer.running());
}

TEST_F(EngineTest, NoBurstOnInfraredOrWhenNestedTwoDeep) {
  connect_idle();
  link->frames().set_media(0);
  engine().start_resynchronise();
  EXPECT_EQ(port->written.size(), 14u);
  link->frames().set_media(1);
  engine().push(LinkState::PhoneBook, 12);
  engine().push(LinkState::PhoneBook, 13);
  port->clear_log();
  engine().start_resynchronise();
  EXPECT_EQ(port->written.size(), 14u);
}

// Step 12 asks for record p1 (type 0x40) and takes each reply as that
// record, with the reply's data byte 3 as its content; two records.
struct Records final : FamilyHandler {
  void send_phase(OperationEngine& engine) override {
    const std::uint8_t payload[] = {0x00, 0x01, 0x64, static_cast<std::uint8_t>(engine.params().p1)};
    engine.frames().send_request(0x40, payload, 1);
  }
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override {
    if (frame.type() != 0x40) return;
    taken.emplace_back(engine.params().p1, frame.data(3));
    engine.frames().acknowledge(0x40);
    if (++engine.params().p1 > 2) engine.set_end();
  }
  std::vector<std::pair<int, int>> taken;
};

TEST_F(EngineTest, StepSentAfreshTakesOneAnswerAndFlushesTheOtherBeforeTheNextStep) {
  Records records;
  engine().register_family(LinkState::Calendar, &records);
  connect_idle();
  engine().start(Operation{LinkState::Calendar, 12, OperationParams{0, 1, 0, 0, 0}, false, {}, std::nullopt}, 0);
  feed(handset_ack(0x40, 0x42));
  timer.advance(8000);  // retransmitted twice, then sent afresh
  port->clear_log();
  // The handset answers the first sending, then the fresh one; our
  // acknowledgement of the fresh one comes last.
  feed(handset_frame(0x40, {0x00, 0x01, 0x00, 0xA1, 0x41}));
  feed(handset_frame(0x40, {0x00, 0x01, 0x00, 0xB1, 0x42}));
  EXPECT_EQ(port->written.size(), 20u);  // both acknowledged
  feed(handset_ack(0x40, 0x43));
  // Before record 2: a status request, whose answer comes after every late one.
  ASSERT_EQ(port->written.size(), 20u + 14u);
  EXPECT_EQ(Bytes(port->written.begin() + 23, port->written.begin() + 30),
            (Bytes{0x04, 0x00, 0x06, 0x00, 0x01, 0x00, 0x03}));
  feed(handset_frame(0x40, {0x00, 0x01, 0x00, 0xC1, 0x43}));
  answer(0x04, 0x44);
  EXPECT_EQ(engine().params().p1, 2);
  answer(0x40, 0x45, {0x00, 0x01, 0x00, 0xD2});
  EXPECT_EQ(records.taken, (std::vector<std::pair<int, int>>{{1, 0xA1}, {2, 0xD2}}));
  EXPECT_EQ(engine().state(), LinkState::Idle);
}

TEST_F(EngineTest, AutoReconnectOnlyForALinkLostDuringAnOperation) {
  config().AutoReconnect = 1;
  connect_idle();
  link->Reset1Click();
  EXPECT_EQ(port->opens, 1);
  port->open_result = 2;  // a connect that fails does not try again
  link->Connect1Click();
  EXPECT_EQ(port->opens, 2);
  port->open_result = 0;
  link->Connect1Click();
  answer(0x04, 0x31);
  engine().guard_without_confirmation(read);
  answer(0x04, 0x41);
  engine().status_text("Working");
  timer.advance(10000);  // step 12 goes unanswered: reconnect, poll, resume
  EXPECT_EQ(port->opens, 4);
  EXPECT_EQ(engine().state(), LinkState::StatusPoll);
  port->clear_log();
  answer(0x04, 0x42);
  EXPECT_EQ(engine().state(), LinkState::PhoneBook);
  EXPECT_EQ(engine().step(), 12);
  EXPECT_EQ(port->written[10 + 3], 0x40);  // after our acknowledgement
  // The operation's own text again once it goes on.
  EXPECT_EQ(std::vector<std::string>(observer.statuses.end() - 3, observer.statuses.end()),
            (std::vector<std::string>{"Working", "Disconnected", "Working"}));
}

TEST_F(EngineTest, UnansweredRequestRetriesThenSendsAfreshThenResets) {
  connect_idle();
  engine().guard_without_confirmation(read);
  port->clear_log();
  const std::int64_t t0 = clock.now;
  std::vector<std::pair<std::int64_t, Bytes>> writes;
  for (int second = 1; second <= 12; ++second) {
    timer.advance(1000);
    if (!port->written.empty()) writes.emplace_back(clock.now - t0, port->written);
    port->clear_log();
  }
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].first, 4000);
  EXPECT_EQ(writes[1].first, 6000);
  EXPECT_EQ(writes[1].second, writes[0].second);
  EXPECT_EQ(writes[2].first, 8000);
  // The fresh send: the same request with the next sequence byte.
  const Bytes& fresh = writes[2].second;
  ASSERT_EQ(fresh.size(), 14u);
  EXPECT_EQ(Bytes(fresh.begin(), fresh.begin() + 11), Bytes(writes[0].second.begin(), writes[0].second.begin() + 11));
  EXPECT_EQ(writes[0].second[11], 0x43);
  EXPECT_EQ(fresh[11], 0x44);
  EXPECT_EQ(engine().state(), LinkState::Disconnected);
  EXPECT_EQ(observer.statuses.back(), "Disconnected");
  EXPECT_FALSE(port->is_open());
  EXPECT_EQ(engine().depth(), 0);
}

TEST_F(EngineTest, HandsetNoticesDoNotHoldOffTheRetransmissionsAndTheReset) {
  connect_idle();
  engine().guard_without_confirmation(read);
  port->clear_log();
  // The request goes unanswered while the handset keeps reporting its network.
  std::uint8_t sequence = 0x40;
  bool retransmitted = false;
  for (int i = 0; i < 10 && engine().state() != LinkState::Disconnected; ++i) {
    timer.advance(1500);
    retransmitted = retransmitted || port->written.size() > 10;
    feed(handset_frame(0x0D, {0x00, 0x01, 0x00, 0x20, sequence}));
    sequence = static_cast<std::uint8_t>(0x40 | ((sequence + 1) & 0x07));
    port->clear_log();
  }
  EXPECT_TRUE(retransmitted);
  EXPECT_EQ(engine().state(), LinkState::Disconnected);
}

TEST_F(EngineTest, IdleTimerPollsAtTheSecondExpiryAfterAnUnsolicitedMessage) {
  connect_idle();
  timer.advance(10000);
  EXPECT_TRUE(port->written.empty());  // nothing runs the timer in Idle
  feed(handset_frame(0x0D, {0x00, 0x01, 0x00, 0x20, 0x43}));
  port->clear_log();
  timer.advance(2000);
  EXPECT_TRUE(port->written.empty());
  timer.advance(2000);
  EXPECT_EQ(engine().state(), LinkState::StatusPoll);
  ASSERT_EQ(port->written.size(), 14u);
  EXPECT_EQ(Bytes(port->written.begin() + 6, port->written.begin() + 11), (Bytes{0x00, 0x01, 0x00, 0x01, 0x01}));
  // Signal level is data byte 5, battery data byte 8.
  answer(0x04, 0x44, {0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x04});
  EXPECT_EQ(engine().info().signal, 3);
  EXPECT_EQ(engine().info().battery, 4);
  EXPECT_EQ(engine().state(), LinkState::Idle);
  EXPECT_EQ(engine().tick_count(), 0);
}

TEST_F(EngineTest, FiveExpiriesWithoutAnExchangeResetEvenInIdle) {
  connect_idle();
  feed(handset_frame(0x0D, {0x00, 0x01, 0x00, 0x20, 0x43}));
  timer.advance(9999);
  EXPECT_NE(engine().state(), LinkState::Disconnected);
  timer.advance(1);
  EXPECT_EQ(engine().state(), LinkState::Disconnected);
}

TEST_F(EngineTest, CommandDuringThePollWaitsAndASecondIsRefused) {
  connect_idle();
  engine().start_status_poll(0);
  ASSERT_EQ(engine().state(), LinkState::StatusPoll);
  EXPECT_EQ(engine().guard_without_confirmation(read), 1);
  EXPECT_TRUE(engine().has_pending());
  EXPECT_EQ(engine().guard_without_confirmation(read), 0);
  EXPECT_EQ(prompt.messages.back(), "Busy... Please wait");
  port->clear_log();
  answer(0x04, 0x41);
  EXPECT_FALSE(engine().has_pending());
  EXPECT_EQ(engine().state(), LinkState::Resynchronise);
  EXPECT_EQ(book.steps, (std::vector<int>{11}));
}

TEST_F(EngineTest, AgainFlagLoopsWithinOneStepEnd) {
  struct Again final : FamilyHandler {
    void send_phase(OperationEngine& engine) override {
      if (++calls < 4) engine.set_again();
    }
    void reply_phase(OperationEngine&, const LinkFrame&) override {}
    int calls = 0;
  } again;
  connect_idle();
  engine().register_family(LinkState::Calendar, &again);
  engine().start(Operation{LinkState::Calendar, 1, std::nullopt, false, {}, std::nullopt}, 0);
  again.calls = 0;
  engine().step_end();
  EXPECT_EQ(again.calls, 4);
}

TEST_F(EngineTest, StackHoldsTenLevelsAndRefusesTheEleventh) {
  connect_idle();
  for (int level = 0; level < OperationEngine::kStackLevels; ++level) {
    EXPECT_EQ(engine().push(LinkState::Messages, 10 + level), 1);
    engine().params().p0 = level;
  }
  EXPECT_EQ(engine().push(LinkState::Calendar, 99), 0);
  EXPECT_EQ(engine().depth(), 10);
  EXPECT_EQ(engine().params().p0, 9);
  // Unwinding restores each saved level in turn.
  engine().operation_end();
  EXPECT_EQ(engine().state(), LinkState::Messages);
  EXPECT_EQ(engine().step(), 19);
  EXPECT_EQ(engine().params().p0, 8);
}

TEST_F(EngineTest, StepThatSendsNothingStillEndsInAReset) {
  struct Silent final : FamilyHandler {
    void send_phase(OperationEngine&) override {}
    void reply_phase(OperationEngine&, const LinkFrame&) override {}
  } silent;
  connect_idle();
  engine().register_family(LinkState::Clock, &silent);
  engine().start(Operation{LinkState::Clock, 2, std::nullopt, false, {}, std::nullopt}, 0);
  engine().step_end();
  EXPECT_TRUE(timer.running());
  timer.advance(10000);
  EXPECT_EQ(engine().state(), LinkState::Disconnected);
}

TEST_F(EngineTest, RepeatedReplyKeepsTheNextRequestUnderTheTimer) {
  connect_idle();
  engine().guard_without_confirmation(read);
  const Bytes resync_reply = handset_frame(0x04, {0x00, 0x01, 0x00, 0x04, 0x41});
  feed(handset_ack(0x04, 0x42));
  feed(resync_reply);
  ASSERT_EQ(engine().step(), 12);
  ASSERT_TRUE(timer.running());
  feed(resync_reply);  // our acknowledgement was lost; the handset repeats
  EXPECT_TRUE(timer.running());
  timer.advance(10000);
  EXPECT_EQ(engine().state(), LinkState::Disconnected);
}

TEST_F(EngineTest, ReplyWhoseAcknowledgementIsLostCompletesOnTheRetransmission) {
  connect_idle();
  engine().guard_without_confirmation(read);
  port->clear_log();
  // The reply overtakes the handset's acknowledgement, which is then lost.
  feed(handset_frame(0x04, {0x00, 0x01, 0x00, 0x04, 0x41}));
  EXPECT_EQ(port->written.size(), 10u);
  EXPECT_TRUE(timer.running());
  EXPECT_EQ(engine().state(), LinkState::Resynchronise);
  timer.advance(4000);
  ASSERT_EQ(port->written.size(), 10u + 14u);  // the request again, same bytes
  // The handset drops the repeated request and only acknowledges it.
  feed(handset_ack(0x04, 0x03));
  EXPECT_EQ(engine().state(), LinkState::PhoneBook);
  EXPECT_EQ(engine().step(), 12);
  EXPECT_EQ(engine().tick_count(), 0);
}

TEST_F(EngineTest, ResetClearsTheLinkAndHandsetTexts) {
  connect_idle();
  engine().info().imei = "490518101234567";
  engine().memory()[1].capacity = 30;
  feed(handset_frame(0x0D, {0x00, 0x01, 0x00, 0x20, 0x43}));
  link->Reset1Click();
  EXPECT_TRUE(engine().info().imei.empty());
  EXPECT_EQ(engine().memory()[1].capacity, 200);
  EXPECT_EQ(link->frames().sequence_counter(), 0x41);
  EXPECT_EQ(link->frames().flags().connected, 0);
  EXPECT_FALSE(timer.running());
  EXPECT_EQ(observer.last_position, 0);
  port->clear_log();
  const Bytes later = handset_frame(0x0D, {0x00, 0x01, 0x00, 0x20, 0x44});
  link->frames().receive(later.data(), later.size());
  EXPECT_TRUE(port->written.empty());  // a disconnected link answers nothing
}

TEST_F(EngineTest, WindowHandlersForwardBytesLineErrorsAndNetworkDetails) {
  connect_idle();
  Bytes details(18, 0x00);
  details[3] = 0x71;
  details[14] = 0x64;
  details[15] = 0xF6;
  details[16] = 0x10;
  details[17] = 0x45;
  port->feed(handset_frame(0x0A, details));
  link->handle_message(kMsgBytesArrived, 8);  // the frame arrives in two notices
  EXPECT_EQ(observer.mcc, -1);
  link->handle_message(kMsgBytesArrived, 30);
  EXPECT_EQ(observer.mcc, 466);
  EXPECT_EQ(engine().info().mnc, 1);

  link->handle_message(kMsgLineError, 12);
  EXPECT_TRUE(prompt.messages.empty());
  config().ShowComError = 1;
  link->handle_message(kMsgLineError, 12);
  EXPECT_EQ(prompt.messages.back(), "COM error: Undefined error");

  link->Reset1Click();
  port->feed({0x1E});
  link->Comm1RxChar(1);
  EXPECT_EQ(port->inbox.size(), 1u);  // a closed port is not read
}

// Two families never share a step; a family that leaves takes only its own
// place with it, whoever registered after it.
TEST_F(EngineTest, RegistrationsRefuseOverlapsAndLeaveOnlyTheirOwnPlace) {
  StepRouter router;
  OneExchange a;
  OneExchange b;
  FamilyRegistration first(router, 71, 83, a);
  const struct {
    int first, last;
  } refused[] = {{71, 83}, {60, 71}, {83, 90}, {75, 76}, {60, 99}, {95, 94}};
  for (const auto& r : refused) {
    EXPECT_THROW(FamilyRegistration(router, r.first, r.last, b), std::invalid_argument) << r.first << ".." << r.last;
  }
  {
    FamilyRegistration second(router, 84, 90, b);
    EXPECT_EQ(router.handler_for(83), &a);
    EXPECT_EQ(router.handler_for(84), &b);
  }
  EXPECT_EQ(router.handler_for(84), nullptr);
  EXPECT_EQ(router.handler_for(71), &a);

  OneExchange replacement;
  {
    auto leaving = std::make_unique<FamilyRegistration>(engine(), LinkState::Calendar, a);
    FamilyRegistration later(engine(), LinkState::Calendar, replacement);
    leaving.reset();  // replaced already: leaves the later one in place
    connect_idle();
    ASSERT_TRUE(engine().start(Operation{LinkState::Calendar, 11, std::nullopt, false, {}, std::nullopt}, 0));
    EXPECT_EQ(replacement.steps, std::vector<int>{11});
  }
  engine().start(Operation{LinkState::Calendar, 11, std::nullopt, false, {}, std::nullopt}, 0);
  EXPECT_EQ(replacement.steps, std::vector<int>{11});  // gone with its registration
  EXPECT_TRUE(a.steps.empty());
}


namespace {

// Each start's completion: told once, with the result and the link state then.
struct Told {
  std::vector<OperationResult> results;
  std::vector<LinkState> states;
  OperationEngine* engine = nullptr;
  Completion completion() {
    return [this](const OperationResult& r) {
      results.push_back(r);
      states.push_back(engine->state());
    };
  }
};

}  // namespace

TEST_F(EngineTest, EveryStartIsToldOnceHowItEnded) {
  struct Case {
    const char* name;
    // Runs the scenario; the operation under test starts with `told`'s completion.
    std::function<void(Told&)> run;
    Ending ending;
    Refusal refusal;
    int step;  // Failed and LinkLost: the step
    LinkState told_in;  // the link state when the completion ran
  };
  const auto start_read = [this](Told& told) {
    Operation op = read;
    op.done = told.completion();
    return engine().guard_without_confirmation(op);
  };
  const std::vector<Case> cases{
      {"refused at once, not connected",
       [&](Told& told) { EXPECT_FALSE(start_read(told)); }, Ending::Refused, Refusal::NotConnected, 0,
       LinkState::Disconnected},
      {"refused at once, busy",
       [&](Told& told) {
         connect_idle();
         Operation other = read;
         ASSERT_TRUE(engine().guard_without_confirmation(other));
         EXPECT_FALSE(start_read(told));
       },
       Ending::Refused, Refusal::Busy, 0, LinkState::Resynchronise},
      {"refused at once, the user said no",
       [&](Told& told) {
         connect_idle();
         Operation op = read;
         op.done = told.completion();
         op.confirmed = false;
         EXPECT_FALSE(engine().guard_with_confirmation(op));
         EXPECT_TRUE(port->written.empty());
       },
       Ending::Refused, Refusal::UserSaidNo, 0, LinkState::Idle},
      {"done, once Idle",
       [&](Told& told) {
         connect_idle();
         start_read(told);
         answer(0x04, 0x41);
         EXPECT_TRUE(told.results.empty());  // not while the exchange runs
         answer(0x40, 0x42);
       },
       Ending::Done, Refusal::None, 0, LinkState::Idle},
      {"queued behind the poll, done once it ran",
       [&](Told& told) {
         connect_idle();
         engine().start_status_poll(0);
         start_read(told);
         answer(0x04, 0x41);  // the poll ends, the queued read starts
         EXPECT_TRUE(told.results.empty());
         answer(0x04, 0x42);
         answer(0x40, 0x43);
       },
       Ending::Done, Refusal::None, 0, LinkState::Idle},
      {"link lost, AutoReconnect off",
       [&](Told& told) {
         connect_idle();
         start_read(told);
         answer(0x04, 0x41);
         timer.advance(10000);
       },
       Ending::LinkLost, Refusal::None, 12, LinkState::Disconnected},
      {"link lost in the resynchronise: the step the operation waits at",
       [&](Told& told) {
         connect_idle();
         start_read(told);
         timer.advance(10000);
       },
       Ending::LinkLost, Refusal::None, 12, LinkState::Disconnected},
      {"link lost, AutoReconnect on: told for the resumed operation",
       [&](Told& told) {
         config().AutoReconnect = 1;
         connect_idle();
         start_read(told);
         answer(0x04, 0x41);
         timer.advance(10000);  // reconnect, poll, resume
         EXPECT_TRUE(told.results.empty());
         answer(0x04, 0x42);  // the reconnect's poll
         ASSERT_EQ(engine().state(), LinkState::PhoneBook);
         answer(0x40, 0x43);
       },
       Ending::Done, Refusal::None, 0, LinkState::Idle},
      {"queued, then Link > Reset",
       [&](Told& told) {
         connect_idle();
         engine().start_status_poll(0);
         start_read(told);
         link->Reset1Click();
       },
       Ending::LinkLost, Refusal::None, 0, LinkState::Disconnected},
      {"Link > Reset while running",
       [&](Told& told) {
         config().AutoReconnect = 1;  // a reset is never resumed
         connect_idle();
         start_read(told);
         answer(0x04, 0x41);
         link->Reset1Click();
       },
       Ending::LinkLost, Refusal::None, 12, LinkState::Disconnected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    config() = Configuration{};
    fresh_link();
    prompt.messages.clear();
    Told told;
    told.engine = &engine();
    c.run(told);
    // Nothing more comes later: a poll, a reconnect, a reset.
    timer.advance(20000);
    link->Reset1Click();
    ASSERT_EQ(told.results.size(), 1u);
    const OperationResult& r = told.results[0];
    EXPECT_EQ(r.ending, c.ending) << describe(r);
    EXPECT_EQ(r.refusal, c.refusal);
    if (c.ending == Ending::LinkLost) {
      EXPECT_EQ(r.step, c.step);
    }
    if (c.ending != Ending::Refused) {
      EXPECT_EQ(r.family, LinkState::PhoneBook);
    }
    EXPECT_EQ(told.states[0], c.told_in);
  }
}

}  // namespace
}  // namespace phondeck
