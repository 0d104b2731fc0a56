// The composer notation: "8c2 8d2 4.e2 -".
#include "media/nokia_melody.h"

#include <cctype>

namespace phondeck {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

constexpr const char* kLetters[12] = {"c", "#c", "d", "#d", "e", "f", "#f", "g", "#g", "a", "#a", "b"};

}  // namespace

ParsedMelody parse_nokia_melody(std::string_view text) {
  ParsedMelody out;
  std::size_t i = 0;
  auto fail = [&](std::size_t at, std::string what) {
    out.error = error_at(text, at, std::move(what));
    out.notes.clear();
    return out;
  };
  while (i < text.size()) {
    if (is_blank(text[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    int value = 0;
    bool has_value = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      if (value > 100) return fail(start, "note length too long");
      value = value * 10 + (text[i] - '0');
      has_value = true;
      ++i;
    }
    bool dotted = false;
    if (i < text.size() && text[i] == '.') {
      dotted = true;
      ++i;
    }
    if (!has_value) value = 4;
    const auto duration = duration_code(value, dotted);
    if (!duration) return fail(start, "note length " + std::to_string(value) + " is not 1, 2, 4, 8, 16 or 32");
    int sharp = 0;
    if (i < text.size() && text[i] == '#') {
      sharp = 1;
      ++i;
    }
    if (i >= text.size() || is_blank(text[i])) return fail(i, "a note letter or \"-\" is missing");
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    const std::size_t letter_at = i;
    ++i;
    if (c == '-') {
      if (sharp) return fail(letter_at, "a rest has no sharp");
      out.notes.push_back({kRestPitch, *duration});
    } else {
      const int semitone = semitone_of_letter(c);
      if (semitone < 0) return fail(letter_at, std::string("'") + text[letter_at] + "' is not a note");
      if (i < text.size() && text[i] == '#') {
        if (sharp) return fail(i, "second sharp on one note");
        sharp = 1;
        ++i;
      }
      if (sharp && (c == 'e' || c == 'b')) return fail(letter_at, "e and b have no sharp");
      int octave = 1;
      if (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        octave = text[i] - '0';
        if (octave < 1 || octave > 3) return fail(i, "octave " + std::to_string(octave) + " is not 1, 2 or 3");
        ++i;
      }
      out.notes.push_back({kLowestPitch + 12 * (octave - 1) + semitone + sharp, *duration});
    }
    if (i < text.size() && !is_blank(text[i])) return fail(i, std::string("unexpected '") + text[i] + "'");
  }
  return out;
}

std::string format_nokia_melody(const std::vector<Note>& notes) {
  std::string text;
  for (std::size_t k = 0; k < notes.size(); ++k) {
    const Note& note = notes[k];
    if (k > 0) text += k % 16 == 0 ? '\n' : ' ';
    text += std::to_string(note_value_of(note.duration));
    if (is_dotted(note.duration)) text += '.';
    if (note.pitch <= kRestPitch || note.pitch > kHighestPitch) {
      text += '-';
      continue;
    }
    const int offset = note.pitch - kLowestPitch;
    text += kLetters[offset % 12];
    text += static_cast<char>('1' + offset / 12);
  }
  return text;
}

}  // namespace phondeck
