#pragma once
// Smart Messaging ringing-tone files (.ott): the packed ringing-tone data,
// as a short message carries it after its port header.
#include <cstdint>
#include <span>
#include <vector>

#include "media/melody_notation.h"

namespace phondeck {

// The tone of a file's bytes (a leading port header is skipped). All
// patterns play once, in order, cut after the last note a ringing tone holds
// (the rest counted in left_out). Refuses double-dotted and two-thirds notes,
// melodies wider than three octaves and anything that is not a basic or
// temporary song.
ToneReading read_ott(std::span<const std::uint8_t> bytes);
// The tone's packed data; empty when it holds too many notes.
std::vector<std::uint8_t> write_ott(const RingTone& tone);

}  // namespace phondeck
