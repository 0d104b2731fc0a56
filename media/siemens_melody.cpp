// The Siemens notation: "C2(1/8) D2(1/8) P(1/4)".
#include "media/siemens_melody.h"

#include <cctype>

namespace phondeck {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

constexpr const char* kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "H"};

}  // namespace

ParsedMelody parse_siemens_melody(std::string_view text) {
  ParsedMelody out;
  std::size_t i = 0;
  auto fail = [&](std::size_t at, std::string what) {
    out.error = error_at(text, at, std::move(what));
    out.notes.clear();
    return out;
  };
  auto upper_at = [&](std::size_t k) {
    return k < text.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[k]))) : '\0';
  };
  while (i < text.size()) {
    if (is_blank(text[i])) {
      ++i;
      continue;
    }
    const std::size_t letter_at = i;
    const char c = upper_at(i++);
    int pitch = kRestPitch;
    if (c != 'P') {
      const int semitone = semitone_of_letter(static_cast<char>(std::tolower(static_cast<unsigned char>(c))), true);
      if (semitone < 0) return fail(letter_at, std::string("'") + text[letter_at] + "' is not a note");
      int sharp = 0;
      if (upper_at(i) == '#') {
        sharp = 1;
        ++i;
      } else if (upper_at(i) == 'I' && upper_at(i + 1) == 'S') {
        sharp = 1;
        i += 2;
      }
      if (sharp && (c == 'E' || c == 'B' || c == 'H')) return fail(letter_at, "e and b have no sharp");
      int octave = 1;
      if (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        octave = text[i] - '0';
        if (octave < 1 || octave > 3) return fail(i, "octave " + std::to_string(octave) + " is not 1, 2 or 3");
        ++i;
      }
      pitch = kLowestPitch + 12 * (octave - 1) + semitone + sharp;
    }
    int value = 4;
    bool dotted = false;
    if (i < text.size() && text[i] == '(') {
      ++i;
      if (upper_at(i) != '1' || upper_at(i + 1) != '/') return fail(i, "a length is written 1/1 .. 1/32");
      i += 2;
      value = 0;
      const std::size_t digits = i;
      while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - digits < 3)
        value = value * 10 + (text[i++] - '0');
      if (i < text.size() && text[i] == '.') {
        dotted = true;
        ++i;
      }
      if (upper_at(i) != ')') return fail(i, "\")\" is missing");
      ++i;
    }
    if (i < text.size() && text[i] == '.') {
      dotted = true;
      ++i;
    }
    const auto duration = duration_code(value, dotted);
    if (!duration) {
      return fail(letter_at, "length 1/" + std::to_string(value) + " is not 1/1, 1/2, 1/4, 1/8, 1/16 or 1/32");
    }
    if (i < text.size() && !is_blank(text[i])) return fail(i, std::string("unexpected '") + text[i] + "'");
    out.notes.push_back({pitch, *duration});
  }
  return out;
}

std::string format_siemens_melody(const std::vector<Note>& notes) {
  std::string text;
  for (std::size_t k = 0; k < notes.size(); ++k) {
    const Note& note = notes[k];
    if (k > 0) text += k % 8 == 0 ? '\n' : ' ';
    if (note.pitch <= kRestPitch || note.pitch > kHighestPitch) {
      text += 'P';
    } else {
      const int offset = note.pitch - kLowestPitch;
      text += kNames[offset % 12];
      text += static_cast<char>('1' + offset / 12);
    }
    text += "(1/" + std::to_string(note_value_of(note.duration));
    if (is_dotted(note.duration)) text += '.';
    text += ')';
  }
  return text;
}

}  // namespace phondeck
