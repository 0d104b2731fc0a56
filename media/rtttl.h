#pragma once
// RTTTL, the ringtone text found on the net: "name:d=4,o=5,b=120:8c6,8d#,4.e".
// Octave 5 is the tone's lowest (its a sounds at 880 Hz) and 7 its highest;
// a melody below or above is moved by whole octaves when all of it then fits.
#include <string>
#include <string_view>

#include "media/melody_notation.h"

namespace phondeck {

// The tone of an RTTTL text: its name (cut to 15 characters), the tempo
// slider position nearest its beats per minute, and its notes, cut after
// the last whole note a ringing tone holds (the rest counted in left_out).
// Refuses melodies wider than three octaves, and any text it cannot read,
// with the place of the fault.
ToneReading read_rtttl(std::string_view text);
// The tone as RTTTL, with the most frequent length and octave as defaults.
std::string write_rtttl(const RingTone& tone);

}  // namespace phondeck
