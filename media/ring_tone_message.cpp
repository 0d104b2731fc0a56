// The Smart Messaging ringing-tone message: fields written most significant
// bit first, one straight after the other across byte boundaries.
#include <cstdint>
#include <vector>

#include "media/ring_tone.h"

namespace phondeck {

namespace {

class BitWriter {
 public:
  void put(unsigned value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ == 0) bytes_.push_back(0);
      if ((value >> i) & 1u) bytes_.back() |= static_cast<std::uint8_t>(0x80u >> used_);
      used_ = (used_ + 1) % 8;
    }
  }
  // The bytes so far; the unused low bits of the last byte are zero.
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
  int used_ = 0;  // bits used in the last byte
};

constexpr unsigned kRingingToneProgramming = 0x25;  // 0100101
constexpr unsigned kSound = 0x1D;                   // 0011101
constexpr unsigned kBasicSong = 1;                  // 001
constexpr unsigned kNoteInstruction = 1;            // 001
constexpr unsigned kScaleInstruction = 2;           // 010
constexpr unsigned kStyleInstruction = 3;           // 011
constexpr unsigned kTempoInstruction = 4;           // 100
constexpr unsigned kContinuousStyle = 1;
constexpr int kDefaultScale = 1;

int scaleOf(int pitch) { return kDefaultScale + (pitch - kLowestPitch) / 12; }

}  // namespace

std::size_t patternInstructions(const std::vector<Note>& notes) {
  std::size_t instructions = 3;
  int scale = kDefaultScale;
  for (const Note& note : notes) {
    ++instructions;
    if (note.pitch > kRestPitch && note.pitch <= kHighestPitch && scaleOf(note.pitch) != scale) {
      scale = scaleOf(note.pitch);
      ++instructions;
    }
  }
  return instructions;
}

std::vector<std::uint8_t> encodeRingingTone(const RingTone& tone, int tempoCode) {
  const std::size_t instructions = patternInstructions(tone.notes);
  if (instructions > kMaxPatternInstructions) return {};

  const std::string title = smartTitle(tone.name);
  BitWriter out;
  out.put(2, 8);  // command count
  out.put(kRingingToneProgramming, 7);
  out.put(0, 1);
  out.put(kSound, 7);
  out.put(kBasicSong, 3);
  out.put(static_cast<unsigned>(title.size()), 4);
  for (char c : title) out.put(static_cast<unsigned char>(c), 8);
  out.put(1, 8);  // one pattern
  out.put(0, 3);  // pattern header
  out.put(0, 2);  // pattern A
  out.put(0, 4);  // no loop
  out.put(static_cast<unsigned>(instructions), 8);
  out.put(kStyleInstruction, 3);
  out.put(kContinuousStyle, 2);
  out.put(kTempoInstruction, 3);
  out.put(static_cast<unsigned>(tempoCode) & 0x1Fu, 5);
  out.put(kScaleInstruction, 3);
  out.put(kDefaultScale, 2);
  int scale = kDefaultScale;
  for (const Note& note : tone.notes) {
    unsigned value = 0;
    if (note.pitch > kRestPitch && note.pitch <= kHighestPitch) {
      if (scaleOf(note.pitch) != scale) {
        scale = scaleOf(note.pitch);
        out.put(kScaleInstruction, 3);
        out.put(static_cast<unsigned>(scale), 2);
      }
      value = static_cast<unsigned>((note.pitch - kLowestPitch) % 12 + 1);
    }
    const unsigned code = static_cast<unsigned>(is_duration_code(note.duration) ? note.duration : kQuarterNote);
    out.put(kNoteInstruction, 3);
    out.put(value, 4);
    out.put(code / 2, 3);  // 0 whole .. 5 thirty-second
    out.put(code % 2, 2);  // specifier: 01 dotted
  }
  return out.take();
}

std::vector<std::uint8_t> toSmartMessage(const RingTone& tone) {
  std::vector<std::uint8_t> data = encodeRingingTone(tone, smartTempoCode(tempoOf(tone.tempoIndex)));
  if (data.empty()) return {};
  std::vector<std::uint8_t> message(std::begin(kRingTonePortHeader), std::end(kRingTonePortHeader));
  message.insert(message.end(), data.begin(), data.end());
  return message;
}

std::string smartTitle(std::string_view name) {
  std::string title;
  std::size_t i = 0;
  while (i < name.size() && title.size() < RingTone::kMaxNameLength) {
    const auto lead = static_cast<unsigned char>(name[i]);
    auto continuation = [&](std::size_t k) {
      return k < name.size() && (static_cast<unsigned char>(name[k]) & 0xC0) == 0x80;
    };
    if (lead < 0x80) {
      title += static_cast<char>(lead);
      i += 1;
    } else if (lead >= 0xC2 && lead <= 0xDF && continuation(i + 1)) {
      const unsigned code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(name[i + 1]) & 0x3Fu);
      title += static_cast<char>(code <= 0xFF ? code : '?');
      i += 2;
    } else if (lead >= 0xE0 && lead <= 0xEF && continuation(i + 1) && continuation(i + 2)) {
      title += '?';
      i += 3;
    } else if (lead >= 0xF0 && lead <= 0xF4 && continuation(i + 1) && continuation(i + 2) &&
               continuation(i + 3)) {
      title += '?';
      i += 4;
    } else {
      title += static_cast<char>(lead);  // not UTF-8: already ISO 8859-1
      i += 1;
    }
  }
  return title;
}

}  // namespace phondeck
