// Profile replies of any bytes: a name, a feature value or a write answer is
// taken only for the record asked for, the name is valid UTF-8, and every
// value lands in an option list or shows as no option.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "app/code_page.h"
#include "app/text_table.h"
#include "organiser/profile_family.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  static const bool loaded = (texts().load_english(), true);
  (void)loaded;
  if (size < 3) return 0;
  set_active_code_page(static_cast<CodePage>(data[0] % 3));
  const int profile = data[1] % kProfileCount;
  const int code = data[2] % kProfileFeatures;
  const std::span<const std::uint8_t> reply(data + 3, size - 3);
  if (const auto name = parse_profile_name_reply(reply, profile)) {
    if (reply[8] != profile || code_points_to_utf8(utf8_to_code_points(*name)) != *name) std::abort();
  }
  ProfileSet set;
  if (const auto value = parse_profile_feature_reply(reply, profile, code)) {
    if (reply[5] != profile || reply[6] != code) std::abort();
    if (!set.store_read_value(profile, code, *value)) std::abort();
    const int feature = profile_feature_index(code);
    if (feature < kProfileSettings) {
      const int index = set[profile].settings[static_cast<std::size_t>(feature)];
      const bool listed = (index >= 0 && index < static_cast<int>(profile_options(feature).size())) ||
                          index >= kUnnamedValueIndex;
      if (listed == profile_option_text(feature, index).empty()) std::abort();
    }
  }
  const ProfileChange change{profile, code, 0};
  if (const auto answer = parse_profile_write_reply(reply, change)) {
    if (reply[3] != (answer->taken ? 0x11 : 0x12)) std::abort();
  }
  set_active_code_page(CodePage::Windows1252);
  return 0;
}
