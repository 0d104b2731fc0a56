// Caller-group, operator and startup graphics against the virtual handset:
// groups read over several frames and one written back, the operator logo
// with its network code, the startup graphic read, edited and written in
// five frames, the phone reset, the operator logo sent in two parts, the
// real serial path on a pseudo-terminal, and all of it under line faults.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>

#include "e2e_rig.h"
#include "media/graphics_messages.h"
#include "media/graphics_windows.h"
#include "organiser/graphics_sms.h"
#include "organiser/message_family.h"
#include "sim/embedded_port.h"
#include "sim/realtime_loop.h"
#include "support/seed_runs.h"

namespace phondeck::e2e {
namespace {

struct GraphicsRig : Rig {
  explicit GraphicsRig(sim::HandsetState state = demo_state("6110"), sim::HandsetOptions options = {},
                       sim::FaultOptions faults = {})
      : Rig(std::move(state), options, faults) {
    media().graphics_records().listeners.add([this](GraphicsEvent e) { events.push_back(e); });
  }
  MediaFamilies& media() { return session.media(); }
  GraphicsFamily& graphics() { return media().graphics(); }
  StartupGraphicFamily& startup() { return media().startup_graphic(); }
  sim::GraphicsState& handset_graphics() { return handset.state().graphics; }
  bool heard(GraphicsEvent e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
  std::vector<GraphicsEvent> events;
};

MonoBitmap xor_edit(MonoBitmap picture) {
  for (int y = 0; y < picture.height(); y += 3) {
    for (int x = y % 5; x < picture.width(); x += 7) picture.set(x, y, !picture.get(x, y));
  }
  return picture;
}

std::vector<PcFrame> frames_of(const GraphicsRig& rig, std::uint8_t type) {
  std::vector<PcFrame> out;
  for (const PcFrame& f : pc_frames(rig.line->writes)) {
    if (f.type == type) out.push_back(f);
  }
  return out;
}

class Graphics : public ::testing::Test {
 protected:
  void SetUp() override { fresh_settings(); }
};

// Frames of 60 bytes: every group record takes three frames, is stored once
// and moves the progress bar once. Group 3's picture, edited, goes back.
TEST_F(Graphics, GroupsOverThreeFramesThenOneWrittenBack) {
  sim::HandsetOptions options;
  options.frame_payload = 60;
  GraphicsRig rig(demo_state("6110"), options);
  ASSERT_TRUE(rig.connect());
  rig.run([&] { ASSERT_TRUE(start_group_read(rig.engine(), rig.graphics(), GroupReadPurpose::Graphics)); });
  ASSERT_EQ(rig.state(), LinkState::Idle);
  EXPECT_EQ(rig.observer.last_status(), "Read Group (Completed)");
  EXPECT_EQ(rig.observer.highest, 5);
  EXPECT_EQ(rig.events, std::vector<GraphicsEvent>{GraphicsEvent::GroupsRead});
  const CallerGroupTable& table = rig.media().caller_groups();
  EXPECT_EQ(table.purpose, GroupReadPurpose::Graphics);
  const std::vector<std::string> names{"Family", "VIP", "\u670B\u53CB", "Colleagues", "Other"};
  for (int g = 0; g < kCallerGroups; ++g) {
    SCOPED_TRACE(g);
    const sim::CallerGroup& held = rig.handset.state().groups[static_cast<std::size_t>(g)];
    EXPECT_EQ(table.at(g).display_name(), names[static_cast<std::size_t>(g)]);
    EXPECT_TRUE(std::equal(table.at(g).logo.begin(), table.at(g).logo.end(), held.logo.begin()));
  }

  const MonoBitmap edited = xor_edit(table.at(3).picture());
  rig.run([&] { ASSERT_TRUE(start_group_graphic_write(rig.engine(), rig.graphics(), edited)); });
  EXPECT_EQ(rig.observer.last_status(), "Write Graphic (Completed)");
  EXPECT_TRUE(rig.heard(GraphicsEvent::GroupGraphicWritten));
  EXPECT_EQ(rig.handset_graphics().received_logo, packRows(edited));
  const std::vector<PcFrame> uploads = frames_of(rig, 0x12);
  ASSERT_EQ(uploads.size(), 1u);
  Bytes expected{0x0C, 0x01};
  const Bytes message = group_graphic_message(edited);
  expected.insert(expected.end(), message.begin(), message.end());
  EXPECT_EQ(Bytes(uploads[0].data.begin(), uploads[0].data.end() - 2), expected);
}

// Write into Group from the window's logic: the chosen group gets the
// picture with its name (plain or UCS-2) and ringing tone as the handset had
// them, the others stay as they were, and the group is read back. Refused on
// a 5110 with nothing sent.
std::string logo_write_fault(const sim::HandsetState& before, const sim::HandsetState& after, int group,
                             const MonoBitmap& picture) {
  for (int g = 0; g < kCallerGroups; ++g) {
    const sim::CallerGroup& was = before.groups[static_cast<std::size_t>(g)];
    const sim::CallerGroup& now = after.groups[static_cast<std::size_t>(g)];
    if (now.name != was.name || now.ringtone != was.ringtone) return "group " + std::to_string(g) + ": name or tone";
    const bool as_was = now.logo == was.logo && now.logo_on == was.logo_on;
    const bool as_asked = now.logo == packRows(picture) && now.logo_on;
    if (g == group ? !(as_was || as_asked) : !as_was) return "group " + std::to_string(g) + ": logo";
  }
  return {};
}

TEST_F(Graphics, WriteIntoGroupKeepsNameAndToneAndReadsTheGroupBack) {
  sim::HandsetState state = demo_state("6110");
  state.groups[3].ringtone = 0x14;
  state.groups[3].logo_on = false;
  const MonoBitmap picture = xor_edit(unpackRows(state.groups[0].logo));
  for (const int group : {2, 3}) {  // a UCS-2 name; a tone of its own with the logo off
    SCOPED_TRACE(group);
    GraphicsRig rig(state);
    ASSERT_TRUE(rig.connect());
    GroupGraphicsLogic logic(rig.engine(), rig.media(), rig.prompt);
    logic.editor().paste(picture);
    ASSERT_EQ(logic.picture(), picture);
    int shown = -1;
    logic.on_group_written = [&](int g) { shown = g; };
    rig.run([&] { ASSERT_TRUE(logic.write_into_group(group)); });
    EXPECT_EQ(rig.observer.last_status(), "Write Group (Completed)");
    EXPECT_EQ(shown, group);
    const sim::CallerGroup& held = rig.handset.state().groups[static_cast<std::size_t>(group)];
    EXPECT_EQ(held.logo, packRows(picture));
    EXPECT_TRUE(held.logo_on);
    EXPECT_EQ(logo_write_fault(state, rig.handset.state(), group, picture), "");
    EXPECT_EQ(rig.media().caller_groups().at(group).picture(), picture);  // as read back
    int writes = 0;
    for (const PcFrame& f : frames_of(rig, 0x03)) writes += f.data.size() > 4 && f.data[3] == 0x13 ? 1 : 0;
    EXPECT_EQ(writes, 1);
  }

  GraphicsRig old(demo_state("5110"));
  ASSERT_TRUE(old.connect());
  GroupGraphicsLogic logic(old.engine(), old.media(), old.prompt);
  const std::size_t sent = old.line->writes.size();
  EXPECT_FALSE(logic.write_into_group(1));
  EXPECT_EQ(old.prompt.messages.back(), "No such function in this phone");
  EXPECT_EQ(old.line->writes.size(), sent);
}

TEST_F(Graphics, OperatorLogoAndNetworkCodeReadThenWritten) {
  GraphicsRig rig;
  ASSERT_TRUE(rig.connect());
  const sim::GraphicsState before = rig.handset_graphics();
  rig.run([&] { ASSERT_TRUE(start_system_logo_read(rig.engine(), rig.graphics())); });
  EXPECT_EQ(rig.observer.last_status(), "Read Graphic (Completed)");
  const OperatorLogo& logo = rig.media().graphics_records().operator_logo;
  EXPECT_TRUE(logo.read);
  EXPECT_EQ(packRows(logo.picture), before.operator_logo);
  EXPECT_EQ(logo.mcc, before.logo_mcc);
  EXPECT_EQ(logo.mnc, before.logo_mnc);
  EXPECT_TRUE(std::equal(before.operator_logo.begin(), before.operator_logo.end(),
                         rig.media().caller_groups().at(0).logo.begin()));

  rig.handset.state().mcc = 262;
  rig.handset.state().mnc = 7;
  rig.run([&] { ASSERT_TRUE(start_network_code_read(rig.engine(), rig.graphics())); });
  EXPECT_TRUE(rig.heard(GraphicsEvent::NetworkCodeRead));
  rig.loop.run_for(500);  // the report follows the request's acknowledgement
  EXPECT_EQ(rig.engine().info().mcc, 262);
  EXPECT_EQ(rig.engine().info().mnc, 7);

  const MonoBitmap edited = xor_edit(logo.picture);
  rig.run([&] { ASSERT_TRUE(start_system_logo_write(rig.engine(), rig.graphics(), edited, 466, 92)); });
  EXPECT_EQ(rig.observer.last_status(), "Write Graphic (Completed)");
  EXPECT_TRUE(rig.heard(GraphicsEvent::SystemLogoWritten));
  EXPECT_EQ(rig.handset_graphics().operator_logo, packRows(edited));
  EXPECT_EQ(rig.handset_graphics().logo_mcc, 466);
  EXPECT_EQ(rig.handset_graphics().logo_mnc, 92);
  const std::vector<PcFrame> writes = frames_of(rig, 0x05);
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(Bytes(writes.back().data.begin() + 3, writes.back().data.begin() + 8), (Bytes{0x30, 0x00, 0x64, 0xF6, 0x29}));
}

// Read, XOR-edit and write back; then an all-clear picture, whose five
// frames carry 118 + 120 + 120 + 120 + 32 of the 510 bytes.
TEST_F(Graphics, StartupGraphicReadEditedAndWrittenInFiveFrames) {
  GraphicsRig rig;
  ASSERT_TRUE(rig.connect());
  rig.run([&] { ASSERT_TRUE(start_startup_read(rig.engine(), rig.startup())); });
  EXPECT_EQ(rig.observer.last_status(), "Read Startup Graphic (Completed)");
  const GraphicsRecords& records = rig.media().graphics_records();
  ASSERT_TRUE(records.startup_read);
  EXPECT_EQ(packBands(records.startup), rig.handset_graphics().startup);

  const MonoBitmap edited = xor_edit(records.startup);
  rig.run([&] { ASSERT_TRUE(start_startup_write(rig.engine(), rig.startup(), edited)); });
  EXPECT_EQ(rig.observer.last_status(), "Write Startup Graphic (Completed)");
  EXPECT_EQ(rig.handset_graphics().startup, packBands(edited));
  EXPECT_NE(packBands(edited), packBands(records.startup));

  rig.line->writes.clear();
  rig.run([&] { start_startup_write(rig.engine(), rig.startup(), MonoBitmap(kStartupWidth, kStartupHeight)); });
  EXPECT_EQ(rig.handset_graphics().startup, Bytes(kStartupBytes, 0x00));
  std::vector<PcFrame> frames = frames_of(rig, 0x05);
  ASSERT_EQ(frames.size(), 5u);
  const std::size_t sizes[] = {122, 122, 122, 122, 34};
  for (std::size_t k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    const Bytes& d = frames[k].data;
    ASSERT_EQ(d.size(), sizes[k]);
    EXPECT_EQ(d[d.size() - 2], 5 - k);
    if (k > 0) {
      // The counter runs 0x40..0x47; these frames keep its low four bits.
      EXPECT_EQ(d.back(), (0x40 + (frames[0].data.back() - 0x40 + k) % 8) & 0x0F);
    }
  }
  EXPECT_EQ(Bytes(frames[0].data.begin(), frames[0].data.begin() + 8),
            (Bytes{0x00, 0x01, 0x00, 0x18, 0x01, 0x01, 0x30, 0x54}));

  GraphicsRig five(demo_state("5110"));
  ASSERT_TRUE(five.connect());
  EXPECT_FALSE(start_startup_read(five.engine(), five.startup()));
  EXPECT_FALSE(start_group_read(five.engine(), five.graphics(), GroupReadPurpose::Graphics));
  EXPECT_EQ(five.prompt.messages, (std::vector<std::string>{"No such function in this phone",
                                                            "No such function in this phone"}));
}

// The handset answers 64 01 with 00 01 64 01 00 and restarts on 64 03; the
// link carries on after its silence.
TEST_F(Graphics, ResetPhoneAdvancesOnTheHandsetsAnswerAndTheLinkCarriesOn) {
  GraphicsRig rig;
  ASSERT_TRUE(rig.connect());
  rig.run([&] { ASSERT_TRUE(start_phone_reset(rig.engine(), rig.startup())); });
  ASSERT_EQ(rig.state(), LinkState::Idle);
  EXPECT_EQ(rig.handset_graphics().restarts, 1);
  EXPECT_TRUE(rig.heard(GraphicsEvent::PhoneReset));
  rig.loop.run_for(5000);
  rig.run([&] { ASSERT_TRUE(start_startup_read(rig.engine(), rig.startup())); });
  EXPECT_EQ(rig.observer.last_status(), "Read Startup Graphic (Completed)");
}

// Every recipient gets both parts, and "Succeeded" only when both were
// accepted; a refused first part sends no second one.
TEST_F(Graphics, OperatorLogoSmsGoesInTwoPartsToEachRecipient) {
  GraphicsRig rig;
  ASSERT_TRUE(rig.connect());
  MessageRecords& messages = rig.session.organiser().messages();
  const MonoBitmap logo = xor_edit(MonoBitmap(kLogoWidth, kLogoHeight));
  fill_operator_logo_sms(messages.outgoing, logo, 466, 92, 7);
  const std::vector<Bytes> parts = operator_logo_sms_parts(logo, 466, 92, 7);
  struct Case {
    std::vector<std::string> phones;
    int accept_sends;
    std::vector<std::string> results;
    std::size_t sent;
  };
  const Case cases[] = {
      {{"0401", "0402"}, -1, {"Succeeded", "Succeeded"}, 4},
      {{"+9991", "0402"}, -1, {"Failed: the handset refused part 1 of 2 (answer 03 00)", "Succeeded"}, 3},
      {{"0401"}, 1, {"Failed: the handset refused part 2 of 2 (answer 03 00)"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phones.front());
    messages.recipients.clear();
    for (const std::string& phone : c.phones) messages.recipients.append(phone, "");
    rig.handset.state().sms.sent.clear();
    rig.handset.state().sms.accept_sends = c.accept_sends;
    rig.run([&] { ASSERT_TRUE(start_send_all(rig.engine(), rig.session.organiser().message_family())); });
    std::vector<std::string> results;
    for (const Recipient& r : messages.recipients.rows()) results.push_back(r.Result);
    EXPECT_EQ(results, c.results);
    const std::vector<sim::SentSms>& sent = rig.handset.state().sms.sent;
    ASSERT_EQ(sent.size(), c.sent);
    for (std::size_t k = 0; k < sent.size(); ++k) {
      EXPECT_EQ(sent[k].first_octet, 0x51);
      EXPECT_EQ(sent[k].coding, 0xF5);
      EXPECT_EQ(static_cast<std::size_t>(sent[k].length), sent[k].user_data.size());
    }
    if (c.sent == 4) {
      EXPECT_EQ(sent[0].user_data, parts[0]);
      EXPECT_EQ(sent[1].user_data, parts[1]);
      EXPECT_EQ(sent[2].number, "0402");
    }
  }
}

TEST(GraphicsSerial, GroupsAndStartupGraphicOverAPseudoTerminal) {
  fresh_settings();
  SystemClock clock;
  sim::RealtimeLoop loop(clock);
  sim::LoopTimer timer(loop);
  ScriptedPrompt prompt;
  WindowObserver observer;
  auto port = std::make_unique<sim::EmbeddedHandsetPort>(prompt, loop, "6110");
  sim::EmbeddedHandsetPort* embedded = port.get();
  HandsetSession session(std::move(port), timer, clock, prompt, observer);
  testing::wire_session(loop, timer, session);
  auto run = [&] { return loop.run_until([&] { return session.settled(); }, 20000); };
  auto handset = [&] { return embedded->handset()->with_handset([](sim::Handset& h) { return h.state(); }); };
  session.commands().connect();
  ASSERT_TRUE(run());
  ASSERT_EQ(session.state(), LinkState::Idle);
  MediaFamilies& media = session.media();
  ASSERT_TRUE(start_group_read(session.engine(), media.graphics(), GroupReadPurpose::Options));
  ASSERT_TRUE(run());
  EXPECT_EQ(observer.last_status(), "Read Group (Completed)");
  EXPECT_EQ(media.caller_groups().at(2).display_name(), "\u670B\u53CB");
  ASSERT_TRUE(start_startup_read(session.engine(), media.startup_graphic()));
  ASSERT_TRUE(run());
  const MonoBitmap edited = xor_edit(media.graphics_records().startup);
  ASSERT_TRUE(start_startup_write(session.engine(), media.startup_graphic(), edited));
  ASSERT_TRUE(run());
  EXPECT_EQ(observer.last_status(), "Write Startup Graphic (Completed)");
  EXPECT_EQ(handset().graphics.startup, packBands(edited));
  EXPECT_TRUE(prompt.messages.empty());
  session.engine().reset();
}

// Under every line fault, each operation in turn, judged by the result it
// reports: a read reported done holds the handset's pictures; a write is
// reported done only when the handset holds all of the new picture, and the
// handset never holds part of one; the counts never claim more.
TEST_F(Graphics, EveryOperationUnderLineFaults) {
  using testing::RunEnd;
  using testing::RunResult;
  const sim::HandsetState clean = demo_state("6110");
  const MonoBitmap startup = xor_edit(unpackBands(clean.graphics.startup));
  const MonoBitmap logo = xor_edit(unpackRows(clean.graphics.operator_logo));
  const MonoBitmap group = xor_edit(unpackRows(clean.groups[3].logo));
  // AutoReconnect off, then on: a resumed operation is never reported done
  // without being done.
  for (const int reconnect : {0, 1}) {
    config().AutoReconnect = reconnect;
    for (testing::FaultKind kind : testing::line_fault_kinds()) {
      if (reconnect != 0) kind.name += ", reconnect";
      const testing::SeedTally tally = testing::run_seeds(kind, 1000, [&](const sim::FaultOptions& faults) {
        GraphicsRig rig(clean, {}, faults);
        if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
        const sim::GraphicsState& held = rig.handset_graphics();
        // Each step: start it, run it, judge it; a reset ends the run.
        struct Step {
          const char* what;
          std::function<void(StartOptions)> start;
          std::function<bool()> as_asked;  // what a completed step leaves
          std::function<bool()> whole;     // never anything but old or new
          std::size_t bytes = 0;           // what a done result counts
          int entries = 0;
        };
        const Step steps[] = {
            {"group read",
             [&](StartOptions o) { start_group_read(rig.engine(), rig.graphics(), GroupReadPurpose::Graphics, std::move(o)); },
             [&] {
               for (int g = 0; g < kCallerGroups; ++g) {
                 const CallerGroup& read = rig.media().caller_groups().at(g);
                 const sim::CallerGroup& h = clean.groups[static_cast<std::size_t>(g)];
                 if (!std::equal(read.logo.begin(), read.logo.end(), h.logo.begin()) ||
                     std::string(read.name_bytes().begin(), read.name_bytes().end()) != h.name) {
                   return false;
                 }
               }
               return true;
             },
             [] { return true; }, 0, kCallerGroups},
            {"group graphic write",
             [&](StartOptions o) { start_group_graphic_write(rig.engine(), rig.graphics(), group, std::move(o)); },
             [&] { return held.received_logo == packRows(group); },
             [&] { return held.received_logo.empty() || held.received_logo == packRows(group); },
             group_graphic_message(group).size()},
            {"system logo read", [&](StartOptions o) { start_system_logo_read(rig.engine(), rig.graphics(), std::move(o)); },
             [&] { return packRows(rig.media().graphics_records().operator_logo.picture) == clean.graphics.operator_logo; },
             [] { return true; }, kLogoBytes},
            {"system logo write",
             [&](StartOptions o) { start_system_logo_write(rig.engine(), rig.graphics(), logo, 466, 92, std::move(o)); },
             [&] { return held.operator_logo == packRows(logo) && held.logo_mnc == 92; },
             [&] { return held.operator_logo == packRows(logo) || held.operator_logo == clean.graphics.operator_logo; },
             operator_logo_data(logo, 466, 92).size()},
            {"startup read", [&](StartOptions o) { start_startup_read(rig.engine(), rig.startup(), std::move(o)); },
             [&] { return packBands(rig.media().graphics_records().startup) == clean.graphics.startup; },
             [] { return true; }, kStartupBytes},
            {"startup write",
             [&](StartOptions o) { start_startup_write(rig.engine(), rig.startup(), startup, std::move(o)); },
             [&] { return held.startup == packBands(startup); },
             [&] { return held.startup == packBands(startup) || held.startup == clean.graphics.startup; },
             startup_graphic_data(startup).size()},
            // A lost acknowledgement has the request sent again: it may restart twice.
            {"reset", [&](StartOptions o) { start_phone_reset(rig.engine(), rig.startup(), std::move(o)); },
             [&] { return held.restarts >= 1; }, [] { return true; }},
        };
        for (const Step& step : steps) {
          std::optional<OperationResult> told;
          StartOptions options;
          options.done = [&told](const OperationResult& r) { told = r; };
          step.start(std::move(options));
          rig.run_until_settled(600000);
          const std::string what = step.what;
          if (!step.whole()) return RunResult{RunEnd::Wrong, what + ": partly done"};
          // The reset's own request unacknowledged after every sending: the
          // link carries on, the restart unconfirmed.
          if (told && told->ending == Ending::Failed && what == "reset") return RunResult{RunEnd::Reset, {}};
          // Still resuming after lost links when the time ran out: no result yet.
          if (!told && !rig.settled()) return RunResult{RunEnd::Reset, {}};
          const bool counts = !told || !told->done() || (told->bytes == step.bytes && told->entries == step.entries);
          const bool kept = !told || told->ending != Ending::LinkLost || told->entries <= step.entries;
          const RunResult judged = testing::judge(told, step.as_asked(), what + ": reported but not done",
                                                  counts && kept, what + ": the counts claim more");
          if (judged.end != RunEnd::Completed) return judged;
        }
        return RunResult{};
      });
      testing::print_tally("graphics, every operation", tally);
      EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
    }
  }
  config().AutoReconnect = 0;
}

// Write into Group under each line fault: the group is as it was or holds
// the picture, its name and tone always kept, the others untouched; done is
// reported only when the handset's group holds the picture.
TEST_F(Graphics, WriteIntoGroupUnderLineFaults) {
  using testing::RunEnd;
  using testing::RunResult;
  sim::HandsetState clean = demo_state("6110");
  clean.groups[3].ringtone = 0x14;
  const MonoBitmap picture = xor_edit(unpackRows(clean.groups[3].logo));
  for (const int reconnect : {0, 1}) {
    config().AutoReconnect = reconnect;
    for (testing::FaultKind kind : testing::line_fault_kinds()) {
      if (reconnect != 0) kind.name += ", reconnect";
      const testing::SeedTally tally = testing::run_seeds(kind, 1000, [&](const sim::FaultOptions& faults) {
        GraphicsRig rig(clean, {}, faults);
        if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
        std::optional<OperationResult> told;
        StartOptions options;
        options.done = [&told](const OperationResult& r) { told = r; };
        start_group_logo_write(rig.engine(), rig.media().group_write(), 3, picture, std::move(options));
        rig.run_until_settled(600000);
        const std::string fault = logo_write_fault(clean, rig.handset.state(), 3, picture);
        if (!fault.empty()) return RunResult{RunEnd::Wrong, fault};
        const bool held = rig.handset.state().groups[3].logo == packRows(picture);
        if (!told && !rig.settled()) return RunResult{RunEnd::Reset, {}};  // still resuming
        return testing::judge(told, held, "reported, not held", !told || told->entries <= 1);
      });
      testing::print_tally("graphics, write into group", tally);
      EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
    }
  }
  config().AutoReconnect = 0;
}

}  // namespace
}  // namespace phondeck::e2e
