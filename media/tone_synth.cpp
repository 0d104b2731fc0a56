#include "media/tone_synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "media/melody_notation.h"

namespace phondeck {

std::size_t note_samples(int duration, int bpm, int sample_rate) {
  if (bpm <= 0 || sample_rate <= 0) return 0;
  // A quarter note is 16 sixty-fourths and lasts one beat.
  const double seconds = 60.0 / bpm * sixty_fourths_of(duration) / 16.0;
  return static_cast<std::size_t>(std::lround(seconds * sample_rate));
}

std::vector<std::int16_t> synthesise(const std::vector<Note>& notes, int bpm, const SynthSettings& settings) {
  std::vector<std::int16_t> samples;
  const double amplitude = 32767.0 * std::clamp(settings.volume, 0.0, 1.0);
  const double rate = settings.sample_rate;
  // A few milliseconds of fade at both ends of a note keep it from clicking.
  const std::size_t fade = static_cast<std::size_t>(rate * 0.004);
  for (const Note& note : notes) {
    const std::size_t count = note_samples(note.duration, bpm, settings.sample_rate);
    const std::size_t start = samples.size();
    samples.resize(start + count, 0);
    if (note.pitch <= kRestPitch || note.pitch > kHighestPitch) continue;
    const double frequency = pitch_frequency(note.pitch);
    const std::size_t sounding = count - count / 10;
    for (std::size_t i = 0; i < sounding; ++i) {
      const double phase = std::fmod(frequency * static_cast<double>(i) / rate, 1.0);
      double value = settings.waveform == Waveform::Sine ? std::sin(2.0 * std::numbers::pi * phase)
                                                          : (phase < 0.5 ? 1.0 : -1.0);
      if (i < fade) value *= static_cast<double>(i) / static_cast<double>(fade);
      if (sounding - i < fade) value *= static_cast<double>(sounding - i) / static_cast<double>(fade);
      samples[start + i] = static_cast<std::int16_t>(std::lround(value * amplitude));
    }
  }
  return samples;
}

}  // namespace phondeck
