#pragma once
// What the melody notations and tone files share: a parse error with its
// place, the mapping between pitch codes and MIDI note numbers, note lengths
// in sixteenths, and the limits a ringing tone must keep.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/ring_tone.h"

namespace phondeck {

// Where and why a text did not parse; line and column count from 1. In a
// binary file line is 0 and column the byte offset from 0.
struct MelodyError {
  int line = 1;
  int column = 1;
  std::string what;
  bool operator==(const MelodyError&) const = default;
};
// "line 2, column 5: what" ("byte 7: what" in a binary file).
std::string describe(const MelodyError& error);

// Notes of a melody text, or where it failed.
struct ParsedMelody {
  std::vector<Note> notes;
  std::optional<MelodyError> error;
  bool ok() const { return !error.has_value(); }
};

// A whole tone read from a file (name, tempo and notes), or why not.
struct ToneReading {
  RingTone tone;
  std::optional<MelodyError> error;
  // Notes of the tune past what a ringing tone holds, left out (see fit_tune).
  std::size_t left_out = 0;
  bool ok() const { return !error.has_value(); }
};

// Line and column (from 1) of byte offset `at` of a text.
MelodyError error_at(std::string_view text, std::size_t at, std::string what);

// The pitch codes 11..46 are MIDI notes 72..107 (c of the default octave is
// the c above the a of 440 Hz; its a sounds at 880 Hz).
inline constexpr int kMidiOfLowestPitch = 72;
inline int midi_note_of(int pitch) { return pitch - kLowestPitch + kMidiOfLowestPitch; }
inline int pitch_of_midi(int midi) { return midi - kMidiOfLowestPitch + kLowestPitch; }
// Frequency in hertz of a sounding pitch code.
double pitch_frequency(int pitch);

// Length in sixty-fourths (so a dotted thirty-second is whole) of a duration
// code 0..11: 0 whole (64), 2 half, 4 quarter, 6 eighth, 8 sixteenth,
// 10 thirty-second (2); an odd code is the even one before it, dotted.
int sixty_fourths_of(int duration);
// The duration code of a note value 1, 2, 4, 8, 16, 32 (whole ..
// thirty-second), dotted or not; nothing for any other value.
std::optional<int> duration_code(int value, bool dotted);
// The note value (1 .. 32) of a duration code, and whether it is dotted.
int note_value_of(int duration);
inline bool is_dotted(int duration) { return duration % 2 == 1; }

// Moves MIDI notes (-1 for a rest) by whole octaves so that every note lies
// within the three octaves of pitch codes 11..46, nearest to where they
// were. False when no move by whole octaves fits them all.
bool fit_to_scale(std::vector<int>& midi_notes);

// The largest number of notes a ringing tone holds (one pattern counts 255
// instructions, three of them style, tempo and scale).
inline constexpr std::size_t kMaxToneNotes = 252;

// How many of the first notes a ringing tone holds: at most kMaxToneNotes,
// and kMaxPatternInstructions with the octave changes. The cut falls only
// where a note of the tune begins: `starts` (ascending indices into notes)
// lists them for a tune whose notes are held over several tone notes; empty,
// every note begins one.
std::size_t notes_that_fit(const std::vector<Note>& notes, const std::vector<std::size_t>& starts = {});

// The tone's notes of a tune given as MIDI notes (-1 a rest) and duration
// codes: cut at the last whole note that fits (`starts` as above), the rest
// counted in `left_out`, and what is kept moved by whole octaves into the
// tone's three (fit_to_scale). Nothing when the kept notes span more.
std::optional<std::vector<Note>> fit_tune(const std::vector<int>& midi_notes, const std::vector<int>& durations,
                                          const std::vector<std::size_t>& starts, std::size_t& left_out);

// Slider position (0..12) whose beats per minute lie nearest to bpm; on a tie
// the slower one.
int tempo_index_of(int bpm);

}  // namespace phondeck
