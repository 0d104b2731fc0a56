#pragma once
// The GSM 03.38 default alphabet and 7-bit packing of short-message text.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace phondeck {

inline constexpr std::uint8_t kGsmEscape = 0x1B;

// The number of septets `octet_count` packed octets are read as: every 7
// octets give 8 characters, a rest of r octets gives r more.
std::size_t septet_count(std::size_t octet_count);

// Unpacks septets, least significant bits first. Reads only the given bytes.
std::vector<std::uint8_t> unpack_septets(std::span<const std::uint8_t> octets);

// Packs septets (the low 7 bits of each value), least significant bits first:
// ceil(7 n / 8) octets.
std::vector<std::uint8_t> pack_septets(std::span<const std::uint8_t> septets);

// Septet values -> UTF-8 through the default alphabet and its escape table.
// An escape followed by a value the escape table does not hold shows that
// value from the default alphabet; an escape at the very end shows a blank.
std::string gsm_septets_to_utf8(std::span<const std::uint8_t> septets);

// The character of one default-alphabet value (0x00..0x7F; 0x1B, the escape,
// gives a blank).
char32_t gsm_default_char(std::uint8_t value);
// The character of an escape-table value, or 0 when the table holds none.
char32_t gsm_extension_char(std::uint8_t value);

}  // namespace phondeck
