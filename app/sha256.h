#pragma once
// SHA-256 (FIPS 180-4) of a byte string, for the checksums a backup's
// manifest lists.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace phondeck {

std::array<std::uint8_t, 32> sha256(std::string_view bytes);
// The digest as 64 lower-case hexadecimal digits.
std::string sha256_hex(std::string_view bytes);

}  // namespace phondeck
