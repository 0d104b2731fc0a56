// Reading the packed ringing-tone data, field by field, most significant bit
// first.
#include "media/ott_file.h"

#include <algorithm>
#include <optional>
#include <string>

namespace phondeck {

namespace {

class BitReader {
 public:
  explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  // Nothing when the data end first.
  std::optional<unsigned> get(int bits) {
    if (bits > static_cast<int>(bytes_.size() * 8 - std::min(pos_, bytes_.size() * 8))) return std::nullopt;
    unsigned value = 0;
    for (int i = 0; i < bits; ++i, ++pos_) value = (value << 1) | ((bytes_[pos_ / 8] >> (7 - pos_ % 8)) & 1u);
    return value;
  }
  void align() { pos_ = (pos_ + 7) / 8 * 8; }
  std::size_t byte() const { return pos_ / 8; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

constexpr unsigned kProgramming = 0x25;
constexpr unsigned kUnicode = 0x22;
constexpr unsigned kSound = 0x1D;
constexpr unsigned kBasicSong = 1;
constexpr unsigned kTemporarySong = 2;

}  // namespace

ToneReading read_ott(std::span<const std::uint8_t> bytes) {
  ToneReading out;
  std::size_t offset = 0;
  if (bytes.size() >= 7 && std::equal(std::begin(kRingTonePortHeader), std::end(kRingTonePortHeader), bytes.begin()))
    offset = 7;
  BitReader in(bytes.subspan(offset));
  auto fail = [&](std::string what) {
    out.error = MelodyError{0, static_cast<int>(offset + in.byte()), std::move(what)};
    out.tone.notes.clear();
    return out;
  };
  const char* kShort = "the data end early";

  const auto commands = in.get(8);
  if (!commands) return fail(kShort);
  bool unicode = false;
  bool sound = false;
  for (unsigned c = 0; c < *commands && !sound; ++c) {
    const auto command = in.get(7);
    if (!command) return fail(kShort);
    if (*command == kProgramming || *command == kUnicode) {
      unicode = unicode || *command == kUnicode;
      in.align();
      continue;
    }
    if (*command != kSound) return fail("not a ringing tone command");
    sound = true;
  }
  if (!sound) return fail("no sound command");
  const auto song = in.get(3);
  if (!song) return fail(kShort);
  if (*song == kBasicSong) {
    const auto length = in.get(4);
    if (!length) return fail(kShort);
    std::string title;
    for (unsigned k = 0; k < *length; ++k) {
      const auto c = in.get(unicode ? 16 : 8);
      if (!c) return fail(kShort);
      title += static_cast<char>(*c <= 0xFF ? *c : '?');
    }
    // The title is ISO 8859-1; the tone keeps UTF-8.
    std::string name;
    for (char ch : title) {
      const auto b = static_cast<unsigned char>(ch);
      if (b < 0x80) {
        name += ch;
      } else {
        name += static_cast<char>(0xC0 | (b >> 6));
        name += static_cast<char>(0x80 | (b & 0x3F));
      }
    }
    out.tone.name = name;
  } else if (*song == kTemporarySong) {
    out.tone.name.clear();
  } else {
    return fail("not a basic or temporary song");
  }

  const auto patterns = in.get(8);
  if (!patterns) return fail(kShort);
  std::vector<int> midi;
  std::vector<int> durations;
  int scale = 1;
  int tempo_code = -1;
  for (unsigned p = 0; p < *patterns; ++p) {
    const auto header = in.get(3);
    const auto id = in.get(2);
    const auto loop = in.get(4);
    const auto count = in.get(8);
    if (!header || !id || !loop || !count) return fail(kShort);
    if (*header != 0) return fail("not a pattern header");
    for (unsigned k = 0; k < *count; ++k) {
      const auto instruction = in.get(3);
      if (!instruction) return fail(kShort);
      switch (*instruction) {
        case 1: {
          const auto value = in.get(4);
          const auto duration = in.get(3);
          const auto specifier = in.get(2);
          if (!value || !duration || !specifier) return fail(kShort);
          if (*value > 12) return fail("note value " + std::to_string(*value) + " is not 0 .. 12");
          if (*duration > 5) return fail("duration " + std::to_string(*duration) + " is not 0 .. 5");
          if (*specifier > 1) return fail("double-dotted and two-thirds notes are not carried");
          midi.push_back(*value == 0 ? -1 : kMidiOfLowestPitch + 12 * (scale - 1) + static_cast<int>(*value) - 1);
          durations.push_back(static_cast<int>(*duration) * 2 + static_cast<int>(*specifier));
          break;
        }
        case 2: {
          const auto value = in.get(2);
          if (!value) return fail(kShort);
          scale = static_cast<int>(*value);
          break;
        }
        case 3:
          if (!in.get(2)) return fail(kShort);
          break;
        case 4: {
          const auto value = in.get(5);
          if (!value) return fail(kShort);
          if (tempo_code < 0) tempo_code = static_cast<int>(*value);
          break;
        }
        case 5:
          if (!in.get(4)) return fail(kShort);
          break;
        default:
          return fail("instruction " + std::to_string(*instruction) + " is not known");
      }
    }
  }
  auto notes = fit_tune(midi, durations, {}, out.left_out);
  if (!notes) return fail("the melody is wider than the three octaves a ringing tone carries");
  out.tone.tempoIndex = tempo_index_of(smartTempoBpm(tempo_code < 0 ? 14 : tempo_code));
  out.tone.notes = std::move(*notes);
  return out;
}

std::vector<std::uint8_t> write_ott(const RingTone& tone) {
  return encodeRingingTone(tone, smartTempoCode(tempoOf(tone.tempoIndex)));
}

}  // namespace phondeck
