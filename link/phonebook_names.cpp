#include "link/phonebook_names.h"

#include <algorithm>
#include <array>

#include "app/code_page.h"
#include "phonebook/text_codec.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kMarker = 0x04;
constexpr std::uint8_t kUnicode = 0xFF;
// The UCS-2 buffer holds 255 bytes: 127 characters and the terminator.
constexpr std::size_t kUcs2Characters = 127;

struct IconColumn {
  const char* model;
  std::array<std::uint8_t, 6> code;
  std::array<bool, 6> zero_second;
};

constexpr std::array<IconColumn, 3> kIcons{{
    {"6138", {0x00, 0x03, 0x01, 0xFF, 0x02, 0x09}, {false, false, false, true, false, false}},
    {"6150", {0x05, 0x08, 0x06, 0x04, 0x07, 0x0E}, {false, false, false, false, false, false}},
    {"6110", {0xFC, 0xFF, 0xFD, 0xFB, 0xFE, 0x05}, {true, true, true, true, true, false}},
}};

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

// Name characters as pairs (filler, c) while 2 * pairs + |U| + 2 stays below the limit.
void add_pairs(std::vector<std::uint8_t>& out, const std::string& name, std::uint8_t filler,
               std::size_t unicode_length, int limit) {
  std::size_t pairs = 0;
  for (const char c : name) {
    if (static_cast<long>(2 * pairs + unicode_length + 2) >= limit) break;
    out.push_back(filler);
    out.push_back(static_cast<std::uint8_t>(c));
    ++pairs;
  }
}

}  // namespace

std::vector<std::uint8_t> group_icon_bytes(std::string_view model, int group) {
  for (const IconColumn& column : kIcons) {
    if (model != column.model || group < 0 || group > 5) continue;
    const auto g = static_cast<std::size_t>(group);
    return {kMarker, static_cast<std::uint8_t>(column.zero_second[g] ? 0x00 : 0x01), column.code[g]};
  }
  return {kMarker, 0x00, 0x00};
}

namespace {

// The name bytes the WriteAs choice gives, before the memory's cut.
std::vector<std::uint8_t> encode_by_choice(const NameToEncode& in) {
  const std::vector<std::uint8_t> u =
      in.unicode.empty() ? std::vector<std::uint8_t>{} : text_to_ucs2be(in.unicode, kUcs2Characters);
  const std::string n = to_code_page(in.name);
  const WriteAs how = in.multibyte ? in.write_as : WriteAs::Name;

  std::vector<std::uint8_t> out;
  switch (how) {
    case WriteAs::Auto:
      if (!u.empty()) {
        out = {kMarker, kUnicode};
        out.insert(out.end(), u.begin(), u.end());
      } else {
        out = bytes_of(n);
      }
      break;
    case WriteAs::Name:
      out = bytes_of(n);
      break;
    case WriteAs::Both:
      out = {kMarker, kUnicode};
      add_pairs(out, n, 0x20, u.size(), in.limit);
      out.insert(out.end(), u.begin(), u.end());
      break;
    case WriteAs::Group:
      out = group_icon_bytes(in.model, in.group);
      break;
    case WriteAs::Both2:
      out = {kMarker, kUnicode};
      out.insert(out.end(), u.begin(), u.end());
      add_pairs(out, n, 0x00, u.size(), in.limit);
      break;
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> encode_name(const NameToEncode& in) {
  std::vector<std::uint8_t> out = in.handset_bytes.empty()
                                      ? encode_by_choice(in)
                                      : std::vector<std::uint8_t>(in.handset_bytes.begin(), in.handset_bytes.end());
  if (in.memory == 0) {
    out.push_back(0x00);
    out.push_back(0x00);
    out.resize(std::min(out.size(), static_cast<std::size_t>(std::max(in.limit, 0))));
  } else {
    out.resize(std::min(out.size(), kSimNameBytes));
  }
  return out;
}

bool parse_entry_reply(std::span<const std::uint8_t> data, EntryReply& out) {
  // Data byte 5: name length L, L bytes, number length M, M characters, group.
  if (data.size() < 6) return false;
  const std::size_t name_length = data[5];
  std::size_t at = 6 + name_length;
  if (at >= data.size()) return false;
  const std::size_t number_length = data[at++];
  if (at + number_length >= data.size()) return false;
  out.name.assign(data.begin() + 6, data.begin() + static_cast<long>(6 + name_length));
  out.number.assign(data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + number_length));
  out.group = data[at + number_length];
  return true;
}

}  // namespace phondeck
