#include "media/caller_group_table.h"

#include <algorithm>

#include "app/code_page.h"
#include "link/phonebook_names.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kUcs2Marker0 = 0x04;
constexpr std::uint8_t kUcs2Marker1 = 0xFF;

bool double_byte_code_page() { return active_code_page() != CodePage::Windows1252; }

}  // namespace

std::size_t kept_name_bytes(std::span<const std::uint8_t> name) {
  if (name.size() <= kGroupNameBytes) return name.size();
  if (name[0] == kUcs2Marker0 && name[1] == kUcs2Marker1) {
    // The marker, then whole 16-bit characters.
    return 2 + (kGroupNameBytes - 2) / 2 * 2;
  }
  if (!double_byte_code_page()) return kGroupNameBytes;
  std::size_t kept = 0;
  while (kept < kGroupNameBytes) {
    const std::size_t width = name[kept] >= 0x81 && name[kept] <= 0xFE ? 2 : 1;
    if (kept + width > kGroupNameBytes) break;
    kept += width;
  }
  return kept;
}

std::span<const std::uint8_t> CallerGroup::name_bytes() const {
  const std::size_t n = std::clamp<std::int32_t>(name_length, 0, static_cast<std::int32_t>(kGroupNameBytes));
  return {name.data(), n};
}

std::string CallerGroup::display_name() const {
  const std::span<const std::uint8_t> bytes = name_bytes();
  if (bytes.empty()) return {};
  const DecodedName decoded = decode_entry_name(bytes, static_cast<int>(bytes.size()));
  return decoded.unicode.empty() ? decoded.name : decoded.unicode;
}

void CallerGroup::set_picture(const MonoBitmap& picture) {
  MonoBitmap logo(kLogoWidth, kLogoHeight);
  for (int y = 0; y < kLogoHeight; ++y) {
    for (int x = 0; x < kLogoWidth; ++x) logo.set(x, y, picture.get(x, y));
  }
  const std::vector<std::uint8_t> packed = packRows(logo);
  std::copy_n(packed.begin(), std::min(packed.size(), kLogoBytes), this->logo.begin());
}

bool parse_group_record(std::span<const std::uint8_t> record, CallerGroup& out) {
  if (record.empty()) return false;
  const std::size_t declared = record[0];
  const std::span<const std::uint8_t> name = record.subspan(1, std::min(declared, record.size() - 1));
  const std::size_t kept = kept_name_bytes(name);
  CallerGroup group;
  group.name_length = static_cast<std::int32_t>(kept);
  std::copy_n(name.begin(), kept, group.name.begin());
  group.name[kept] = 0x00;
  if (1 + declared < record.size()) group.ringing_tone = record[1 + declared];
  const std::size_t logo_at = 1 + declared + kGroupRecordSkip;
  if (logo_at < record.size()) {
    const std::span<const std::uint8_t> logo = record.subspan(logo_at, std::min(kLogoBytes, record.size() - logo_at));
    std::copy(logo.begin(), logo.end(), group.logo.begin());
  }
  out = group;
  return true;
}

}  // namespace phondeck
