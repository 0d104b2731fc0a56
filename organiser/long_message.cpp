#include "organiser/long_message.h"

#include <algorithm>
#include <array>

#include "app/code_page.h"
#include "organiser/sms_codec.h"
#include "phonebook/gsm_alphabet.h"
#include "phonebook/text_codec.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kConcat8 = 0x00;
constexpr std::uint8_t kConcat16 = 0x08;
constexpr std::size_t kHeaderSeptets = 7;  // 48 bits and one fill bit
constexpr int kWholeSeptets = 160;
constexpr int kWholeUcs2Units = 70;

// The septets of a character: one, or the escape and one; none when the
// alphabet has no such character.
std::vector<std::uint8_t> septets_of(char32_t cp) {
  for (std::uint8_t v = 0; v < 0x80; ++v) {
    if (v != kGsmEscape && gsm_default_char(v) == cp) return {v};
  }
  for (std::uint8_t v = 0; v < 0x80; ++v) {
    if (gsm_extension_char(v) == cp) return {kGsmEscape, v};
  }
  return {};
}

std::vector<std::uint8_t> header(std::uint8_t reference, std::size_t total, std::size_t part) {
  return {0x05, kConcat8, 0x03, reference, static_cast<std::uint8_t>(total), static_cast<std::uint8_t>(part)};
}

// Characters in groups of at most `room` units, none cut.
template <class Unit>
std::vector<std::vector<Unit>> split(const std::vector<std::vector<Unit>>& characters, std::size_t room) {
  std::vector<std::vector<Unit>> parts(1);
  for (const std::vector<Unit>& c : characters) {
    if (parts.back().size() + c.size() > room) parts.emplace_back();
    parts.back().insert(parts.back().end(), c.begin(), c.end());
  }
  return parts;
}

struct Units {
  bool ucs2 = false;
  std::vector<std::vector<std::uint8_t>> septets;    // per character, 7-bit
  std::vector<std::vector<std::uint16_t>> utf16;     // per character, UCS-2
  int count = 0;
};

Units units_of(std::string_view utf8) {
  Units u;
  const std::u32string cps = utf8_to_code_points(utf8);
  for (const char32_t cp : cps) {
    std::vector<std::uint8_t> s = cp == 0xFFFD ? std::vector<std::uint8_t>{} : septets_of(cp);
    if (s.empty()) {
      u.ucs2 = true;
      break;
    }
    u.count += static_cast<int>(s.size());
    u.septets.push_back(std::move(s));
  }
  if (!u.ucs2) return u;
  u.septets.clear();
  u.count = 0;
  for (const char32_t cp : cps) {
    // No UCS-2 form beyond the basic plane: the replacement character.
    u.utf16.push_back({static_cast<std::uint16_t>(cp > 0xFFFF ? 0xFFFD : cp)});
    ++u.count;
  }
  return u;
}

}  // namespace

std::optional<ConcatInfo> read_concat_header(std::span<const std::uint8_t> user_data) {
  if (user_data.empty()) return std::nullopt;
  const std::size_t end = 1 + static_cast<std::size_t>(user_data[0]);
  if (end > user_data.size()) return std::nullopt;
  std::optional<ConcatInfo> found;
  for (std::size_t at = 1; at + 2 <= end;) {
    const std::uint8_t id = user_data[at];
    const std::size_t length = user_data[at + 1];
    const std::size_t from = at + 2;
    if (from + length > end) return std::nullopt;
    ConcatInfo c;
    if (id == kConcat8 && length == 3) {
      c = {user_data[from], user_data[from + 1], user_data[from + 2]};
    } else if (id == kConcat16 && length == 4) {
      c = {user_data[from] << 8 | user_data[from + 1], user_data[from + 2], user_data[from + 3]};
    }
    if (c.total >= 1 && c.part >= 1 && c.part <= c.total) found = c;
    at = from + length;
  }
  return found;
}

std::string decode_after_header(std::span<const std::uint8_t> user_data, std::uint8_t coding, int length) {
  if (user_data.empty()) return {};
  const std::size_t header_bytes = std::min<std::size_t>(1 + user_data[0], user_data.size());
  if (data_coding_is_ucs2(coding) || data_coding_is_8bit(coding)) {
    const int rest = length < 0 ? -1 : std::max(0, length - static_cast<int>(header_bytes));
    return decode_user_data(user_data.subspan(header_bytes), coding, rest);
  }
  std::vector<std::uint8_t> septets = unpack_septets(user_data);
  const std::size_t skip = std::min((header_bytes * 8 + 6) / 7, septets.size());
  if (length >= 0 && static_cast<std::size_t>(length) < septets.size()) septets.resize(static_cast<std::size_t>(length));
  if (skip >= septets.size()) return {};
  return gsm_septets_to_utf8(std::span(septets).subspan(skip));
}

std::optional<LongText> split_long_text(std::string_view utf8, std::uint8_t reference) {
  const Units u = units_of(utf8);
  LongText out;
  out.ucs2 = u.ucs2;
  out.units = u.count;
  if (!u.ucs2 && u.count <= kWholeSeptets) {
    // One message after all (characters of the extension table escaped).
    std::vector<std::uint8_t> septets;
    for (const auto& c : u.septets) septets.insert(septets.end(), c.begin(), c.end());
    out.parts.push_back(pack_septets(septets));
    out.lengths.push_back(static_cast<std::uint8_t>(septets.size()));
    return out;
  }
  if (u.ucs2 && u.count <= kWholeUcs2Units) {
    std::vector<std::uint8_t> data;
    for (const auto& c : u.utf16) {
      data.push_back(static_cast<std::uint8_t>(c[0] >> 8));
      data.push_back(static_cast<std::uint8_t>(c[0] & 0xFF));
    }
    out.lengths.push_back(static_cast<std::uint8_t>(data.size()));
    out.parts.push_back(std::move(data));
    return out;
  }
  out.header = true;
  if (!u.ucs2) {
    const auto parts = split(u.septets, kPartSeptets);
    if (parts.size() > static_cast<std::size_t>(kMaxParts)) return std::nullopt;
    for (std::size_t k = 0; k < parts.size(); ++k) {
      // The header's place as seven zero septets, so the text starts on a
      // septet boundary after one fill bit; then the header over it.
      std::vector<std::uint8_t> septets(kHeaderSeptets, 0x00);
      septets.insert(septets.end(), parts[k].begin(), parts[k].end());
      std::vector<std::uint8_t> data = pack_septets(septets);
      const std::vector<std::uint8_t> h = header(reference, parts.size(), k + 1);
      std::copy(h.begin(), h.end(), data.begin());
      out.parts.push_back(std::move(data));
      out.lengths.push_back(static_cast<std::uint8_t>(septets.size()));
    }
    return out;
  }
  const auto parts = split(u.utf16, kPartUcs2Units);
  if (parts.size() > static_cast<std::size_t>(kMaxParts)) return std::nullopt;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    std::vector<std::uint8_t> data = header(reference, parts.size(), k + 1);
    for (const std::uint16_t unit : parts[k]) {
      data.push_back(static_cast<std::uint8_t>(unit >> 8));
      data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    }
    out.lengths.push_back(static_cast<std::uint8_t>(data.size()));
    out.parts.push_back(std::move(data));
  }
  return out;
}

PartCount count_message_text(std::string_view utf8) {
  PartCount c;
  const EncodedMessage whole = encode_message_text(utf8);
  if (whole.length <= kMessageLimit) return {1, whole.length, kMessageLimit};
  const std::optional<LongText> text = split_long_text(utf8, 0);
  const Units u = units_of(utf8);
  c.units = u.count;
  if (!text) {
    c.capacity = kMaxParts * (u.ucs2 ? kPartUcs2Units : kPartSeptets);
    return c;
  }
  c.parts = static_cast<int>(text->parts.size());
  if (!text->header) return {1, static_cast<int>(text->parts[0].size()), kMessageLimit};
  c.capacity = c.parts * (text->ucs2 ? kPartUcs2Units : kPartSeptets);
  return c;
}

bool fill_outgoing_text(OutgoingSms& sms, std::string_view utf8, std::uint8_t reference) {
  const EncodedMessage whole = encode_message_text(utf8);
  if (whole.length <= kMessageLimit) {
    fill_outgoing(sms, whole);
  } else {
    const std::optional<LongText> text = split_long_text(utf8, reference);
    if (!text) return false;
    fill_outgoing(sms, *text);
  }
  // The text as the windows show it: "\n" between lines.
  for (char ch : utf8) {
    if (ch != '\r') sms.text += ch;
  }
  return true;
}

}  // namespace phondeck
