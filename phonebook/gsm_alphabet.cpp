#include "phonebook/gsm_alphabet.h"

#include "app/code_page.h"

namespace phondeck {

namespace {

// GSM 03.38 default alphabet.
constexpr char32_t kDefaultAlphabet[128] = {
    U'@',    U'\u00A3', U'$',    U'\u00A5', U'\u00E8', U'\u00E9', U'\u00F9', U'\u00EC',  // 0x00
    U'\u00F2', U'\u00C7', U'\n', U'\u00D8', U'\u00F8', U'\r',    U'\u00C5', U'\u00E5',  // 0x08
    U'\u0394', U'_',    U'\u03A6', U'\u0393', U'\u039B', U'\u03A9', U'\u03A0', U'\u03A8',  // 0x10
    U'\u03A3', U'\u0398', U'\u039E', U' ',   U'\u00C6', U'\u00E6', U'\u00DF', U'\u00C9',  // 0x18
    U' ', U'!', U'"', U'#', U'\u00A4', U'%', U'&', U'\'',                                // 0x20
    U'(', U')', U'*', U'+', U',', U'-', U'.', U'/',                                      // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',                                      // 0x30
    U'8', U'9', U':', U';', U'<', U'=', U'>', U'?',                                      // 0x38
    U'\u00A1', U'A', U'B', U'C', U'D', U'E', U'F', U'G',                                 // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',                                      // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',                                      // 0x50
    U'X', U'Y', U'Z', U'\u00C4', U'\u00D6', U'\u00D1', U'\u00DC', U'\u00A7',            // 0x58
    U'\u00BF', U'a', U'b', U'c', U'd', U'e', U'f', U'g',                                 // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',                                      // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',                                      // 0x70
    U'x', U'y', U'z', U'\u00E4', U'\u00F6', U'\u00F1', U'\u00FC', U'\u00E0',            // 0x78
};

}  // namespace

std::size_t septet_count(std::size_t octet_count) { return 8 * (octet_count / 7) + octet_count % 7; }

std::vector<std::uint8_t> unpack_septets(std::span<const std::uint8_t> octets) {
  const std::size_t count = septet_count(octets.size());
  std::vector<std::uint8_t> septets;
  septets.reserve(count);
  for (std::size_t j = 0; j < count; ++j) {
    const std::size_t bit = 7 * j;
    const std::size_t byte = bit / 8;
    const unsigned shift = static_cast<unsigned>(bit % 8);
    unsigned value = octets[byte] >> shift;
    if (shift > 1 && byte + 1 < octets.size()) value |= static_cast<unsigned>(octets[byte + 1]) << (8 - shift);
    septets.push_back(static_cast<std::uint8_t>(value & 0x7F));
  }
  return septets;
}

std::vector<std::uint8_t> pack_septets(std::span<const std::uint8_t> septets) {
  std::vector<std::uint8_t> octets((septets.size() * 7 + 7) / 8, 0);
  for (std::size_t j = 0; j < septets.size(); ++j) {
    const unsigned value = septets[j] & 0x7Fu;
    const std::size_t bit = 7 * j;
    const std::size_t byte = bit / 8;
    const unsigned shift = static_cast<unsigned>(bit % 8);
    octets[byte] = static_cast<std::uint8_t>(octets[byte] | ((value << shift) & 0xFF));
    if (shift > 1) octets[byte + 1] = static_cast<std::uint8_t>(octets[byte + 1] | (value >> (8 - shift)));
  }
  return octets;
}

char32_t gsm_default_char(std::uint8_t value) { return kDefaultAlphabet[value & 0x7F]; }

char32_t gsm_extension_char(std::uint8_t value) {
  switch (value & 0x7F) {
    case 0x0A: return U'\f';
    case 0x14: return U'^';
    case 0x28: return U'{';
    case 0x29: return U'}';
    case 0x2F: return U'\\';
    case 0x3C: return U'[';
    case 0x3D: return U'~';
    case 0x3E: return U']';
    case 0x40: return U'|';
    case 0x65: return U'\u20AC';
    default: return 0;
  }
}

std::string gsm_septets_to_utf8(std::span<const std::uint8_t> septets) {
  std::string out;
  out.reserve(septets.size());
  for (std::size_t i = 0; i < septets.size(); ++i) {
    const std::uint8_t value = septets[i] & 0x7F;
    if (value != kGsmEscape) {
      append_utf8(out, gsm_default_char(value));
      continue;
    }
    if (i + 1 == septets.size()) {
      out.push_back(' ');
      break;
    }
    const std::uint8_t next = septets[++i] & 0x7F;
    const char32_t extended = gsm_extension_char(next);
    append_utf8(out, extended != 0 ? extended : gsm_default_char(next));
  }
  return out;
}

}  // namespace phondeck
