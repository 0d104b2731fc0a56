#pragma once
// The tone as sound: 16-bit mono samples of a square or sine wave at each
// note's pitch, each note held for its length at the given tempo (a quarter
// note is one beat) with a short silence at its end so repeated notes part.
#include <cstdint>
#include <vector>

#include "media/ring_tone.h"

namespace phondeck {

enum class Waveform { Square, Sine };

struct SynthSettings {
  int sample_rate = 22050;
  Waveform waveform = Waveform::Square;
  double volume = 0.3;  // of full scale
};

// Samples one note of the duration code lasts.
std::size_t note_samples(int duration, int bpm, int sample_rate);
std::vector<std::int16_t> synthesise(const std::vector<Note>& notes, int bpm, const SynthSettings& settings = {});

}  // namespace phondeck
