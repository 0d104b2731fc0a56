// The MIDI file reader on arbitrary bytes: a tone it makes keeps the limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "media/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const MidiReading r = read_midi(std::span<const std::uint8_t>(data, size));
  if (r.tracks.size() > size / 8) std::abort();
  if (!r.ok()) return 0;
  if (r.tone.notes.empty() || r.tone.notes.size() > kMaxToneNotes) std::abort();
  for (const Note& n : r.tone.notes)
    if (n.pitch < kRestPitch || n.pitch > kHighestPitch || !is_duration_code(n.duration)) std::abort();
  return 0;
}
