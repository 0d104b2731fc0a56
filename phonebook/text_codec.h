#pragma once
// Conversions between the handset's text encodings and the program's UTF-8
// texts: UCS-2 big-endian, phone-book names with the 0x04 0xFF marker, and
// 7-bit packed message text. Every decoder reads at most the bytes it is given,
// whatever count the data claims.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace phondeck {

// UCS-2 big-endian form of `text` for a buffer of `capacity` 16-bit characters
// that also holds a terminator: at most capacity - 1 characters fit, and a
// text that does not fit whole gives no bytes at all. The text ends at its
// first NUL. A character beyond 16 bits becomes U+FFFD.
std::vector<std::uint8_t> text_to_ucs2be(std::string_view text, std::size_t capacity);

// Pairs of bytes, high byte first, as 16-bit characters up to the first zero
// character; a trailing odd byte is ignored.
std::string ucs2be_to_text(std::span<const std::uint8_t> bytes);

// A name read from the handset: 0x04 0xFF followed by UCS-2 big-endian, or
// else bytes in the active code page (up to the first NUL); blanks trimmed
// from both ends.
std::string decode_name(std::span<const std::uint8_t> bytes);
std::string decode_name(std::span<const std::uint8_t> bytes, std::size_t byte_count);

struct MessageText {
  std::string text;
  std::string abstract;  // the first line, at most 20 characters
};

// User data of a short message: UCS-2 big-endian when the UCS-2 flag is set
// and MultiByte is on, otherwise GSM 7-bit packed text (octet_count octets
// give 8 * (octet_count / 7) + octet_count % 7 characters). `octet_count` is
// bounded by the bytes given.
MessageText decode_message_text(std::span<const std::uint8_t> user_data, std::size_t octet_count,
                                bool ucs2);

// The abstract of a message text: the characters before the first line feed
// less the carriage return assumed in front of it (k - 2 characters for a
// line feed at 1-based position k), or the whole text; at most 20 characters.
std::string message_abstract(std::string_view text);

// Leading and trailing blanks removed.
std::string trim_blanks(std::string_view text);

}  // namespace phondeck
