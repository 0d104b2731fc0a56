#pragma once
// Integer conversion of texts typed by the user or stored in entries: decimal
// with an optional sign, nothing else (no blanks, nothing outside 32 bits).
#include <optional>
#include <string>
#include <string_view>

namespace phondeck {

std::optional<int> parse_decimal_int(std::string_view text);

// "'<text>' is not a valid integer value"
std::string integer_conversion_message(std::string_view text);

}  // namespace phondeck
