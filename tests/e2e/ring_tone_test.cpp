// Ringing tones against the virtual handset: the Ringing Tone window's Write
// from each page and from an opened file, decoded by the handset on its own;
// what Write refuses; Send filling the outgoing message; and the sample tone
// over a pseudo-terminal.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>

#include "e2e_rig.h"
#include "media/ott_file.h"
#include "media/ring_tone_family.h"
#include "media/ring_tone_window.h"
#include "organiser/sms_codec.h"
#include "sim/embedded_port.h"
#include "sim/realtime_loop.h"
#include "support/seed_runs.h"
#include "media/temp_dir.h"

namespace phondeck::e2e {
namespace {

constexpr const char* kNoNotes = "The tone has no notes to play: there is nothing to write or send";

// What the handset should have read from a tone written into it.
sim::UploadedTone as_received(const RingTone& tone) {
  sim::UploadedTone out;
  out.name = tone.name;
  out.tempo_bpm = smartTempoBpm(smartTempoCode(tempoOf(tone.tempoIndex)));
  int scale = 1;
  for (const Note& n : tone.notes) {
    sim::ToneNote note;
    if (n.pitch > kRestPitch) {
      scale = 1 + (n.pitch - kLowestPitch) / 12;
      note.value = (n.pitch - kLowestPitch) % 12 + 1;
    }
    note.scale = scale;
    note.duration = n.duration / 2;
    note.specifier = n.duration % 2;
    out.notes.push_back(note);
  }
  return out;
}

struct ToneWindow {
  explicit ToneWindow(Rig& rig) : logic(rig.engine(), rig.session.media().ring_tone(), rig.prompt) {}
  RingToneWindowLogic logic;
};

class RingToneLink : public ::testing::Test {
 protected:
  void SetUp() override { fresh_settings(); }
};

TEST_F(RingToneLink, WriteFromEachPageReachesTheHandsetOrNothingIsSent) {
  mediatest::TempDir dir;
  const std::string rtttl = dir.file("tune.rtttl");
  std::ofstream(rtttl) << "Popcorn:d=16,o=5,b=160:a,p,g,p,a,p,e,p,c,p,e,p,4a.\n";
  struct Case {
    const char* what;
    int page;
    std::string text;          // for the page ("" keeps what it has)
    int tempo = 7;
    std::string open;          // a file to open first
    std::string message;       // what the user is told; "" when it is written
    std::vector<Note> notes;   // what was meant (when written)
  };
  const std::vector<Note> sample = parseEricssonText(ericsson_sample_lines());
  // One request carries 244 bytes of tone data: 1952 bits, 137 of them the
  // head with the title "Phondeck", so 151 notes of 12 bits.
  std::string many_text;
  for (int i = 0; i < 253; ++i) many_text += "8c ";
  std::string big_text;  // 200 notes: 2537 bits
  for (int i = 0; i < 200; ++i) big_text += "8c ";
  const std::vector<Note> cut_notes(151, Note{11, 6});
  // 130 notes, each in another octave: 17 bits a note with its octave
  // change, so 106 fit.
  std::string jumpy_text;
  for (int i = 0; i < 130; ++i) jumpy_text += i % 2 ? "8c " : "8c3 ";
  std::vector<Note> jumpy_notes;
  for (int i = 0; i < 106; ++i) jumpy_notes.push_back({i % 2 ? 11 : 35, 6});
  const std::string cut = "The tone is longer than one write into the phone carries: it ends after note ";
  const Case cases[] = {
      {"Ericsson sample", RingToneWindowLogic::kEricssonPage, "", 7, "", "", sample},
      {"Nokia", RingToneWindowLogic::kNokiaPage, "8c2 8d2 4.e2 - 16#f3", 12, "", "",
       {{23, 6}, {25, 6}, {27, 5}, {10, 4}, {41, 8}}},
      {"Siemens", RingToneWindowLogic::kSiemensPage, "C2(1/8) D2(1/8) P(1/4)", 0, "", "",
       {{23, 6}, {25, 6}, {10, 4}}},
      {"RTTTL file", 0, "", 7, rtttl, "",
       {{20, 8}, {10, 8}, {18, 8}, {10, 8}, {20, 8}, {10, 8}, {15, 8}, {10, 8}, {11, 8}, {10, 8}, {15, 8}, {10, 8},
        {20, 5}}},
      {"empty MIDI page", RingToneWindowLogic::kMidiPage, "", 7, "", kNoNotes, {}},
      {"empty Siemens page", RingToneWindowLogic::kSiemensPage, " \n ", 7, "", kNoNotes, {}},
      {"bad Nokia text", RingToneWindowLogic::kNokiaPage, "8c2\n8c2 4z", 7, "",
       "The melody cannot be read: line 2, column 6: 'z' is not a note", {}},
      {"bad Ericsson text", RingToneWindowLogic::kEricssonPage, "cdx", 7, "",
       "The melody cannot be read: line 1, column 3: not a note 'x'", {}},
      {"253 notes", RingToneWindowLogic::kNokiaPage, many_text, 7, "",
       cut + "151, and the 102 notes after it were left out", cut_notes},
      {"too big for one request", RingToneWindowLogic::kNokiaPage, big_text, 7, "",
       cut + "151, and the 49 notes after it were left out", cut_notes},
      {"octave changes", RingToneWindowLogic::kNokiaPage, jumpy_text, 7, "",
       cut + "106, and the 24 notes after it were left out", jumpy_notes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    ASSERT_TRUE(rig.connect());
    ToneWindow window(rig);
    RingToneWindowLogic& logic = window.logic;
    if (!c.open.empty()) {
      ASSERT_TRUE(logic.open_file(c.open));
      EXPECT_EQ(logic.page(), RingToneWindowLogic::kNokiaPage);
      EXPECT_EQ(logic.name(), "Popcorn");
      EXPECT_EQ(logic.tempo_index(), 8);
    } else {
      logic.set_page(c.page);
      if (!c.text.empty()) logic.set_text(c.page, c.text);
      logic.set_tempo_index(c.tempo);
    }
    rig.run([&] { logic.write(); });
    const sim::RingToneState& received = rig.handset.state().ring_tone;
    if (c.notes.empty()) {
      EXPECT_EQ(received.uploads, 0);
      EXPECT_EQ(rig.prompt.messages, c.message.empty() ? std::vector<std::string>{}
                                                       : std::vector<std::string>{c.message});
      continue;
    }
    EXPECT_EQ(rig.prompt.messages, c.message.empty() ? std::vector<std::string>{}
                                                     : std::vector<std::string>{c.message});
    EXPECT_EQ(rig.observer.last_status(), "Write Ringing Tone (Completed)");
    EXPECT_EQ(rig.state(), LinkState::Idle);
    RingTone meant;
    meant.name = logic.name();
    meant.tempoIndex = logic.tempo_index();
    meant.notes = c.notes;
    ASSERT_TRUE(received.tone.has_value());
    EXPECT_EQ(received.uploads, 1);
    EXPECT_EQ(*received.tone, as_received(meant));
    // The request: 0x0C 0x01, the very bytes Send puts in a message, 0x01 and the sequence.
    const std::vector<std::uint8_t> message = toSmartMessage(meant);
    int uploads = 0;
    for (const PcFrame& f : pc_frames(rig.line->writes)) {
      if (f.type != 0x12) continue;
      ++uploads;
      ASSERT_EQ(f.data.size(), message.size() + 4);
      EXPECT_EQ(Bytes(f.data.begin() + 2, f.data.end() - 2), message);
      EXPECT_EQ(f.data[0], 0x0C);
      EXPECT_EQ(f.data[f.data.size() - 2], 0x01);
    }
    EXPECT_EQ(uploads, 1);
  }
}

// A format 0 MIDI file of one track, 96 ticks a quarter note.
std::vector<std::uint8_t> midi_file(std::vector<std::uint8_t> events) {
  events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
  const std::size_t n = events.size();
  std::vector<std::uint8_t> bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k',
                                     0, 0, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
  bytes.reserve(bytes.size() + n);
  for (const std::uint8_t b : events) bytes.push_back(b);
  return bytes;
}

std::vector<std::uint8_t> as_bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Thirty-second notes from each kind of file reach the handset as duration
// 5; a tune longer than a tone holds is cut on opening and again to what one
// write carries, cut only where a note of the tune begins, and the user is
// told each time.
TEST_F(RingToneLink, FilesWithThirtySecondNotesAndLongTunes) {
  mediatest::TempDir dir;
  const std::vector<Note> thirty = {{11, 10}, {24, 10}, {10, 7}, {15, 8}, {18, 11}};
  RingTone ott;
  ott.name = "Thirty";
  ott.notes = thirty;
  std::string long_rtttl = "Long:d=32,o=5,b=120:c";
  for (int i = 1; i < 300; ++i) long_rtttl += ",c";
  // A thirty-second c, then 130 notes of five thirty-seconds: an eighth
  // and a thirty-second rest each.
  std::vector<std::uint8_t> events = {0x00, 0x90, 72, 100, 12, 0x80, 72, 0};
  for (int i = 0; i < 130; ++i) events.insert(events.end(), {0x00, 0x90, 74, 100, 60, 0x80, 74, 0});
  const std::vector<std::uint8_t> long_midi = midi_file(events);
  std::vector<Note> long_midi_kept = {{11, 10}};
  for (int i = 0; i < 75; ++i) long_midi_kept.insert(long_midi_kept.end(), {{13, 6}, {10, 10}});
  const std::string opened = " is longer than a ringing tone holds: the tone ends after note ";
  const std::string written = "The tone is longer than one write into the phone carries: it ends after note ";
  struct Case {
    const char* file;
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> messages;
    std::vector<Note> notes;
  };
  const Case cases[] = {
      {"thirty.rtttl", as_bytes("Thirty:d=32,o=5,b=120:c,c#6,8.p,16e,32.g"), {}, thirty},
      {"thirty.ott", write_ott(ott), {}, thirty},
      {"thirty.mid", midi_file({0x00, 0x90, 72, 100, 12, 0x80, 72, 0, 0x00, 0x90, 76, 100, 24, 0x80, 76, 0}), {},
       {{11, 10}, {15, 8}}},
      // Title "Long": 105 bits of head, room for 153 notes.
      {"long.rtttl", as_bytes(long_rtttl),
       {"long.rtttl" + opened + "252, and the 48 notes after it were left out",
        written + "153, and the 99 notes after it were left out"},
       std::vector<Note>(153, Note{11, 10})},
      // Title "longer" from the file name: room for 152 tone notes, but the
      // 152nd would part a note from its rest.
      {"longer.mid", long_midi,
       {"longer.mid" + opened + "251, and the 10 notes after it were left out",
        written + "151, and the 100 notes after it were left out"},
       long_midi_kept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = dir.write(c.file, c.bytes);
    Rig rig;
    ASSERT_TRUE(rig.connect());
    ToneWindow window(rig);
    ASSERT_TRUE(window.logic.open_file(path));
    rig.run([&] { EXPECT_TRUE(window.logic.write()); });
    EXPECT_EQ(rig.prompt.messages, c.messages);
    RingTone meant;
    meant.name = window.logic.name();
    meant.tempoIndex = window.logic.tempo_index();
    meant.notes = c.notes;
    const sim::RingToneState& received = rig.handset.state().ring_tone;
    ASSERT_TRUE(received.tone.has_value());
    EXPECT_EQ(*received.tone, as_received(meant));
    EXPECT_EQ(received.tone->notes.front().duration, 5);
  }
}

TEST_F(RingToneLink, RefusedWhenDisconnectedOrOnA5110) {
  {
    Rig rig;
    ToneWindow window(rig);
    EXPECT_FALSE(window.logic.write());
    EXPECT_EQ(rig.prompt.messages, std::vector<std::string>{"Please establish connection first"});
  }
  Rig rig("5110");
  ASSERT_TRUE(rig.connect());
  ToneWindow window(rig);
  rig.run([&] { EXPECT_FALSE(window.logic.write()); });
  EXPECT_EQ(rig.prompt.messages, std::vector<std::string>{"No such function in this phone"});
  EXPECT_EQ(rig.handset.state().ring_tone.uploads, 0);
}

TEST_F(RingToneLink, SendFillsTheOutgoingMessage) {
  Rig rig;
  ToneWindow window(rig);
  OutgoingSms& outgoing = rig.session.organiser().messages().outgoing;
  int shown = 0;
  window.logic.on_send = [&](const SmartSms& sms) {
    fill_outgoing(outgoing, sms);
    ++shown;
  };
  ASSERT_TRUE(window.logic.send());
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(outgoing.byte_count, 103);
  EXPECT_EQ(outgoing.user_data_length, 103);
  EXPECT_EQ(outgoing.first_octet, 0x51);
  EXPECT_EQ(outgoing.data_coding, 0xF5);
  RingTone sample;
  sample.notes = parseEricssonText(ericsson_sample_lines());
  const auto message = toSmartMessage(sample);
  EXPECT_TRUE(std::equal(message.begin(), message.end(), outgoing.data().begin(), outgoing.data().end()));

  // Over one message: cut after the 77th note (133 bytes of tone data hold
  // 137 bits of head and 77 notes), the user told.
  window.logic.set_page(RingToneWindowLogic::kNokiaPage);
  std::string text;
  for (int i = 0; i < 100; ++i) text += "8c ";
  window.logic.set_text(RingToneWindowLogic::kNokiaPage, text);
  EXPECT_TRUE(window.logic.send());
  EXPECT_EQ(rig.prompt.messages, std::vector<std::string>{"The tone is longer than one message carries: it ends "
                                                          "after note 77, and the 23 notes after it were left out"});
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(outgoing.byte_count, 140);
  // An empty page sends nothing, and says so.
  window.logic.new_page();
  EXPECT_FALSE(window.logic.send());
  EXPECT_EQ(rig.prompt.messages.back(), kNoNotes);
}

// The sample tone written under every line fault: a completed run leaves it
// in the handset; a reset leaves the handset without a tone or with this one,
// never another.
TEST_F(RingToneLink, WriteUnderLineFaults) {
  using testing::RunEnd;
  using testing::RunResult;
  RingTone sample;
  sample.notes = parseEricssonText(ericsson_sample_lines());
  const sim::UploadedTone meant = as_received(sample);
  // AutoReconnect off, then on: a resumed operation is never reported done
  // without being done.
  for (const int reconnect : {0, 1}) {
    config().AutoReconnect = reconnect;
    for (testing::FaultKind kind : testing::line_fault_kinds()) {
      if (reconnect != 0) kind.name += ", reconnect";
      const testing::SeedTally tally = testing::run_seeds(kind, 1000, [&](const sim::FaultOptions& faults) {
        Rig rig(demo_state("6110"), {}, faults);
        if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
        RingToneWindowLogic logic(rig.engine(), rig.session.media().ring_tone(), rig.prompt);
        std::optional<OperationResult> told;
        StartOptions options;
        options.done = [&told](const OperationResult& r) { told = r; };
        logic.write(std::move(options));
        rig.run_until_settled(600000);
        const sim::RingToneState& got = rig.handset.state().ring_tone;
        if (got.tone && !(*got.tone == meant)) return RunResult{RunEnd::Wrong, "the handset holds another tone"};
        if (got.refused != 0) return RunResult{RunEnd::Wrong, "the handset read a broken upload"};
        if (!told && !rig.settled()) return RunResult{RunEnd::Reset, {}};  // still resuming
        return testing::judge(told, got.tone.has_value(),
                              "completed without the tone in the handset, uploads " + std::to_string(got.uploads),
                              !told || !told->done() || told->bytes == toSmartMessage(sample).size());
      });
      std::cout << "[ faults   ] ring tone " << kind.name << ": " << tally.completed << " completed, " << tally.reset
                << " reset, " << tally.no_connect << " failed to connect, " << tally.wrong << " wrong, "
                << tally.unseen << " past the checksums\n";
      EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
      EXPECT_GT(tally.completed, 0) << kind.name;
    }
  }
  config().AutoReconnect = 0;
}

TEST(RingToneSerial, SampleToneOverAPseudoTerminal) {
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
  auto run = [&] { return loop.run_until([&] { return session.settled(); }, 10000); };
  session.commands().connect();
  ASSERT_TRUE(run());
  RingToneWindowLogic logic(session.engine(), session.media().ring_tone(), prompt);
  ASSERT_TRUE(logic.write());
  ASSERT_TRUE(run());
  EXPECT_EQ(observer.last_status(), "Write Ringing Tone (Completed)");
  const sim::HandsetState state = embedded->handset()->with_handset([](sim::Handset& h) { return h.state(); });
  ASSERT_TRUE(state.ring_tone.tone.has_value()) << state.ring_tone.uploads << " " << state.ring_tone.refused;
  RingTone sample;
  sample.notes = parseEricssonText(ericsson_sample_lines());
  EXPECT_EQ(*state.ring_tone.tone, as_received(sample));
  EXPECT_TRUE(prompt.messages.empty());
  session.engine().reset();
}

}  // namespace
}  // namespace phondeck::e2e
