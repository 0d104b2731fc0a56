#pragma once
// The ringing tone: its notes, its tempo, and the three forms the Ringing Tone
// window moves it through (Ericsson melody text, note-code string, Smart
// Messaging ringing-tone message).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phondeck {

// Pitch codes. 10 is a rest; 11..22 are c .. b of the default octave (Smart
// Messaging scale 1), 23..34 the octave above (scale 2), 35..46 the one above
// that (scale 3).
inline constexpr int kRestPitch = 10;
inline constexpr int kLowestPitch = 11;
inline constexpr int kHighestPitch = 46;

// Duration codes 0..11: the even codes 0, 2, 4, 6, 8, 10 are whole, half,
// quarter, eighth, sixteenth and thirty-second notes (the Smart Messaging
// durations 0..5 times two); the odd code after each is the same note dotted.
// The melody text gives only 4 (quarter) and 6 (eighth).
inline constexpr int kQuarterNote = 4;
inline constexpr int kEighthNote = 6;
inline constexpr int kThirtySecondNote = 10;
inline constexpr int kLongestDurationCode = 11;  // a dotted thirty-second
inline bool is_duration_code(int duration) { return duration >= 0 && duration <= kLongestDurationCode; }

struct Note {
  int pitch = kRestPitch;
  int duration = kQuarterNote;
  bool operator==(const Note&) const = default;
};

struct RingTone {
  static constexpr std::size_t kMaxNameLength = 15;  // the title length is 4 bits
  static constexpr int kDefaultTempoIndex = 7;

  std::string name = "Phondeck";  // UTF-8; sent as ISO 8859-1
  int tempoIndex = kDefaultTempoIndex;
  std::vector<Note> notes;
};

// Beats per minute of a tempo slider position 0..12; 0 outside that range.
int tempoOf(int position);

// Semitone of a lower-case note letter within its octave (c = 0 ... b = 11;
// 'h', the German b, too where h_is_b), or -1.
int semitone_of_letter(char lower, bool h_is_b = false);
// The Smart Messaging tempo code (0..31) whose beats per minute lie nearest to
// bpm; on a tie the slower code.
int smartTempoCode(int bpm);
// Beats per minute of a Smart Messaging tempo code; 0 outside 0..31.
int smartTempoBpm(int code);

// Notes of an Ericsson melody text. A letter c d e f g a b is a note, "p" a
// rest; lower case is an eighth note, upper case a quarter note. A note letter
// may be preceded by "#" (one semitone up) and by "+" (one octave up, at most
// twice). Blanks and line breaks separate groups and give nothing. A character
// that fits none of this is skipped; when `problem` is given it receives a
// description of the first such character (and stays empty otherwise).
std::vector<Note> parseEricssonText(const std::vector<std::string>& lines,
                                    std::string* problem = nullptr);
// The same for one text whose lines are separated by line breaks.
std::vector<Note> parseEricssonText(std::string_view text, std::string* problem = nullptr);

// Three characters per note: two digits for the pitch code, one for the
// duration code, a digit for 0..9 and "A" and "B" for the thirty-second notes
// (10 and 11) that one digit cannot hold. An empty list gives the empty string.
std::string toNoteCodes(const std::vector<Note>& notes);
// The notes of a note-code string, or nothing (with `error` describing why)
// when the text is not whole three-character groups of valid codes.
std::optional<std::vector<Note>> fromNoteCodes(std::string_view codes,
                                               std::string* error = nullptr);

// The tone's title as it is sent: ISO 8859-1, cut to 15 characters. Characters
// outside ISO 8859-1 become "?"; bytes that are not UTF-8 are taken as
// ISO 8859-1 characters themselves.
std::string smartTitle(std::string_view name);

// The pattern instructions the notes take: style, tempo and scale, one per
// note, and one per change of octave between sounding notes (a rest keeps
// the octave of the note before it).
std::size_t patternInstructions(const std::vector<Note>& notes);
inline constexpr std::size_t kMaxPatternInstructions = 255;  // one pattern counts them in 8 bits

// The packed ringing-tone data (without the port header) with the given Smart
// Messaging tempo code. Empty when the tone has more notes than one pattern
// can count (kMaxPatternInstructions).
std::vector<std::uint8_t> encodeRingingTone(const RingTone& tone, int tempoCode);
// The whole message: the 7-byte port header, then the ringing-tone data with
// the tempo code nearest to the tone's slider tempo. Empty when the tone does
// not fit (see encodeRingingTone).
std::vector<std::uint8_t> toSmartMessage(const RingTone& tone);

// The port header of a ringing-tone message (destination and source port 0x1581).
inline constexpr std::uint8_t kRingTonePortHeader[7] = {0x06, 0x05, 0x04, 0x15,
                                                        0x81, 0x15, 0x81};

}  // namespace phondeck
