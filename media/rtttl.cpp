// RTTTL: a name, the defaults (d, o, b) and the notes, separated by colons.
#include "media/rtttl.h"

#include <array>
#include <cctype>

namespace phondeck {

namespace {

constexpr int kLowestOctave = 5;  // RTTTL octave of pitch codes 11..22

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads a decimal number of at most four digits at i.
std::optional<int> number_at(std::string_view text, std::size_t& i) {
  int value = 0;
  const std::size_t start = i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - start < 4)
    value = value * 10 + (text[i++] - '0');
  if (i == start) return std::nullopt;
  return value;
}

constexpr const char* kLetters[12] = {"c", "c#", "d", "d#", "e", "f", "f#", "g", "g#", "a", "a#", "b"};

}  // namespace

ToneReading read_rtttl(std::string_view text) {
  ToneReading out;
  auto fail = [&](std::size_t at, std::string what) {
    out.error = error_at(text, at, std::move(what));
    out.tone.notes.clear();
    return out;
  };
  const std::size_t first_colon = text.find(':');
  if (first_colon == std::string_view::npos) return fail(text.size(), "\":\" after the name is missing");
  const std::size_t second_colon = text.find(':', first_colon + 1);
  if (second_colon == std::string_view::npos) return fail(text.size(), "\":\" before the notes is missing");

  std::string name;
  for (char c : text.substr(0, first_colon)) {
    if (!is_space(c) || !name.empty()) name += c;
  }
  while (!name.empty() && is_space(name.back())) name.pop_back();
  out.tone.name = smartTitle(name);  // cut to what the title carries

  int default_value = 4;
  int default_octave = 6;
  int bpm = 63;
  std::size_t i = first_colon + 1;
  while (i < second_colon) {
    if (is_space(text[i]) || text[i] == ',') {
      ++i;
      continue;
    }
    const std::size_t key_at = i;
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i++])));
    while (i < second_colon && is_space(text[i])) ++i;
    if (i >= second_colon || text[i] != '=') return fail(i, "\"=\" is missing");
    ++i;
    while (i < second_colon && is_space(text[i])) ++i;
    const std::size_t value_at = i;
    const auto value = number_at(text, i);
    if (!value) return fail(value_at, "a number is missing");
    switch (key) {
      case 'd':
        if (!duration_code(*value, false)) return fail(value_at, "default length is not 1, 2, 4, 8, 16 or 32");
        default_value = *value;
        break;
      case 'o':
        if (*value < 4 || *value > 7) return fail(value_at, "default octave is not 4 .. 7");
        default_octave = *value;
        break;
      case 'b':
        if (*value < 1 || *value > 900) return fail(value_at, "beats per minute are not 1 .. 900");
        bpm = *value;
        break;
      default:
        return fail(key_at, std::string("'") + text[key_at] + "' is not d, o or b");
    }
  }
  out.tone.tempoIndex = tempo_index_of(bpm);

  std::vector<int> midi;
  std::vector<int> durations;
  i = second_colon + 1;
  while (i < text.size()) {
    if (is_space(text[i]) || text[i] == ',') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    int value = default_value;
    if (std::isdigit(static_cast<unsigned char>(text[i]))) value = *number_at(text, i);
    bool dotted = false;
    if (i < text.size() && text[i] == '.') {  // also seen before the note
      dotted = true;
      ++i;
    }
    if (i >= text.size()) return fail(i, "a note letter is missing");
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    const std::size_t letter_at = i++;
    int note = -1;
    if (letter != 'p') {
      const int semitone = semitone_of_letter(letter, true);
      if (semitone < 0) return fail(letter_at, std::string("'") + text[letter_at] + "' is not a note");
      int sharp = 0;
      if (i < text.size() && text[i] == '#') {
        if (letter == 'e' || letter == 'b' || letter == 'h') return fail(i, "e and b have no sharp");
        sharp = 1;
        ++i;
      }
      if (i < text.size() && text[i] == '.') {
        dotted = true;
        ++i;
      }
      int octave = default_octave;
      if (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        octave = text[i] - '0';
        if (octave < 4 || octave > 7) return fail(i, "octave is not 4 .. 7");
        ++i;
      }
      note = midi_note_of(kLowestPitch) + 12 * (octave - kLowestOctave) + semitone + sharp;
    }
    if (i < text.size() && text[i] == '.') {
      dotted = true;
      ++i;
    }
    while (i < text.size() && is_space(text[i])) ++i;
    if (i < text.size() && text[i] != ',') return fail(i, std::string("unexpected '") + text[i] + "'");
    const auto duration = duration_code(value, dotted);
    if (!duration) return fail(start, "length " + std::to_string(value) + " is not 1, 2, 4, 8, 16 or 32");
    midi.push_back(note);
    durations.push_back(*duration);
  }
  auto notes = fit_tune(midi, durations, {}, out.left_out);
  if (!notes) return fail(second_colon + 1, "the melody is wider than the three octaves a ringing tone carries");
  out.tone.notes = std::move(*notes);
  return out;
}

std::string write_rtttl(const RingTone& tone) {
  std::array<int, kLongestDurationCode + 1> duration_count{};
  std::array<int, 3> octave_count{};
  for (const Note& note : tone.notes) {
    const int code = is_duration_code(note.duration) ? note.duration / 2 * 2 : kQuarterNote;
    ++duration_count[static_cast<std::size_t>(code)];
    if (note.pitch > kRestPitch && note.pitch <= kHighestPitch)
      ++octave_count[static_cast<std::size_t>((note.pitch - kLowestPitch) / 12)];
  }
  int default_code = kQuarterNote;
  for (int code = 0; code <= kThirtySecondNote; code += 2) {
    if (duration_count[static_cast<std::size_t>(code)] > duration_count[static_cast<std::size_t>(default_code)])
      default_code = code;
  }
  int default_octave = 0;
  for (int k = 1; k < 3; ++k) {
    if (octave_count[static_cast<std::size_t>(k)] > octave_count[static_cast<std::size_t>(default_octave)])
      default_octave = k;
  }
  std::string name;
  for (char c : tone.name) name += (c == ':' || c == ',') ? ' ' : c;
  const int default_value = note_value_of(default_code);
  std::string text = name + ":d=" + std::to_string(default_value) +
                     ",o=" + std::to_string(default_octave + kLowestOctave) +
                     ",b=" + std::to_string(tempoOf(tone.tempoIndex)) + ":";
  for (std::size_t k = 0; k < tone.notes.size(); ++k) {
    const Note& note = tone.notes[k];
    if (k > 0) text += ',';
    const int value = note_value_of(note.duration);
    if (value != default_value) text += std::to_string(value);
    if (note.pitch <= kRestPitch || note.pitch > kHighestPitch) {
      text += 'p';
    } else {
      const int offset = note.pitch - kLowestPitch;
      text += kLetters[offset % 12];
      if (offset / 12 != default_octave) text += std::to_string(offset / 12 + kLowestOctave);
    }
    if (is_dotted(note.duration)) text += '.';
  }
  return text;
}

}  // namespace phondeck
