#pragma once
// Telephone numbers as semi-octets: a type-of-number byte (0x91 international,
// 0x81 otherwise), then two digits per byte, the first in the low half-byte,
// an odd last digit padded with 0xF.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace phondeck {

inline constexpr std::uint8_t kNumberInternational = 0x91;
inline constexpr std::uint8_t kNumberUnknown = 0x81;

// The number field as received, type byte first: "+" for 0x91, then the
// digits; a low half-byte of 10..15 is written "10".."15", a high half-byte
// of 10 or more ends the number. Reads at most the bytes given.
std::string decode_number(std::span<const std::uint8_t> field);
std::string decode_number(std::span<const std::uint8_t> field, std::size_t byte_count);

// A number the handset can store: digits, "*", "#", "p", "w", and "+" as
// the first character only. The empty number is allowed.
bool handset_number_valid(std::string_view phone);

enum class AddressKind {
  MessageCentre,  // length byte counts the bytes after it
  Destination,    // length byte counts the digits
};

// Length byte, type byte and digit bytes. For a message-centre number the
// configured message-centre choice (SMSC 1..6 selects SMSC0..SMSC5) replaces
// `text`. A character that is not a decimal digit gives nothing; `error`, if
// given, receives "'<character>' is not a valid integer value".
std::optional<std::vector<std::uint8_t>> encode_number(std::string_view text, AddressKind kind,
                                                       std::string* error = nullptr);

}  // namespace phondeck
