#include "phonebook/text_codec.h"

#include <algorithm>

#include "app/code_page.h"

namespace phondeck {

namespace {

constexpr std::size_t kAbstractLength = 20;
constexpr std::uint8_t kMarker = 0x04;
constexpr std::uint8_t kUnicode = 0xFF;

std::span<const std::uint8_t> bounded(std::span<const std::uint8_t> bytes, std::size_t count) {
  return bytes.first(std::min(count, bytes.size()));
}

}  // namespace

std::vector<std::uint8_t> text_to_ucs2be(std::string_view text, std::size_t capacity) {
  text = text.substr(0, text.find('\0'));
  std::u16string units;
  for (char32_t cp : utf8_to_code_points(text)) units.push_back(cp > 0xFFFF ? char16_t{0xFFFD} : static_cast<char16_t>(cp));
  if (capacity == 0 || units.size() > capacity - 1) return {};
  std::vector<std::uint8_t> out;
  out.reserve(units.size() * 2);
  for (char16_t u : units) {
    out.push_back(static_cast<std::uint8_t>(u >> 8));
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
  }
  return out;
}

std::string ucs2be_to_text(std::span<const std::uint8_t> bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto u = static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1]);
    if (u == 0) break;
    units.push_back(u);
  }
  return utf16_to_utf8(units);
}

std::string trim_blanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string decode_name(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return {};
  if (bytes.size() >= 3 && bytes[0] == 0x04 && bytes[1] == 0xFF) {
    return trim_blanks(ucs2be_to_text(bytes.subspan(2)));
  }
  const auto* data = reinterpret_cast<const char*>(bytes.data());
  std::string_view raw(data, bytes.size());
  raw = raw.substr(0, raw.find('\0'));
  return trim_blanks(from_code_page(raw));
}

std::string decode_name(std::span<const std::uint8_t> bytes, std::size_t byte_count) {
  return decode_name(bounded(bytes, byte_count));
}

DecodedName decode_entry_name(std::span<const std::uint8_t> bytes, int limit) {
  DecodedName out;
  const std::size_t length = bytes.size();
  if (length == 0) return out;
  if (bytes[0] != kMarker) {
    // Code-page text up to the first NUL.
    std::string text;
    for (const std::uint8_t b : bytes) {
      if (b == 0) break;
      text.push_back(static_cast<char>(b));
    }
    out.name = from_code_page(text);
    return out;
  }
  if (length == 1) return out;
  if (bytes[1] == kUnicode && length > 2 && bytes[2] == 0x20) {
    std::string name;
    std::size_t at = 2;
    while (at < length && static_cast<long>(at) < limit && bytes[at] == 0x20) {
      if (at + 1 < length) name.push_back(static_cast<char>(bytes[at + 1]));
      at += 2;
    }
    out.name = from_code_page(name);
    out.unicode = at < length ? ucs2be_to_text(bytes.subspan(at)) : std::string();
    out.write_as = WriteAs::Both;
    return out;
  }
  if (bytes[1] == kUnicode) {
    out.unicode = ucs2be_to_text(bytes.subspan(2));
    out.write_as = WriteAs::Auto;
    return out;
  }
  out.write_as = WriteAs::Group;
  return out;
}

std::string message_abstract(std::string_view text) {
  const std::u32string chars = utf8_to_code_points(text);
  std::size_t take = chars.size();
  const std::size_t lf = chars.find(U'\n');
  if (lf != std::u32string::npos) take = lf == 0 ? 0 : lf - 1;  // k - 2 for 1-based k = lf + 1
  take = std::min(take, kAbstractLength);
  return code_points_to_utf8(std::u32string_view(chars).substr(0, take));
}

}  // namespace phondeck
