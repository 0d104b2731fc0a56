#pragma once
// The Ringing Tone window's data and rules (TForm12 shows them): the tone's
// name and tempo, the four pages (the MIDI file's tree, the Ericsson, Nokia
// and Siemens melody texts), and the commands New, Open, Save, Write, Send
// and Play. The tone comes from the active page.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/operation_result.h"
#include "media/melody_notation.h"
#include "media/ring_tone.h"
#include "media/smart_sms.h"

namespace phondeck {

class OperationEngine;
class Prompt;
class RingToneFamily;

struct ToneTreeRow {
  int depth = 0;  // 0 the file, 1 its tracks
  std::string text;
};

// Sound for the player.
struct ToneSound {
  std::vector<std::int16_t> samples;
  int sample_rate = 0;
};

// The five sample lines the Ericsson Melody page opens with.
const std::vector<std::string>& ericsson_sample_lines();

class RingToneWindowLogic {
 public:
  enum Page { kMidiPage = 0, kEricssonPage = 1, kNokiaPage = 2, kSiemensPage = 3 };
  static constexpr int kPageCount = 4;

  RingToneWindowLogic(OperationEngine& engine, RingToneFamily& family, Prompt& prompt);

  // Send: called with the message when the SMS Sending window is to show it.
  std::function<void(const SmartSms&)> on_send;

  int page() const { return page_; }
  void set_page(int page);
  const std::string& text(int page) const;
  void set_text(int page, std::string text);

  const std::string& name() const { return name_; }
  // At most 15 characters are kept (what the title carries).
  void set_name(const std::string& name);
  int tempo_index() const { return tempo_index_; }
  void set_tempo_index(int index);
  // The beats per minute the Tempo field shows.
  std::string tempo_text() const { return std::to_string(tempoOf(tempo_index_)); }

  const std::string& midi_file_name() const { return midi_file_; }
  const std::vector<ToneTreeRow>& midi_tree() const { return tree_; }
  bool has_midi_tone() const { return !midi_notes_.empty(); }

  // The tone of a page: nothing when the page makes none, with `problem`
  // saying why when the user must know (a text that does not read); empty
  // `problem` for an empty page. A tune longer than a tone holds is cut after
  // its last whole note that fits, the notes left out counted in `left_out`.
  std::optional<RingTone> tone_of(int page, std::string* problem = nullptr, std::size_t* left_out = nullptr) const;
  // The shown page's tone for Write and Send, cut to what one write or one
  // message carries (max_bytes) with the user told how many notes were left
  // out (cut_text); nothing, after telling the user why, when it does not
  // read or has no note to play.
  std::optional<RingTone> tone_to_give(std::size_t max_bytes, int cut_text);
  // The note-code string of the active page's tone ("" when it makes none).
  std::string note_codes() const;

  // -- Commands; each tells the user what went wrong.
  // New: on the MIDI page the tree and the file name, on a melody page its text.
  void new_page();
  // Write: starts Write Ringing Tone; true when it started. A tone longer
  // than one write carries is cut, and the user told; a page without a tone
  // is refused as bad input (the user told why).
  bool write(StartOptions options = {});
  // Send: fills the message and calls on_send; true when it did. A tone
  // longer than one message carries is cut, and the user told.
  bool send();
  // Open: RTTTL (.rtttl, .txt and anything else), .ott, or a MIDI file
  // (.mid, .midi). A MIDI file fills the MIDI page; a tone from the others
  // fills the Nokia Melody page. The page it filled becomes active. A tune
  // longer than a tone holds is cut, and the user told how many notes were
  // left out.
  bool open_file(const std::string& path);
  // Save: the active page's tone as .ott, or else as RTTTL.
  bool save_file(const std::string& path);
  // Play: the page's tone as sound at the sample rate; nothing (the user
  // told why) without one.
  std::optional<ToneSound> play(int page, int sample_rate = 22050);

  // The file format a path names by its extension.
  enum class FileKind { Rtttl, Ott, Midi };
  static FileKind kind_of(const std::string& path);

 private:
  bool tell(const std::string& problem);
  void tell_left_out(const std::string& path, std::size_t kept, std::size_t left_out);
  void tell_page_cut(int page, std::size_t kept, std::size_t left_out);
  void open_midi(const std::vector<std::uint8_t>& bytes, const std::string& path);

  OperationEngine& engine_;
  RingToneFamily& family_;
  Prompt& prompt_;
  int page_ = kEricssonPage;
  std::array<std::string, kPageCount> texts_;
  std::string name_ = "Phondeck";
  int tempo_index_ = RingTone::kDefaultTempoIndex;
  std::string midi_file_;
  std::vector<ToneTreeRow> tree_;
  std::vector<Note> midi_notes_;
  std::vector<std::size_t> midi_starts_;  // where each note of the MIDI tune begins
};

}  // namespace phondeck
