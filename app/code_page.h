#pragma once
// Text inside the program is UTF-8. The handset exchanges 8-bit text in the
// active code page (Windows-1252 for English and French, Big5 for Traditional
// and GBK for Simplified Chinese) and 16-bit text as UCS-2 big-endian.
//
// Every conversion here accepts any bytes: invalid UTF-8 or bytes the code
// page does not define never stop a conversion and never read past the input.
#include <string>
#include <string_view>

namespace phondeck {

enum class CodePage { Windows1252, Big5, GBK };

void set_active_code_page(CodePage page);
CodePage active_code_page();

// UTF-8 -> code page bytes. A character the code page cannot hold, and every
// invalid UTF-8 sequence, becomes "?".
std::string to_code_page(std::string_view utf8, CodePage page);
std::string to_code_page(std::string_view utf8);  // the active code page

// Code page bytes -> UTF-8. A byte (or byte pair) the code page does not
// define becomes "?".
std::string from_code_page(std::string_view bytes, CodePage page);
std::string from_code_page(std::string_view bytes);  // the active code page

// UTF-8 <-> UTF-16. Invalid UTF-8 sequences become U+FFFD; lone surrogates in
// UTF-16 become U+FFFD.
std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view utf16);

// UTF-8 <-> UCS-2 big-endian bytes (two bytes per character). A character
// outside the 16-bit range becomes U+FFFD when encoding. When decoding, a
// trailing odd byte is ignored; a valid surrogate pair is combined.
std::string utf8_to_ucs2be(std::string_view utf8);
std::string ucs2be_to_utf8(std::string_view bytes);

// UTF-8 <-> code points. Invalid sequences (stray continuation bytes, overlong
// forms, surrogates, values above U+10FFFF, cut sequences) decode as U+FFFD,
// one per offending byte.
std::u32string utf8_to_code_points(std::string_view utf8);
std::string code_points_to_utf8(std::u32string_view code_points);
void append_utf8(std::string& out, char32_t code_point);

// True when the text holds a character outside ASCII (a byte of value 0x80 or
// above).
bool has_non_ascii(std::string_view text);

}  // namespace phondeck
