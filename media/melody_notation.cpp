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

int half_sixteenths_of(int duration) {
  if (duration < 0 || duration > 9) duration = kQuarterNote;
  const int plain = 32 >> (duration / 2);
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
    default: return std::nullopt;
  }
  return code + (dotted ? 1 : 0);
}

int note_value_of(int duration) {
  if (duration < 0 || duration > 9) duration = kQuarterNote;
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

int tempo_index_of(int bpm) {
  int best = 0;
  for (int i = 1; i <= 12; ++i) {
    if (std::abs(tempoOf(i) - bpm) < std::abs(tempoOf(best) - bpm)) best = i;
  }
  return best;
}

}  // namespace phondeck
