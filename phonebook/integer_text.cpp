#include "phonebook/integer_text.h"

#include <cstdint>

namespace phondeck {

std::optional<int> parse_decimal_int(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX + std::int64_t{1}) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int>(value);
}

std::string integer_conversion_message(std::string_view text) {
  std::string out = "'";
  out.append(text);
  out += "' is not a valid integer value";
  return out;
}

}  // namespace phondeck
