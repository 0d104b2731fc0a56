#pragma once
// Messages longer than one SMS: a text split into concatenated parts, each
// with a user-data header carrying the 8-bit concatenation element
// (00 03 reference total part), and received parts joined again.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace phondeck {

inline constexpr int kMaxParts = 6;
inline constexpr int kPartSeptets = 153;    // 160 less the header's 7 septets
inline constexpr int kPartUcs2Units = 67;   // 140 bytes less the header's 6, in pairs

// The concatenation element of a user-data header (8- or 16-bit reference).
struct ConcatInfo {
  int reference = 0;
  int total = 0;
  int part = 0;  // from 1
  bool operator==(const ConcatInfo&) const = default;
};

// The concatenation element of the header at the start of `user_data` (its
// first byte the header's length). Nothing when the header runs past the
// data or holds no well-formed element (part 1..total, total >= 1).
std::optional<ConcatInfo> read_concat_header(std::span<const std::uint8_t> user_data);

// The text of user data that starts with a header: the header skipped (for
// 7-bit text up to the next septet boundary), `length` as the user-data
// length (septets or bytes, header included).
std::string decode_after_header(std::span<const std::uint8_t> user_data, std::uint8_t coding, int length);

// A text as the parts it is sent in.
struct LongText {
  bool header = false;  // false: one message with no header after all
  bool ucs2 = false;
  int units = 0;  // septets (extension characters count two) or UCS-2 characters
  std::vector<std::vector<std::uint8_t>> parts;  // user data, header included
  std::vector<std::uint8_t> lengths;             // user-data length of each part
};

// A text as septets of the default alphabet and its extension table (each
// extension character two: escape and value) when every character has one,
// else as UCS-2: one message when it fits 160 septets or 70 characters,
// else at most kMaxParts parts of 153 septets or 67 characters, an escaped
// character never cut from its escape. Nothing when it needs more parts.
std::optional<LongText> split_long_text(std::string_view utf8, std::uint8_t reference);

// What the count shows: one message as its encoded bytes of 140 ("190 /
// 140" in red when over and no parts can carry it), or the parts with
// their characters: "2 messages, 190 / 306".
struct PartCount {
  int parts = 0;      // 0: more than kMaxParts
  int units = 0;      // bytes of one message; septets or characters in parts
  int capacity = 0;   // 140, or what the parts hold
};
PartCount count_message_text(std::string_view utf8);

// The outgoing message for a composed text: exactly as encode_message_text()
// gives it when that fits one message, else split_long_text(). False (and
// nothing changed) when the text needs more than kMaxParts parts.
struct OutgoingSms;
bool fill_outgoing_text(OutgoingSms& sms, std::string_view utf8, std::uint8_t reference);

}  // namespace phondeck
