// Tempo tables, the Ericsson melody text and the note-code string.
#include "media/ring_tone.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace phondeck {

namespace {

constexpr std::array<int, 13> kSliderBpm = {20, 30, 40, 50, 60, 80, 100,
                                            120, 160, 200, 240, 300, 350};

// Beats per minute of the 32 Smart Messaging tempo codes.
constexpr std::array<int, 32> kSmartBpm = {25,  28,  31,  35,  40,  45,  50,  56,
                                           63,  70,  80,  90,  100, 112, 125, 140,
                                           160, 180, 200, 225, 250, 285, 320, 355,
                                           400, 450, 500, 565, 635, 715, 800, 900};

std::string describe(char c, std::size_t line, std::size_t column, const char* what) {
  std::string text = "line " + std::to_string(line + 1) + ", column " +
                     std::to_string(column + 1) + ": ";
  text += what;
  if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F) {
    text += " '";
    text += c;
    text += "'";
  }
  return text;
}

}  // namespace

int tempoOf(int position) {
  if (position < 0 || position >= static_cast<int>(kSliderBpm.size())) return 0;
  return kSliderBpm[static_cast<std::size_t>(position)];
}

int smartTempoCode(int bpm) {
  int best = 0;
  for (int code = 1; code < static_cast<int>(kSmartBpm.size()); ++code) {
    if (std::abs(kSmartBpm[static_cast<std::size_t>(code)] - bpm) <
        std::abs(kSmartBpm[static_cast<std::size_t>(best)] - bpm))
      best = code;
  }
  return best;
}

int smartTempoBpm(int code) {
  if (code < 0 || code >= static_cast<int>(kSmartBpm.size())) return 0;
  return kSmartBpm[static_cast<std::size_t>(code)];
}

std::vector<Note> parseEricssonText(const std::vector<std::string>& lines, std::string* problem) {
  std::vector<Note> notes;
  if (problem) problem->clear();
  auto report = [&](char c, std::size_t line, std::size_t column, const char* what) {
    if (problem && problem->empty()) *problem = describe(c, line, column, what);
  };
  for (std::size_t line = 0; line < lines.size(); ++line) {
    const std::string& text = lines[line];
    int sharp = 0;
    int octave = 0;
    std::size_t markColumn = 0;
    for (std::size_t column = 0; column < text.size(); ++column) {
      const char c = text[column];
      const bool marked = sharp != 0 || octave != 0;
      if (c == '#' || c == '+') {
        if (!marked) markColumn = column;
        if (c == '#') {
          if (sharp) report(c, line, column, "second sharp on one note");
          sharp = 1;
        } else if (octave == 2) {
          report(c, line, column, "octave mark beyond the highest octave");
        } else {
          ++octave;
        }
        continue;
      }
      const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
      const bool quarter = c != lower;
      if (lower == 'p') {
        if (marked) report(c, line, column, "sharp or octave mark on a rest");
        notes.push_back({kRestPitch, quarter ? kQuarterNote : kEighthNote});
      } else if (const int semitone = semitone_of_letter(lower); semitone >= 0) {
        const int pitch = kLowestPitch + semitone + sharp + 12 * octave;
        if (pitch > kHighestPitch)
          report(c, line, column, "note above the highest octave");
        else
          notes.push_back({pitch, quarter ? kQuarterNote : kEighthNote});
      } else {
        if (marked) report(text[markColumn], line, markColumn, "mark without a note");
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
          report(c, line, column, "not a note");
      }
      sharp = 0;
      octave = 0;
    }
    if (sharp || octave) report(text[markColumn], line, markColumn, "mark without a note");
  }
  return notes;
}

std::vector<Note> parseEricssonText(std::string_view text, std::string* problem) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    lines.emplace_back(text.substr(start, stop - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parseEricssonText(lines, problem);
}

namespace {

constexpr char kDurationCharacters[] = "0123456789AB";

}  // namespace

std::string toNoteCodes(const std::vector<Note>& notes) {
  std::string codes;
  codes.reserve(notes.size() * 3);
  for (const Note& note : notes) {
    const int pitch = note.pitch < 0 ? 0 : note.pitch % 100;
    codes += static_cast<char>('0' + pitch / 10);
    codes += static_cast<char>('0' + pitch % 10);
    codes += kDurationCharacters[is_duration_code(note.duration) ? note.duration : kQuarterNote];
  }
  return codes;
}

std::optional<std::vector<Note>> fromNoteCodes(std::string_view codes, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<std::vector<Note>> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  if (codes.size() % 3 != 0)
    return fail("note codes come in groups of three digits; " + std::to_string(codes.size()) +
                " characters is not a whole number of groups");
  std::vector<Note> notes;
  notes.reserve(codes.size() / 3);
  for (std::size_t i = 0; i < codes.size(); i += 3) {
    for (std::size_t k = i; k < i + 2; ++k) {
      if (codes[k] < '0' || codes[k] > '9')
        return fail("character " + std::to_string(k + 1) + " is not a digit");
    }
    const char* const found = codes[i + 2] == '\0' ? nullptr : std::strchr(kDurationCharacters, codes[i + 2]);
    if (found == nullptr)
      return fail("character " + std::to_string(i + 3) + " is not a duration (0 to 9, A or B)");
    const int pitch = (codes[i] - '0') * 10 + (codes[i + 1] - '0');
    const int duration = static_cast<int>(found - kDurationCharacters);
    if (pitch < kRestPitch || pitch > kHighestPitch)
      return fail("note " + std::to_string(i / 3 + 1) + " has the pitch code " +
                  std::to_string(pitch) + ", outside 10 to " + std::to_string(kHighestPitch));
    notes.push_back({pitch, duration});
  }
  if (error) error->clear();
  return notes;
}

int semitone_of_letter(char lower, bool h_is_b) {
  switch (lower) {
    case 'c': return 0;
    case 'd': return 2;
    case 'e': return 4;
    case 'f': return 5;
    case 'g': return 7;
    case 'a': return 9;
    case 'b': return 11;
    case 'h': return h_is_b ? 11 : -1;
    default: return -1;
  }
}

}  // namespace phondeck
