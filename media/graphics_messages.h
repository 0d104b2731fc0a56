#pragma once
// The byte forms of the graphics exchanges and Smart Messaging pictures: the
// caller-group graphic message, the operator logo data with its network code,
// the startup graphic data, and the operator logo as a two-part concatenated
// short message.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "media/mono_bitmap.h"

namespace phondeck {

inline constexpr std::size_t kGroupGraphicBytes = 137;
inline constexpr std::size_t kOperatorLogoBytes = 138;
inline constexpr std::size_t kStartupDataBytes = 510;
inline constexpr std::uint16_t kPortGroupGraphic = 0x1583;
inline constexpr std::uint16_t kPortOperatorLogo = 0x1582;
// First octet and data coding of a short message carrying a picture: user-data
// header present, 8-bit data.
inline constexpr std::uint8_t kPictureFirstOctet = 0x51;
inline constexpr std::uint8_t kPictureDataCoding = 0xF5;

// 06 05 04 15 83 00 00, the picture header 00 48 0E 01, the picture
// row-packed (cut or padded to 72 x 14): 137 bytes.
std::vector<std::uint8_t> group_graphic_message(const MonoBitmap& picture);

// The network code in three bytes: MCC digits d1 d2 d3 and MNC digits m1 m2
// as d2d1, F d3, m2m1 (nibbles); only the last three digits of MCC and the
// last two of MNC count (negative numbers count as 0). 466/92 -> 64 F6 29.
std::array<std::uint8_t, 3> network_code_bytes(int mcc, int mnc);
// The inverse (a nibble above 9 reads as 0).
void network_code_from_bytes(std::span<const std::uint8_t, 3> bytes, int& mcc, int& mnc);

// 00 30 00, the network code, 00 82, the picture header, the picture: 138
// bytes, what Write System Logo sends after 00 01.
std::vector<std::uint8_t> operator_logo_data(const MonoBitmap& picture, int mcc, int mnc);

// 00 18 01 01 30 54 and the picture in column bands (cut or padded to
// 84 x 48): 510 bytes, what Write Startup Graphic sends after 00 01.
std::vector<std::uint8_t> startup_graphic_data(const MonoBitmap& picture);

// The Smart Messaging operator logo for destination port 0x1582: version 0x30,
// the network code, 0x0A, the picture header and the 126 picture bytes, as
// two concatenated short messages. Each part is its whole user data: header
// length, the 16-bit port element (05 04 15 82 00 00), the 8-bit
// concatenation element (00 03 reference 02 part), then its share of the
// logo. Every part fits 140 bytes.
std::vector<std::vector<std::uint8_t>> operator_logo_sms_parts(const MonoBitmap& picture, int mcc, int mnc,
                                                               std::uint8_t reference);

}  // namespace phondeck
