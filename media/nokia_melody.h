#pragma once
// The handset composer's own notation: per note the length (1, 2, 4, 8, 16, 32;
// 4 when left out), an optional dot, the note letter with "#" for a sharp
// (before or after the letter) and the octave 1..3 (1 when left out), or "-"
// for a rest. Notes are separated by blanks or line breaks:
// "8c2 8d2 4.e2 -".
#include <string>
#include <string_view>
#include <vector>

#include "media/melody_notation.h"

namespace phondeck {

ParsedMelody parse_nokia_melody(std::string_view text);
// The notes in this notation, sixteen to a line.
std::string format_nokia_melody(const std::vector<Note>& notes);

}  // namespace phondeck
