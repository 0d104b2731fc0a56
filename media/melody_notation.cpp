// Shared pieces of the melody notations and tone files.
#include "media/melody_notation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace phondeck {

std::string describe(const MelodyError& error) {
  if (error.line == 0) return "byte " + std::to_string(error.column) + ": " + error.what;
  return "line " + std::to_string(error.line) + ", column " + std::to_string(error.column) + ": " +
         error.what;
}

MelodyError error_at(std::string_view text, std::size_t at, std::string what) {
  MelodyError error;
  error.what = std::move(what);
  at = std::min(at, text.size());
  for (std::size_t i = 0; i < at; ++i) {
    if (text[i] == '\n') {
      ++error.line;
      error.column = 1;
    } else {
      ++error.column;
    }
  }
  return error;
}

double pitch_frequency(int pitch) {
  return 440.0 * std::pow(2.0, (midi_note_of(pitch) - 69) / 12.0);
}

int sixty_fourths_of(int duration) {
  if (!is_duration_code(duration)) duration = kQuarterNote;
  const int plain = 64 >> (duration / 2);
  return is_dotted(duration) ? plain * 3 / 2 : plain;
}

std::optional<int> duration_code(int value, bool dotted) {
  int code = 0;
  switch (value) {
    case 1: code = 0; break;
    case 2: code = 2; break;
    case 4: code = 4; break;
    case 8: code = 6; break;
    case 16: code = 8; break;
    case 32: code = kThirtySecondNote; break;
    default: return std::nullopt;
  }
  return code + (dotted ? 1 : 0);
}

int note_value_of(int duration) {
  if (!is_duration_code(duration)) duration = kQuarterNote;
  return 1 << (duration / 2);
}

bool fit_to_scale(std::vector<int>& midi_notes) {
  const int low = kMidiOfLowestPitch;
  const int high = midi_note_of(kHighestPitch);
  int lowest = 1000;
  int highest = -1000;
  for (int n : midi_notes) {
    if (n < 0) continue;
    lowest = std::min(lowest, n);
    highest = std::max(highest, n);
  }
  if (highest < lowest) return true;  // rests only
  std::optional<int> shift;
  for (int s = -120; s <= 120; s += 12) {
    if (lowest + s >= low && highest + s <= high && (!shift || std::abs(s) < std::abs(*shift))) shift = s;
  }
  if (!shift) return false;
  for (int& n : midi_notes) {
    if (n >= 0) n += *shift;
  }
  return true;
}

std::size_t notes_that_fit(const std::vector<Note>& notes, const std::vector<std::size_t>& starts) {
  auto begins_note = [&](std::size_t k) {
    return k == notes.size() || starts.empty() || std::binary_search(starts.begin(), starts.end(), k);
  };
  // Instructions of the first k notes, counted as patternInstructions does.
  std::size_t instructions = 3;
  int octave = 0;
  std::size_t fits = 0;
  for (std::size_t k = 0; k <= notes.size(); ++k) {
    if (begins_note(k)) {
      if (k > kMaxToneNotes || instructions > kMaxPatternInstructions) break;
      fits = k;
    }
    if (k == notes.size()) break;
    ++instructions;
    const int pitch = notes[k].pitch;
    if (pitch > kRestPitch && pitch <= kHighestPitch && (pitch - kLowestPitch) / 12 != octave) {
      octave = (pitch - kLowestPitch) / 12;
      ++instructions;
    }
  }
  // Not even the first note of the tune fits whole: cut inside it.
  if (fits == 0 && !starts.empty() && !notes.empty()) return notes_that_fit(notes, {});
  return fits;
}

std::optional<std::vector<Note>> fit_tune(const std::vector<int>& midi_notes, const std::vector<int>& durations,
                                          const std::vector<std::size_t>& starts, std::size_t& left_out) {
  const std::size_t count = std::min(midi_notes.size(), durations.size());
  // First by the number of notes alone, then again by the instructions of
  // what is kept once it is placed, until the two agree (a shorter tune may
  // sit in other octaves).
  std::size_t fits = count;
  if (count > kMaxToneNotes) {
    fits = 0;
    for (std::size_t k = kMaxToneNotes; k > 0 && fits == 0; --k) {
      if (starts.empty() || std::binary_search(starts.begin(), starts.end(), k)) fits = k;
    }
    if (fits == 0) fits = kMaxToneNotes;  // the first note alone is longer
  }
  std::vector<Note> notes;
  for (;;) {
    std::vector<int> midi(midi_notes.begin(), midi_notes.begin() + static_cast<std::ptrdiff_t>(fits));
    if (!fit_to_scale(midi)) return std::nullopt;
    notes.clear();
    for (std::size_t k = 0; k < fits; ++k)
      notes.push_back({midi[k] < 0 ? kRestPitch : pitch_of_midi(midi[k]), durations[k]});
    const std::size_t again = notes_that_fit(notes, starts);
    if (again == fits) break;
    fits = again;
  }
  left_out = count - fits;
  return notes;
}

int tempo_index_of(int bpm) {
  int best = 0;
  for (int i = 1; i <= 12; ++i) {
    if (std::abs(tempoOf(i) - bpm) < std::abs(tempoOf(best) - bpm)) best = i;
  }
  return best;
}

}  // namespace phondeck
