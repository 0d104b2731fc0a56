#pragma once
// The content lines of vCard files (RFC 2426, RFC 6350): values escaped,
// lines folded at 75 octets without splitting a UTF-8 character, CR LF.
#include <string>
#include <string_view>

namespace phondeck {

// A text value with "\", ",", ";" and line breaks escaped (a CR dropped).
std::string vcard_escape(std::string_view text);

// Appends one content line, folded so that no line exceeds 75 octets, and
// its CR LF.
void put_vcard_line(std::string& out, std::string_view line);

}  // namespace phondeck
