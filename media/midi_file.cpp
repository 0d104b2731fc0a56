// Standard MIDI files: the header chunk, then track chunks of delta-timed
// events (channel messages with running status, system exclusive and meta
// events).
#include "media/midi_file.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace phondeck {

namespace {

struct Sounding {
  std::int64_t start = 0;
  std::int64_t end = -1;
  int key = 0;
};

struct TrackNotes {
  std::vector<Sounding> notes;
};

class ByteReader {
 public:
  ByteReader(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t to)
      : bytes_(bytes), pos_(from), end_(to) {}
  bool done() const { return pos_ >= end_; }
  std::size_t pos() const { return pos_; }
  std::optional<std::uint8_t> byte() {
    if (pos_ >= end_) return std::nullopt;
    return bytes_[pos_++];
  }
  std::optional<std::uint8_t> peek() const {
    if (pos_ >= end_) return std::nullopt;
    return bytes_[pos_];
  }
  // A variable-length quantity of at most four bytes.
  std::optional<std::uint32_t> var() {
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k) {
      const auto b = byte();
      if (!b) return std::nullopt;
      value = (value << 7) | (*b & 0x7Fu);
      if ((*b & 0x80u) == 0) return value;
    }
    return std::nullopt;
  }
  bool skip(std::size_t n) {
    if (n > end_ - pos_) return false;
    pos_ += n;
    return true;
  }
  std::span<const std::uint8_t> take(std::size_t n) { return bytes_.subspan(pos_ - n, n); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_;
  std::size_t end_;
};

std::uint32_t big_endian(std::span<const std::uint8_t> b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int k = 0; k < n; ++k) v = (v << 8) | b[at + static_cast<std::size_t>(k)];
  return v;
}

// Note lengths in thirty-seconds and their duration codes, longest first.
constexpr std::array<std::pair<int, int>, 11> kPieces = {
    {{48, 1}, {32, 0}, {24, 3}, {16, 2}, {12, 5}, {8, 4}, {6, 7}, {4, 6}, {3, 9}, {2, 8}, {1, kThirtySecondNote}}};

// The tune as tone notes: kept while a tone may still hold them, after that
// only counted (a long silence would otherwise be thousands of rests).
struct TuneNotes {
  std::vector<int> midi;  // -1 a rest
  std::vector<int> durations;
  std::vector<std::size_t> starts;  // where each note of the tune begins
  std::size_t past = 0;             // tone notes after those kept

  bool full() const { return midi.size() > kMaxToneNotes; }
  void add(int key, int code, std::int64_t times = 1) {
    for (; times > 0 && !full(); --times) {
      midi.push_back(key);
      durations.push_back(code);
    }
    past += static_cast<std::size_t>(times);
  }
  // A silence: rests, each a note of its own.
  void rests(std::int64_t length) {
    for (const auto& [piece, code] : kPieces) {
      for (; length >= piece && !full(); length -= piece) {
        starts.push_back(midi.size());
        add(-1, code);
      }
      add(-1, code, length / piece);
      length %= piece;
    }
  }
  // A note: its longest piece that fits, then rests to its end, kept or
  // left out together.
  void note(int key, std::int64_t length) {
    for (const auto& [piece, code] : kPieces) {
      if (piece > length) continue;
      if (!full()) starts.push_back(midi.size());
      add(key, code);
      length -= piece;
      for (const auto& [rest, rest_code] : kPieces) {
        add(-1, rest_code, length / rest);
        length %= rest;
      }
      return;
    }
  }
};

}  // namespace

MidiReading read_midi(std::span<const std::uint8_t> bytes) {
  MidiReading out;
  auto fail_at = [&](std::size_t at, std::string what) {
    out.error = MelodyError{0, static_cast<int>(at), std::move(what)};
    return out;
  };
  if (bytes.size() < 14 || big_endian(bytes, 0, 4) != 0x4D546864u) return fail_at(0, "not a MIDI file");
  const std::uint32_t header_length = big_endian(bytes, 4, 4);
  if (header_length < 6 || header_length > bytes.size() - 8) return fail_at(4, "the header is cut short");
  out.format = static_cast<int>(big_endian(bytes, 8, 2));
  const int track_count = static_cast<int>(big_endian(bytes, 10, 2));
  const int division = static_cast<int>(big_endian(bytes, 12, 2));
  if (out.format > 1) return fail_at(8, "format " + std::to_string(out.format) + " is not read (only 0 and 1)");
  if (division & 0x8000) return fail_at(12, "time code timing is not read");
  if (division == 0) return fail_at(12, "zero ticks per quarter note");
  out.division = division;

  std::vector<TrackNotes> track_notes;
  std::optional<std::uint32_t> tempo;
  std::size_t at = 8 + header_length;
  for (int t = 0; t < track_count && at + 8 <= bytes.size(); ++t) {
    const std::uint32_t id = big_endian(bytes, at, 4);
    const std::uint32_t length = big_endian(bytes, at + 4, 4);
    if (length > bytes.size() - at - 8) return fail_at(at + 4, "a track is cut short");
    const std::size_t end = at + 8 + length;
    if (id != 0x4D54726Bu) {  // not MTrk: an unknown chunk, skipped
      at = end;
      --t;
      continue;
    }
    MidiTrack track;
    TrackNotes notes;
    std::array<std::int64_t, 16 * 128> open;  // index of the sounding note per channel and key
    open.fill(-1);
    ByteReader in(bytes, at + 8, end);
    std::int64_t now = 0;
    std::uint8_t status = 0;
    while (!in.done()) {
      const auto delta = in.var();
      if (!delta) return fail_at(in.pos(), "a delta time is cut short");
      now += *delta;
      auto first = in.byte();
      if (!first) return fail_at(in.pos(), "an event is missing");
      if (*first == 0xFF) {
        const auto type = in.byte();
        const auto size = in.var();
        if (!type || !size || !in.skip(*size)) return fail_at(in.pos(), "a meta event is cut short");
        const auto data = in.take(*size);
        if (*type == 0x03 && track.name.empty()) track.name.assign(data.begin(), data.end());
        if (*type == 0x51 && *size == 3 && !tempo) tempo = big_endian(data, 0, 3);
        if (*type == 0x2F) break;
        continue;
      }
      if (*first == 0xF0 || *first == 0xF7) {
        const auto size = in.var();
        if (!size || !in.skip(*size)) return fail_at(in.pos(), "a system exclusive event is cut short");
        continue;
      }
      std::uint8_t data1 = 0;
      if (*first & 0x80) {
        if (*first >= 0xF0) return fail_at(in.pos() - 1, "a system event inside a track");
        status = *first;
        const auto d = in.byte();
        if (!d) return fail_at(in.pos(), "an event is cut short");
        data1 = *d;
      } else {
        if (status == 0) return fail_at(in.pos() - 1, "data without a status byte");
        data1 = *first;
      }
      const int kind = status >> 4;
      const int channel = status & 0x0F;
      std::uint8_t data2 = 0;
      if (kind != 0xC && kind != 0xD) {
        const auto d = in.byte();
        if (!d) return fail_at(in.pos(), "an event is cut short");
        data2 = *d;
      }
      if ((kind != 0x8 && kind != 0x9) || channel == 9) continue;
      const std::size_t slot = static_cast<std::size_t>(channel * 128 + (data1 & 0x7F));
      if (open[slot] >= 0) {
        notes.notes[static_cast<std::size_t>(open[slot])].end = now;
        open[slot] = -1;
      }
      if (kind == 0x9 && data2 > 0) {
        open[slot] = static_cast<std::int64_t>(notes.notes.size());
        notes.notes.push_back({now, -1, data1 & 0x7F});
        if (track.channel < 0) track.channel = channel + 1;
        ++track.notes;
      }
    }
    for (Sounding& s : notes.notes) {
      if (s.end < 0) s.end = now;
    }
    out.tracks.push_back(track);
    track_notes.push_back(std::move(notes));
    at = end;
  }
  if (out.tracks.empty()) return fail_at(at, "no track");
  if (tempo && *tempo > 0) out.bpm = static_cast<int>(std::lround(60000000.0 / *tempo));
  out.tone.tempoIndex = tempo_index_of(out.bpm);
  if (!out.tracks.front().name.empty()) out.tone.name = smartTitle(out.tracks.front().name);

  for (std::size_t t = 0; t < out.tracks.size() && out.tone_track < 0; ++t) {
    if (out.tracks[t].notes > 0) out.tone_track = static_cast<int>(t);
  }
  if (out.tone_track < 0) return fail_at(0, "no track holds notes");

  std::vector<Sounding> notes = track_notes[static_cast<std::size_t>(out.tone_track)].notes;
  // One note at a time: of notes starting together the highest.
  std::stable_sort(notes.begin(), notes.end(), [](const Sounding& a, const Sounding& b) {
    return a.start != b.start ? a.start < b.start : a.key > b.key;
  });
  auto thirty_seconds = [&](std::int64_t ticks) {
    return static_cast<std::int64_t>(std::llround(static_cast<double>(ticks) * 8.0 / division));
  };
  TuneNotes tune;
  std::int64_t cursor = -1;  // in thirty-seconds
  for (std::size_t k = 0; k < notes.size(); ++k) {
    if (k > 0 && notes[k].start == notes[k - 1].start) continue;
    std::int64_t end = notes[k].end;
    for (std::size_t n = k + 1; n < notes.size(); ++n) {
      if (notes[n].start > notes[k].start) {
        end = std::min(end, notes[n].start);
        break;
      }
    }
    const std::int64_t start = thirty_seconds(notes[k].start);
    if (cursor >= 0 && start > cursor) tune.rests(start - cursor);
    if (cursor >= 0 && start < cursor) continue;  // rounded onto the note before
    const std::int64_t length = std::max<std::int64_t>(1, thirty_seconds(end) - start);
    tune.note(notes[k].key, length);
    cursor = start + length;
  }
  std::size_t cut = 0;
  auto kept = fit_tune(tune.midi, tune.durations, tune.starts, cut);
  if (!kept) return fail_at(0, "the melody is wider than the three octaves a ringing tone carries");
  out.tone.notes = std::move(*kept);
  out.left_out = cut + tune.past;
  for (std::size_t start : tune.starts) {
    if (start < out.tone.notes.size()) out.note_starts.push_back(start);
  }
  return out;
}

}  // namespace phondeck
