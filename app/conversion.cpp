#include "app/conversion.h"

#include <cstdint>
#include <limits>

namespace phondeck {

namespace {

std::string message_for(std::string_view text) {
  std::string out = "'";
  out.append(text);
  out += "' is not a valid integer value";
  return out;
}

}  // namespace

ConversionError::ConversionError(std::string_view offending_text)
    : std::runtime_error(message_for(offending_text)), text_(offending_text) {}

std::optional<int> try_decimal_to_int(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<int>::max()} + 1;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kLimit) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

int decimal_to_int(std::string_view text) {
  if (auto value = try_decimal_to_int(text)) return *value;
  throw ConversionError(text);
}

}  // namespace phondeck
