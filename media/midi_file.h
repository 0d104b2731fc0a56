#pragma once
// Standard MIDI files, format 0 and 1: the tracks for the MIDI page's tree,
// the tempo, and the tone made of the first track with notes (drums on
// channel 10 do not count). The tone plays one note at a time: a note that
// starts cuts the one sounding, of notes starting together the highest
// stays; lengths are rounded to thirty-seconds, and gaps become rests. A
// tune longer than a tone holds is cut after its last whole note that fits.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/melody_notation.h"

namespace phondeck {

struct MidiTrack {
  std::string name;  // its track name event, if any
  int notes = 0;     // notes outside channel 10
  int channel = -1;  // channel (1..16) of its first note; -1 without notes
};

struct MidiReading {
  int format = 0;
  int division = 0;  // ticks per quarter note
  int bpm = 120;     // the first tempo event's, 120 without one
  std::vector<MidiTrack> tracks;
  int tone_track = -1;  // index of the track the tone was made of
  RingTone tone;        // name from the first track's name, tempo from bpm
  std::size_t left_out = 0;  // tone notes (rests too) of the tune past the cut
  // Where each note of the tune begins in tone.notes (a note may be held
  // over rests after it), so a later cut keeps a note whole.
  std::vector<std::size_t> note_starts;
  // The file could not be read (no tracks then), or its tone not made (the
  // tracks stay for the tree).
  std::optional<MelodyError> error;
  bool ok() const { return !error.has_value(); }
};

MidiReading read_midi(std::span<const std::uint8_t> bytes);

}  // namespace phondeck
