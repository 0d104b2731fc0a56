#pragma once
// The Siemens melody notation: per note the letter (C D E F G A, B or H for
// b), "#" or "is" for a sharp, the octave 1..3 (1 when left out) and the
// length in parentheses, 1/1 .. 1/32 with an optional dot (1/4 when left
// out); "P" is a rest: "C2(1/8) D2(1/8) P(1/4)".
#include <string>
#include <string_view>
#include <vector>

#include "media/melody_notation.h"

namespace phondeck {

ParsedMelody parse_siemens_melody(std::string_view text);
// The notes in this notation, eight to a line.
std::string format_siemens_melody(const std::vector<Note>& notes);

}  // namespace phondeck
