#pragma once
// Conversions between the handset's text encodings and the program's UTF-8
// texts: UCS-2 big-endian and phone-book names with the 0x04 0xFF marker; the
// abstract of a message text. Every decoder reads at most the bytes it is
// given, whatever count the data claims.
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

// The five ways a phone-book entry's name is written (texts 430..434).
enum class WriteAs { Auto = 0, Name = 1, Both = 2, Group = 3, Both2 = 4 };

struct DecodedName {
  std::string name;
  std::string unicode;
  WriteAs write_as = WriteAs::Name;
};

// A phone-book entry's name bytes as read from the handset, with the
// handset's name length limit. A name marked with 0x04 decodes by its marker
// whatever the MultiByte option says (such bytes are never code-page text):
// 0x04 0xFF names give their UCS-2 text in `unicode`, so every language
// shows them.
DecodedName decode_entry_name(std::span<const std::uint8_t> bytes, int limit);

// The abstract of a message text: the characters before the first line feed
// less the carriage return assumed in front of it (k - 2 characters for a
// line feed at 1-based position k), or the whole text; at most 20 characters.
std::string message_abstract(std::string_view text);

// Leading and trailing blanks removed.
std::string trim_blanks(std::string_view text);

}  // namespace phondeck
