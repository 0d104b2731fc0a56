#include "media/ring_tone_window.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "app/prompt.h"
#include "app/text_table.h"
#include "link/operation_engine.h"
#include "media/midi_file.h"
#include "media/nokia_melody.h"
#include "media/ott_file.h"
#include "media/ring_tone_family.h"
#include "media/rtttl.h"
#include "media/siemens_melody.h"
#include "media/tone_synth.h"

namespace phondeck {

namespace {

constexpr int kTextTrack = 1211;
constexpr int kTextUnreadable = 3660;     // The melody cannot be read: %1
constexpr int kTextFileUnreadable = 3667;
constexpr int kTextFileUnwritable = 3668;
constexpr int kTextTrackNotes = 3670;     // %1 notes
constexpr int kTextToneTrack = 3671;      // the ringing tone
constexpr int kTextFileSummary = 3672;    // format, ticks, bpm
constexpr int kTextNothingToPlay = 3673;
constexpr int kTextLeftOut = 3677;         // %1 cut after note %2, %3 left out
constexpr int kTextCutForWrite = 3678;     // cut after note %1, %2 left out
constexpr int kTextCutForSend = 3679;      // the same for one message
constexpr int kTextFirstPageName = 1220;   // MIDI, Ericsson, Nokia, Siemens Melody
constexpr std::size_t kMaxSentToneBytes = 140;  // one short message's user data
constexpr int kTextNoNotes = 3701;

// A text of the table with %1, %2, ... replaced.
std::string fill(int id, std::initializer_list<std::string> values) {
  std::string text = tx(id);
  int k = 1;
  for (const std::string& value : values) {
    const std::string mark = "%" + std::to_string(k++);
    const std::size_t at = text.find(mark);
    if (at != std::string::npos) text.replace(at, mark.size(), value);
  }
  return text;
}

// How many of the first notes go into a message of at most max_bytes, cut
// only where a note of the tune begins (`starts`; empty: at every note).
std::size_t notes_within(const RingTone& tone, std::size_t max_bytes, const std::vector<std::size_t>& starts) {
  auto begins = [&](std::size_t k) {
    return starts.empty() || k == tone.notes.size() || std::binary_search(starts.begin(), starts.end(), k);
  };
  RingTone part = tone;
  for (std::size_t k = notes_that_fit(tone.notes, starts); k > 0; --k) {
    if (!begins(k)) continue;
    part.notes.assign(tone.notes.begin(), tone.notes.begin() + static_cast<std::ptrdiff_t>(k));
    if (toSmartMessage(part).size() <= max_bytes) return k;
  }
  // Not even the first note of the tune fits whole: cut inside it.
  return starts.empty() ? 0 : notes_within(tone, max_bytes, {});
}

std::string base_name(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string stem(const std::string& path) {
  std::string name = base_name(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::optional<std::vector<std::uint8_t>> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace

const std::vector<std::string>& ericsson_sample_lines() {
  static const std::vector<std::string> lines = {"p", "geE fdD cdefggG", "geE fdD ceggE pp", "dddddeF eeeeefG",
                                                 "geE fdD ceggC"};
  return lines;
}

RingToneWindowLogic::RingToneWindowLogic(OperationEngine& engine, RingToneFamily& family, Prompt& prompt)
    : engine_(engine), family_(family), prompt_(prompt) {
  std::string sample;
  for (const std::string& line : ericsson_sample_lines()) {
    if (!sample.empty()) sample += '\n';
    sample += line;
  }
  texts_[kEricssonPage] = sample;
}

void RingToneWindowLogic::set_page(int page) { page_ = std::clamp(page, 0, kPageCount - 1); }

const std::string& RingToneWindowLogic::text(int page) const {
  return texts_[static_cast<std::size_t>(std::clamp(page, 0, kPageCount - 1))];
}

void RingToneWindowLogic::set_text(int page, std::string text) {
  if (page > kMidiPage && page < kPageCount) texts_[static_cast<std::size_t>(page)] = std::move(text);
}

void RingToneWindowLogic::set_name(const std::string& name) {
  // Cut by characters, not bytes, so a UTF-8 name stays whole.
  std::string kept;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool lead = (static_cast<unsigned char>(name[i]) & 0xC0) != 0x80;
    if (lead && ++characters > RingTone::kMaxNameLength) break;
    kept += name[i];
  }
  name_ = kept;
}

void RingToneWindowLogic::set_tempo_index(int index) { tempo_index_ = std::clamp(index, 0, 12); }

std::optional<RingTone> RingToneWindowLogic::tone_of(int page, std::string* problem, std::size_t* left_out) const {
  if (problem) problem->clear();
  if (left_out) *left_out = 0;
  RingTone tone;
  tone.name = name_;
  tone.tempoIndex = tempo_index_;
  std::optional<MelodyError> error;
  switch (page) {
    case kMidiPage:
      tone.notes = midi_notes_;
      break;
    case kEricssonPage: {
      std::string why;
      tone.notes = parseEricssonText(text(page), &why);
      if (!why.empty()) {
        if (problem) *problem = fill(kTextUnreadable, {why});
        return std::nullopt;
      }
      break;
    }
    case kNokiaPage:
    case kSiemensPage: {
      ParsedMelody parsed = page == kNokiaPage ? parse_nokia_melody(text(page)) : parse_siemens_melody(text(page));
      if (!parsed.ok()) {
        if (problem) *problem = fill(kTextUnreadable, {describe(*parsed.error)});
        return std::nullopt;
      }
      tone.notes = std::move(parsed.notes);
      break;
    }
    default:
      return std::nullopt;
  }
  if (tone.notes.empty()) return std::nullopt;
  const std::size_t fits = notes_that_fit(tone.notes, page == kMidiPage ? midi_starts_ : std::vector<std::size_t>{});
  if (left_out) *left_out = tone.notes.size() - fits;
  tone.notes.resize(fits);
  return tone;
}

void RingToneWindowLogic::tell_page_cut(int page, std::size_t kept, std::size_t left_out) {
  if (left_out == 0) return;
  std::string name = tx(kTextFirstPageName + std::clamp(page, 0, kPageCount - 1));
  name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
  prompt_.message(fill(kTextLeftOut, {name, std::to_string(kept), std::to_string(left_out)}));
}

std::string RingToneWindowLogic::note_codes() const {
  const auto tone = tone_of(page_);
  return tone ? toNoteCodes(tone->notes) : std::string();
}

bool RingToneWindowLogic::tell(const std::string& problem) {
  if (!problem.empty()) prompt_.message(problem);
  return false;
}

void RingToneWindowLogic::new_page() {
  if (page_ == kMidiPage) {
    tree_.clear();
    midi_file_.clear();
    midi_notes_.clear();
    midi_starts_.clear();
  } else {
    texts_[static_cast<std::size_t>(page_)].clear();
  }
}

std::optional<RingTone> RingToneWindowLogic::tone_to_give(std::size_t max_bytes, int cut_text) {
  std::string problem;
  std::size_t left_out = 0;
  auto tone = tone_of(page_, &problem, &left_out);
  if (!problem.empty()) {
    tell(problem);
    return std::nullopt;
  }
  if (tone) {
    const std::size_t fits =
        notes_within(*tone, max_bytes, page_ == kMidiPage ? midi_starts_ : std::vector<std::size_t>{});
    left_out += tone->notes.size() - fits;
    tone->notes.resize(fits);
  }
  // Nothing, or rests only: a tone the handset would keep silent.
  const bool silent = !tone || std::all_of(tone->notes.begin(), tone->notes.end(),
                                           [](const Note& n) { return n.pitch == kRestPitch; });
  if (silent) {
    tell(tx(kTextNoNotes));
    return std::nullopt;
  }
  if (left_out > 0) tell(fill(cut_text, {std::to_string(tone->notes.size()), std::to_string(left_out)}));
  return tone;
}

bool RingToneWindowLogic::write(StartOptions options) {
  const auto tone = tone_to_give(kMaxWrittenToneBytes, kTextCutForWrite);
  if (!tone) return engine_.refuse(options.done, Refusal::BadInput);
  return start_ring_tone_write(engine_, family_, *tone, std::move(options));
}

bool RingToneWindowLogic::send() {
  const auto tone = tone_to_give(kMaxSentToneBytes, kTextCutForSend);
  if (!tone) return false;
  SmartSms sms;
  sms.user_data = toSmartMessage(*tone);
  if (on_send) on_send(sms);
  return true;
}

RingToneWindowLogic::FileKind RingToneWindowLogic::kind_of(const std::string& path) {
  std::string name = base_name(path);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  auto ends_with = [&](const char* ext) {
    const std::string e(ext);
    return name.size() >= e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0;
  };
  if (ends_with(".mid") || ends_with(".midi")) return FileKind::Midi;
  if (ends_with(".ott")) return FileKind::Ott;
  return FileKind::Rtttl;
}

bool RingToneWindowLogic::open_file(const std::string& path) {
  const auto bytes = read_file(path);
  if (!bytes) return tell(fill(kTextFileUnreadable, {base_name(path)}));
  const FileKind kind = kind_of(path);
  if (kind == FileKind::Midi) {
    open_midi(*bytes, path);
    return has_midi_tone();
  }
  const ToneReading reading = kind == FileKind::Ott
                                  ? read_ott(*bytes)
                                  : read_rtttl(std::string_view(reinterpret_cast<const char*>(bytes->data()),
                                                                bytes->size()));
  if (!reading.ok()) return tell(fill(kTextUnreadable, {base_name(path) + ", " + describe(*reading.error)}));
  set_name(reading.tone.name.empty() ? stem(path) : reading.tone.name);
  tempo_index_ = reading.tone.tempoIndex;
  texts_[kNokiaPage] = format_nokia_melody(reading.tone.notes);
  page_ = kNokiaPage;
  tell_left_out(path, reading.tone.notes.size(), reading.left_out);
  return true;
}

void RingToneWindowLogic::tell_left_out(const std::string& path, std::size_t kept, std::size_t left_out) {
  if (left_out == 0) return;
  prompt_.message(fill(kTextLeftOut, {base_name(path), std::to_string(kept), std::to_string(left_out)}));
}

void RingToneWindowLogic::open_midi(const std::vector<std::uint8_t>& bytes, const std::string& path) {
  const MidiReading midi = read_midi(bytes);
  if (midi.tracks.empty()) {
    tell(fill(kTextUnreadable, {base_name(path) + ", " + describe(*midi.error)}));
    return;
  }
  midi_file_ = path;
  tree_.clear();
  tree_.push_back({0, base_name(path) + " (" +
                          fill(kTextFileSummary, {std::to_string(midi.format), std::to_string(midi.division),
                                                  std::to_string(midi.bpm)}) +
                          ")"});
  for (std::size_t t = 0; t < midi.tracks.size(); ++t) {
    const MidiTrack& track = midi.tracks[t];
    std::string row = tx(kTextTrack) + " " + std::to_string(t + 1);
    if (!track.name.empty()) row += ": " + track.name;
    row += ", " + fill(kTextTrackNotes, {std::to_string(track.notes)});
    if (static_cast<int>(t) == midi.tone_track && midi.ok()) row += ", " + tx(kTextToneTrack);
    tree_.push_back({1, row});
  }
  midi_notes_.clear();
  midi_starts_.clear();
  page_ = kMidiPage;
  if (!midi.ok()) {
    tell(fill(kTextUnreadable, {base_name(path) + ", " + describe(*midi.error)}));
    return;
  }
  midi_notes_ = midi.tone.notes;
  midi_starts_ = midi.note_starts;
  set_name(midi.tone.name.empty() ? stem(path) : midi.tone.name);
  tempo_index_ = midi.tone.tempoIndex;
  // Also as text, to edit.
  texts_[kNokiaPage] = format_nokia_melody(midi_notes_);
  tell_left_out(path, midi_notes_.size(), midi.left_out);
}

bool RingToneWindowLogic::save_file(const std::string& path) {
  std::string problem;
  std::size_t left_out = 0;
  const auto tone = tone_of(page_, &problem, &left_out);
  if (!tone) return tell(problem);
  tell_page_cut(page_, tone->notes.size(), left_out);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (kind_of(path) == FileKind::Ott) {
    const std::vector<std::uint8_t> data = write_ott(*tone);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  } else {
    out << write_rtttl(*tone) << "\n";
  }
  out.close();
  if (!out) return tell(fill(kTextFileUnwritable, {base_name(path)}));
  return true;
}

std::optional<ToneSound> RingToneWindowLogic::play(int page, int sample_rate) {
  std::string problem;
  std::size_t left_out = 0;
  const auto tone = tone_of(page, &problem, &left_out);
  if (!tone) {
    tell(problem.empty() ? tx(kTextNothingToPlay) : problem);
    return std::nullopt;
  }
  tell_page_cut(page, tone->notes.size(), left_out);
  SynthSettings settings;
  settings.sample_rate = sample_rate;
  return ToneSound{synthesise(tone->notes, tempoOf(tone->tempoIndex), settings), sample_rate};
}

}  // namespace phondeck
