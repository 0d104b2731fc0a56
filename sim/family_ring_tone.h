#pragma once
// Ringing tone upload (0x12, 0x0C 0x01 then a Smart Messaging ringing-tone
// message): the handset takes the tone as its own and keeps what it read.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/families.h"
#include "sim/handset_codec.h"

namespace phondeck::sim {

// One note instruction as the message carries it.
struct ToneNote {
  int value = 0;      // 0 rest, 1 c .. 12 b
  int scale = 1;      // the scale in force: 0..3
  int duration = 2;   // 0 whole .. 5 thirty-second
  int specifier = 0;  // 0 none, 1 dotted, 2 double dotted, 3 two thirds
  bool operator==(const ToneNote&) const = default;
};

struct UploadedTone {
  std::string name;   // UTF-8 of the ISO 8859-1 title
  int tempo_bpm = 0;  // of the first tempo instruction
  std::vector<ToneNote> notes;
  bool operator==(const UploadedTone&) const = default;
};

struct RingToneState {
  std::optional<UploadedTone> tone;  // the last upload that read well
  int uploads = 0;                   // every upload, read well or not
  int refused = 0;                   // uploads that did not read
};

// The tone in a Smart Messaging message (port header first), or nothing.
std::optional<UploadedTone> decode_tone_message(const Bytes& message);

HandsetFamily ring_tone_family();

}  // namespace phondeck::sim
