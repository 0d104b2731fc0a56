// The melody notations and tone files: Nokia and Siemens texts, RTTTL, .ott
// and MIDI files, and the synthesiser.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "media/midi_file.h"
#include "media/nokia_melody.h"
#include "media/ott_file.h"
#include "media/rtttl.h"
#include "media/siemens_melody.h"
#include "media/tone_synth.h"

namespace phondeck {
namespace {

using Notes = std::vector<Note>;

struct TextCase {
  const char* text;
  Notes notes;      // when it reads
  int line = 0;     // else where it fails
  int column = 0;
};

void check(const ParsedMelody& parsed, const TextCase& c) {
  SCOPED_TRACE(c.text);
  if (c.line == 0) {
    ASSERT_TRUE(parsed.ok()) << describe(*parsed.error);
    EXPECT_EQ(parsed.notes, c.notes);
  } else {
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.error->line, c.line) << describe(*parsed.error);
    EXPECT_EQ(parsed.error->column, c.column) << describe(*parsed.error);
    EXPECT_TRUE(parsed.notes.empty());
  }
}

TEST(NokiaMelody, Cases) {
  const TextCase cases[] = {
      {"8c2 8d2 4.e2 -", {{23, 6}, {25, 6}, {27, 5}, {10, 4}}},
      {"16#f3 2a\n\n1b3 4c# 8.-", {{41, 8}, {20, 2}, {46, 0}, {12, 4}, {10, 7}}},
      {"", {}},
      {"4c 8x2", {}, 1, 5},
      {"4c\n8c4", {}, 2, 3},
      {"32c 32.-\n32#d3", {{11, 10}, {10, 11}, {38, 10}}},
      {"64c", {}, 1, 1},
      {"4e#", {}, 1, 2},
      {"4c2x", {}, 1, 4},
      {"8", {}, 1, 2},
  };
  for (const TextCase& c : cases) check(parse_nokia_melody(c.text), c);
}

TEST(SiemensMelody, Cases) {
  const TextCase cases[] = {
      {"C2(1/8) D2(1/8) P(1/4)", {{23, 6}, {25, 6}, {10, 4}}},
      {"Cis1(1/16) H3(1/2.) f a#2(1/1)", {{12, 8}, {46, 3}, {16, 4}, {33, 0}}},
      {"C2(1/3)", {}, 1, 1},
      {"C2(1/8", {}, 1, 7},
      {"C2(1/8)\n X", {}, 2, 2},
      {"C4", {}, 1, 2},
      {"C(1/32) P(1/32.)", {{11, 10}, {10, 11}}},
      {"C(1/64)", {}, 1, 1},
  };
  for (const TextCase& c : cases) check(parse_siemens_melody(c.text), c);
}

// Every length, dot, rest, sharp and octave the notations carry.
Notes every_kind_of_note() {
  Notes notes;
  for (int d = 0; d <= kLongestDurationCode; ++d) notes.push_back({kRestPitch, d});
  for (int p = kLowestPitch; p <= kHighestPitch; ++p) notes.push_back({p, (p * 7) % (kLongestDurationCode + 1)});
  return notes;
}

TEST(MelodyText, FormatsReadBack) {
  const Notes notes = every_kind_of_note();
  EXPECT_EQ(parse_nokia_melody(format_nokia_melody(notes)).notes, notes);
  EXPECT_EQ(parse_siemens_melody(format_siemens_melody(notes)).notes, notes);
  EXPECT_EQ(format_nokia_melody({{23, 6}, {25, 6}, {27, 5}, {10, 4}}), "8c2 8d2 4.e2 4-");
  EXPECT_EQ(format_siemens_melody({{23, 6}, {24, 3}, {10, 4}}), "C2(1/8) C#2(1/2.) P(1/4)");
}

TEST(Rtttl, Reading) {
  struct Case {
    std::string text;
    std::string name;
    int tempo_index;
    Notes notes;
    int column = 0;  // of the fault, 0 when it reads
    std::size_t left_out = 0;
  };
  // 253 notes: the last left out.
  const std::string long_tune = "long:d=8,o=5,b=120:" + [] {
    std::string s = "c";
    for (int i = 0; i < 252; ++i) s += ",d";
    return s;
  }();
  Notes long_notes(252, Note{13, 6});
  long_notes.front() = {11, 6};
  // 200 notes, each in another octave: a note and an octave change apiece,
  // so 126 fit in the 255 instructions.
  const std::string jumpy_tune = "jumpy:d=8,o=5,b=120:" + [] {
    std::string s = "c";
    for (int i = 1; i < 200; ++i) s += i % 2 ? ",c6" : ",c";
    return s;
  }();
  Notes jumpy_notes;
  for (int i = 0; i < 126; ++i) jumpy_notes.push_back({i % 2 ? 23 : 11, 6});
  const Case cases[] = {
      {"Beep:d=4,o=5,b=120:8c6,d,4.e,p,c#7.", "Beep", 7, {{23, 6}, {13, 4}, {15, 5}, {10, 4}, {36, 5}}},
      // Defaults d=4, o=6, b=63 (nearest slider tempo 60); a dot before the note.
      {" x : : c, 16.a", "x", 4, {{23, 4}, {32, 9}}},
      // A melody in octave 4 moves up into the tone's range.
      {"low:o=4,b=350:c,e,g", "low", 12, {{11, 4}, {15, 4}, {18, 4}}},
      {"A very long name here:b=20:c", "A very long nam", 0, {{23, 4}}},
      {"a:d=4,o=5,b=120:8x", "", 0, {}, 18},
      {"a:d=3:c", "", 0, {}, 5},
      {"a:q=3:c", "", 0, {}, 3},
      {"a:d=4:32c,32.p", "a", 4, {{23, 10}, {10, 11}}},
      {"b:d=32,o=5,b=120:c,8d.,e", "b", 7, {{11, 10}, {13, 7}, {15, 10}}},
      {"a:d=64:c", "", 0, {}, 5},
      {"a:d=4:64c", "", 0, {}, 7},
      {"a::c#4,c7", "", 0, {}, 4},
      {"a::e#", "", 0, {}, 5},
      {"no colons", "", 0, {}, 10},
      {long_tune, "long", 7, long_notes, 0, 1},
      {jumpy_tune, "jumpy", 7, jumpy_notes, 0, 74},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ToneReading r = read_rtttl(c.text);
    if (c.column != 0) {
      ASSERT_FALSE(r.ok());
      EXPECT_EQ(r.error->column, c.column) << describe(*r.error);
      continue;
    }
    ASSERT_TRUE(r.ok()) << describe(*r.error);
    EXPECT_EQ(r.tone.name, c.name);
    EXPECT_EQ(r.tone.tempoIndex, c.tempo_index);
    EXPECT_EQ(r.tone.notes, c.notes);
    EXPECT_EQ(r.left_out, c.left_out);
    EXPECT_FALSE(toSmartMessage(r.tone).empty());  // what is kept encodes
  }
}

TEST(Rtttl, RoundTrips) {
  for (const std::string text : {"Tune:d=8,o=5,b=160:c,d,4e.,16f#6,p,2g7", "Phondeck:d=4,o=6,b=120:1p,a,b,c#."}) {
    const ToneReading r = read_rtttl(text);
    ASSERT_TRUE(r.ok()) << describe(*r.error);
    EXPECT_EQ(write_rtttl(r.tone), text);
  }
  RingTone tone;
  tone.notes = every_kind_of_note();
  tone.tempoIndex = 3;
  const ToneReading back = read_rtttl(write_rtttl(tone));
  ASSERT_TRUE(back.ok()) << describe(*back.error);
  EXPECT_EQ(back.tone.notes, tone.notes);
  EXPECT_EQ(back.tone.tempoIndex, 3);
}

TEST(OttFile, ReadsWhatIsWrittenAndRefusesBrokenData) {
  for (int tempo = 0; tempo <= 12; tempo += 4) {
    RingTone tone;
    tone.name = "Ärger";
    tone.tempoIndex = tempo;
    tone.notes = every_kind_of_note();
    const std::vector<std::uint8_t> data = write_ott(tone);
    ToneReading r = read_ott(data);
    ASSERT_TRUE(r.ok()) << describe(*r.error);
    EXPECT_EQ(r.tone.name, tone.name);
    EXPECT_EQ(r.tone.tempoIndex, tempo);
    EXPECT_EQ(r.tone.notes, tone.notes);
    // The same with the port header a message carries.
    std::vector<std::uint8_t> message = toSmartMessage(tone);
    EXPECT_EQ(read_ott(message).tone.notes, tone.notes);
    message.resize(message.size() - 3);
    EXPECT_FALSE(read_ott(message).ok());
  }
  // A thirty-second note set by hand. Without a title the note instruction
  // starts at bit 73, so its duration field is bits 80..82, the top of byte
  // 10; a duration past 5 is refused.
  RingTone one;
  one.name.clear();
  one.notes = {{11, 4}};
  std::vector<std::uint8_t> data = write_ott(one);
  ASSERT_EQ(data[10] >> 5, 2);
  data[10] = static_cast<std::uint8_t>((data[10] & 0x1F) | (5 << 5));
  const ToneReading r = read_ott(data);
  ASSERT_TRUE(r.ok()) << describe(*r.error);
  EXPECT_EQ(r.tone.notes, (Notes{{11, kThirtySecondNote}}));
  data[10] = static_cast<std::uint8_t>((data[10] & 0x1F) | (6 << 5));
  EXPECT_FALSE(read_ott(data).ok());
  EXPECT_FALSE(read_ott(std::vector<std::uint8_t>{0x02, 0x4A}).ok());
}

// A standard MIDI file made of track chunks (events with delta times).
struct MidiBuilder {
  std::vector<std::uint8_t> bytes;
  MidiBuilder(int format, int tracks, int division) {
    bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<std::uint8_t>(format), 0,
             static_cast<std::uint8_t>(tracks), static_cast<std::uint8_t>(division >> 8),
             static_cast<std::uint8_t>(division & 0xFF)};
  }
  void track(std::vector<std::uint8_t> events) {
    const std::uint8_t end[] = {0x00, 0xFF, 0x2F, 0x00};
    events.insert(events.end(), std::begin(end), std::end(end));
    const auto n = events.size();
    const std::uint8_t head[] = {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                                 static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    bytes.insert(bytes.end(), std::begin(head), std::end(head));
    bytes.insert(bytes.end(), events.begin(), events.end());
  }
};

TEST(MidiFile, FormatZeroMelodyWithTempoGapsAndRunningStatus) {
  MidiBuilder midi(0, 1, 96);
  // Tempo 500000 us (120 bpm), name "Tune"; C5 a quarter, D5 an eighth (note
  // off by velocity 0, running status), an eighth of silence, then E5 and a
  // lower G4 together for a dotted quarter (the higher stays).
  midi.track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x03, 0x04, 'T', 'u', 'n', 'e',
              0x00, 0x90, 72, 100, 0x60, 0x80, 72, 0, 0x00, 0x90, 74, 100, 0x30, 74, 0,
              0x30, 0x90, 76, 90, 0x00, 67, 90, 0x81, 0x10, 0x80, 76, 0, 0x00, 0x80, 67, 0});
  const MidiReading r = read_midi(midi.bytes);
  ASSERT_TRUE(r.ok()) << describe(*r.error);
  EXPECT_EQ(r.format, 0);
  EXPECT_EQ(r.bpm, 120);
  EXPECT_EQ(r.tone.tempoIndex, 7);
  EXPECT_EQ(r.tone.name, "Tune");
  ASSERT_EQ(r.tracks.size(), 1u);
  EXPECT_EQ(r.tracks[0].notes, 4);
  EXPECT_EQ(r.tone.notes, (Notes{{11, 4}, {13, 6}, {10, 6}, {15, 5}}));
}

TEST(MidiFile, FormatOneTakesTheFirstTrackWithNotes) {
  MidiBuilder midi(1, 3, 480);
  midi.track({0x00, 0xFF, 0x51, 0x03, 0x05, 0xB8, 0xD8, 0x00, 0xFF, 0x03, 0x04, 'S', 'o', 'n', 'g'});  // 160 bpm
  midi.track({0x00, 0x99, 36, 100, 0x83, 0x60, 0x89, 36, 0});  // drums only
  // Middle C and the B below, a half note each: moved up into the range.
  midi.track({0x00, 0xC0, 5, 0x00, 0x90, 60, 80, 0x87, 0x40, 0x80, 60, 0, 0x00, 0x90, 59, 80, 0x87, 0x40, 59, 0});
  const MidiReading r = read_midi(midi.bytes);
  ASSERT_TRUE(r.ok()) << describe(*r.error);
  ASSERT_EQ(r.tracks.size(), 3u);
  EXPECT_EQ(r.tracks[1].notes, 0);
  EXPECT_EQ(r.tone_track, 2);
  EXPECT_EQ(r.tracks[2].channel, 1);
  EXPECT_EQ(r.tone.tempoIndex, 8);
  EXPECT_EQ(r.tone.name, "Song");
  EXPECT_EQ(r.tone.notes, (Notes{{23, 2}, {22, 2}}));
}

TEST(MidiFile, ThirtySecondNotesAndATuneLongerThanATone) {
  MidiBuilder midi(0, 1, 96);
  // A thirty-second c (12 ticks), then 130 notes of five thirty-seconds (60
  // ticks): an eighth and a thirty-second rest each.
  std::vector<std::uint8_t> events = {0x00, 0x90, 72, 100, 12, 0x80, 72, 0};
  for (int i = 0; i < 130; ++i) events.insert(events.end(), {0x00, 0x90, 74, 100, 60, 0x80, 74, 0});
  midi.track(events);
  const MidiReading r = read_midi(midi.bytes);
  ASSERT_TRUE(r.ok()) << describe(*r.error);
  // 261 tone notes: the cut falls after the 125th long note (251 tone
  // notes), not inside the 126th.
  ASSERT_EQ(r.tone.notes.size(), 251u);
  EXPECT_EQ(r.left_out, 10u);
  EXPECT_EQ(r.tone.notes[0], (Note{11, kThirtySecondNote}));
  EXPECT_EQ(r.tone.notes[1], (Note{13, kEighthNote}));
  EXPECT_EQ(r.tone.notes[2], (Note{kRestPitch, kThirtySecondNote}));
  EXPECT_EQ(r.tone.notes.back(), (Note{kRestPitch, kThirtySecondNote}));

  // One note held for 1000 whole notes (384000 ticks) is 667 tone notes
  // with its rests: rather than nothing, the tone keeps the first 252.
  MidiBuilder held(0, 1, 96);
  held.track({0x00, 0x90, 72, 100, 0x97, 0xB8, 0x00, 0x80, 72, 0});
  const MidiReading h = read_midi(held.bytes);
  ASSERT_TRUE(h.ok()) << describe(*h.error);
  ASSERT_EQ(h.tone.notes.size(), 252u);
  EXPECT_EQ(h.left_out, 415u);
  EXPECT_EQ(h.tone.notes.front(), (Note{11, 1}));
}

TEST(MidiFile, Refusals) {
  MidiBuilder two(2, 1, 96);
  two.track({0x00, 0x90, 72, 100, 0x60, 0x80, 72, 0});
  MidiBuilder cut(0, 1, 96);
  cut.track({0x00, 0x90, 72, 100, 0x60, 0x80, 72, 0});
  cut.bytes.resize(cut.bytes.size() - 5);
  MidiBuilder wide(0, 1, 96);
  wide.track({0x00, 0x90, 40, 100, 0x60, 0x80, 40, 0, 0x00, 0x90, 100, 100, 0x60, 0x80, 100, 0});
  MidiBuilder silent(1, 1, 96);
  silent.track({0x00, 0xFF, 0x03, 0x01, 'x'});
  std::vector<std::uint8_t> not_midi = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (const auto* bytes : {&two.bytes, &cut.bytes, &wide.bytes, &silent.bytes, &not_midi}) {
    const MidiReading r = read_midi(*bytes);
    EXPECT_FALSE(r.ok());
  }
  // The tracks of a file whose tone cannot be made still show.
  EXPECT_EQ(read_midi(wide.bytes).tracks.size(), 1u);
  EXPECT_EQ(read_midi(silent.bytes).tracks.size(), 1u);
}

TEST(ToneSynth, SampleCountAndPitch) {
  EXPECT_EQ(note_samples(kQuarterNote, 120, 22050), 11025u);
  EXPECT_EQ(note_samples(5, 60, 8000), 12000u);  // dotted quarter at 60 bpm
  EXPECT_EQ(note_samples(kThirtySecondNote, 120, 22050), 1378u);
  EXPECT_EQ(note_samples(kThirtySecondNote + 1, 60, 8000), 1500u);  // dotted: 3/16 of a beat
  SynthSettings sine;
  sine.waveform = Waveform::Sine;
  // The a of the default octave (880 Hz) for a quarter, then an eighth rest.
  const auto samples = synthesise({{20, kQuarterNote}, {kRestPitch, kEighthNote}}, 120, sine);
  ASSERT_EQ(samples.size(), 11025u + 5513u);
  int crossings = 0;
  const std::size_t sounding = 9000;
  for (std::size_t i = 1; i < sounding; ++i) crossings += (samples[i - 1] < 0) != (samples[i] < 0);
  const double hertz = crossings / 2.0 / (sounding / 22050.0);
  EXPECT_NEAR(hertz, 880.0, 8.0);
  for (std::size_t i = 11025; i < samples.size(); ++i) ASSERT_EQ(samples[i], 0) << i;
  // Square wave: the same pitch, full swings.
  const auto square = synthesise({{8 + kLowestPitch, kEighthNote}}, 240);
  EXPECT_EQ(square.size(), 2756u);
}

}  // namespace
}  // namespace phondeck
