#include "organiser/profiles.h"

#include <algorithm>

#include "app/text_table.h"

namespace phondeck {
namespace {

// Feature codes by feature index: the nine settings, then the caller groups.
constexpr std::array<int, kProfileFeatures> kFeatureCodes{2, 3, 4, 6, 5, 0, 7, 1, 9, 8};
constexpr std::array<int, kProfileSettings> kLabelIds{2220, 2230, 2240, 2291, 2250, 2260, 2270, 2280, 2290};

// Call alert: the handset's value of each option.
constexpr std::array<std::uint8_t, 6> kCallAlertValues{1, 6, 5, 2, 7, 4};
// Ringing tone: the tone byte of each option.
constexpr std::array<std::uint8_t, 6> kToneValues{0x11, 0x12, 0x16, 0x3A, 0x17, 0x3C};
constexpr int kVolumeBase = 6;
// Warning tones On as a handset reports it (it names any value but 0xFF On).
constexpr std::uint8_t kWarningTonesOn = 0x04;
// The options of each setting, in table order.
constexpr std::array<int, kProfileSettings> kOptionCounts{6, 6, 5, 2, 5, 4, 2, 2, 2};

constexpr std::array<std::array<int, kProfileSettings>, kProfileCount> kDefaults{{
    {0, 1, 3, 0, 1, 2, 0, 1, 1},
    {5, 1, 0, 1, 0, 0, 1, 1, 1},
    {3, 1, 0, 1, 3, 1, 1, 1, 1},
    {0, 1, 4, 0, 2, 3, 0, 1, 1},
    {5, 1, 4, 0, 4, 2, 0, 1, 1},
    {0, 1, 2, 1, 1, 2, 0, 0, 1},
    {0, 1, 3, 0, 1, 2, 0, 1, 1},
}};

constexpr int kProfileCar = 5;
constexpr int kProfileHeadset = 6;

template <std::size_t N>
int index_in(const std::array<std::uint8_t, N>& values, std::uint8_t value) {
  for (std::size_t i = 0; i < N; ++i) {
    if (values[i] == value) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::string> numbered(const std::string& word, int from, int to) {
  std::vector<std::string> out;
  for (int n = from; n <= to; ++n) out.push_back(word + " " + std::to_string(n));
  return out;
}

}  // namespace

int profile_feature_code(int feature_index) {
  return feature_index >= 0 && feature_index < kProfileFeatures ? kFeatureCodes[static_cast<std::size_t>(feature_index)]
                                                                : -1;
}

int profile_feature_index(int feature_code) {
  for (int i = 0; i < kProfileFeatures; ++i) {
    if (kFeatureCodes[static_cast<std::size_t>(i)] == feature_code) return i;
  }
  return -1;
}

int profile_value_to_index(int setting, std::uint8_t value) {
  const int unnamed = kUnnamedValueIndex + value;
  switch (setting) {
    case kCallAlert: {
      const int i = index_in(kCallAlertValues, value);
      return i < 0 ? 0 : i;  // any other value rings
    }
    case kRingingTone: {
      // The table's "any other" are the handset's own tone numbers.
      const int i = index_in(kToneValues, value);
      return i < 0 ? unnamed : i;
    }
    case kRingingVolume:
      return value >= kVolumeBase && value < kVolumeBase + kOptionCounts[kRingingVolume] ? value - kVolumeBase
                                                                                         : unnamed;
    case kVibratingAlert:
    case kLights:
    case kAutomaticAnswer:
      return value == 1 ? 0 : 1;
    case kMessageTone:
      return value < kOptionCounts[kMessageTone] ? value : unnamed;
    case kKeypadTones:
      if (value == 0xFF) return 0;
      return value + 1 < kOptionCounts[kKeypadTones] ? value + 1 : unnamed;
    case kWarningTones:
      return value == 0xFF ? 1 : 0;
    default:
      return 0;
  }
}

std::uint8_t profile_index_to_value(int setting, int index) {
  auto byte = [](int v) { return static_cast<std::uint8_t>(v); };
  if (index >= kUnnamedValueIndex) return byte(index - kUnnamedValueIndex);
  switch (setting) {
    case kCallAlert:
      return kCallAlertValues[static_cast<std::size_t>(std::clamp(index, 0, 5))];
    case kRingingTone:
      return kToneValues[static_cast<std::size_t>(std::clamp(index, 0, 5))];
    case kRingingVolume:
      return byte(index + kVolumeBase);
    case kVibratingAlert:
    case kLights:
    case kAutomaticAnswer:
      return index == 0 ? 1 : 0;
    case kMessageTone:
      return byte(index);
    case kKeypadTones:
      return index == 0 ? 0xFF : byte(index - 1);
    case kWarningTones:
      return index == 1 ? 0xFF : kWarningTonesOn;
    default:
      return 0;
  }
}

std::array<bool, kProfileGroups> caller_groups_of(std::uint8_t bits) {
  std::array<bool, kProfileGroups> groups{};
  for (int g = 0; g < kProfileGroups; ++g) groups[static_cast<std::size_t>(g)] = (bits >> g) & 1;
  return groups;
}

std::uint8_t caller_group_bits(const std::array<bool, kProfileGroups>& groups) {
  std::uint8_t bits = 0;
  for (int g = 0; g < kProfileGroups; ++g) {
    if (groups[static_cast<std::size_t>(g)]) bits = static_cast<std::uint8_t>(bits | (1 << g));
  }
  return bits;
}

std::string profile_setting_label(int setting) {
  return setting >= 0 && setting < kProfileSettings ? tx(kLabelIds[static_cast<std::size_t>(setting)]) : std::string();
}

std::vector<std::string> profile_options(int setting) {
  switch (setting) {
    case kCallAlert:
      return {tx(2221), tx(2222), tx(2223), tx(2224), tx(2225), tx(2226)};
    case kRingingTone: {
      std::vector<std::string> out{tx(2231)};
      for (std::string& s : numbered(tx(2232), 1, 5)) out.push_back(std::move(s));
      return out;
    }
    case kRingingVolume:
      return numbered(tx(2241), 1, 5);
    case kMessageTone:
      return {tx(2251), tx(2252), tx(2253), tx(2254), tx(2255)};
    case kKeypadTones: {
      std::vector<std::string> out{tx(2261)};
      for (std::string& s : numbered(tx(2262), 1, 3)) out.push_back(std::move(s));
      return out;
    }
    case kLights:
      return {tx(2271), tx(2273)};
    case kVibratingAlert:
    case kWarningTones:
    case kAutomaticAnswer:
      return {tx(2271), tx(2272)};
    default:
      return {};
  }
}

std::string profile_option_text(int setting, int index) {
  if (index >= kUnnamedValueIndex && setting >= 0 && setting < kProfileSettings) {
    return std::to_string(index - kUnnamedValueIndex);
  }
  const std::vector<std::string> options = profile_options(setting);
  return index >= 0 && index < static_cast<int>(options.size()) ? options[static_cast<std::size_t>(index)]
                                                                 : std::string();
}

std::string builtin_profile_name(int profile) {
  return profile >= 0 && profile < kProfileCount ? tx(2211 + profile) : std::string();
}

bool profile_cell_editable(int profile, int setting) {
  if (setting == kLights) return profile == kProfileCar;
  if (setting == kAutomaticAnswer) return profile == kProfileCar || profile == kProfileHeadset;
  return setting >= 0 && setting < kProfileSettings;
}

const std::array<int, kProfileSettings>& profile_defaults(int profile) {
  return kDefaults.at(static_cast<std::size_t>(profile));
}

void ProfileSet::set_default(int profile) {
  Profile& p = (*this)[profile];
  p.name.clear();
  p.settings = profile_defaults(profile);
  p.groups = {};
}

void ProfileSet::set_all_defaults() {
  for (int p = 0; p < kProfileCount; ++p) set_default(p);
}

void ProfileSet::show_read() {
  for (Profile& p : profiles_) {
    if (!p.read) continue;
    p.name = p.read_name;
    p.settings = p.read_settings;
    for (std::size_t f = 0; f < p.values.size(); ++f) p.values[f] = p.read_values[f];
    p.groups = p.read_groups;
  }
}

std::string ProfileSet::shown_name(int profile) const {
  const Profile& p = (*this)[profile];
  return p.name.empty() ? builtin_profile_name(profile) : p.name;
}

bool ProfileSet::store_read_value(int profile, int feature_code, std::uint8_t value) {
  const int feature = profile_feature_index(feature_code);
  if (profile < 0 || profile >= kProfileCount || feature < 0) return false;
  Profile& p = (*this)[profile];
  p.read = true;
  if (feature == kCallerGroupSetting) {
    p.groups = p.read_groups = caller_groups_of(value);
  } else {
    const auto f = static_cast<std::size_t>(feature);
    p.settings[f] = p.read_settings[f] = profile_value_to_index(feature, value);
    p.values[f] = p.read_values[f] = value;
  }
  return true;
}

bool ProfileSet::set_value(int profile, int feature_code, std::uint8_t value) {
  const int feature = profile_feature_index(feature_code);
  if (profile < 0 || profile >= kProfileCount || feature < 0) return false;
  Profile& p = (*this)[profile];
  if (feature == kCallerGroupSetting) {
    p.groups = caller_groups_of(value);
  } else {
    p.settings[static_cast<std::size_t>(feature)] = profile_value_to_index(feature, value);
    p.values[static_cast<std::size_t>(feature)] = value;
  }
  return true;
}

std::uint8_t ProfileSet::setting_value(int profile, int setting) const {
  const Profile& p = (*this)[profile];
  const auto f = static_cast<std::size_t>(setting);
  const std::optional<std::uint8_t>& came = p.values.at(f);
  if (came && profile_value_to_index(setting, *came) == p.settings[f]) return *came;
  return profile_index_to_value(setting, p.settings[f]);
}

void ProfileSet::store_read_name(int profile, std::string name) {
  if (profile < 0 || profile >= kProfileCount) return;
  Profile& p = (*this)[profile];
  p.name = name;
  p.read_name = std::move(name);
}

std::vector<ProfileChange> ProfileSet::changes() const {
  std::vector<ProfileChange> out;
  for (int n = 0; n < kProfileCount; ++n) {
    const Profile& p = (*this)[n];
    for (int f = 0; f < kProfileFeatures; ++f) {
      const int code = profile_feature_code(f);
      if (f == kCallerGroupSetting) {
        if (!p.read || p.groups != p.read_groups) out.push_back({n, code, caller_group_bits(p.groups)});
        continue;
      }
      const std::uint8_t value = setting_value(n, f);
      if (!p.read || value != p.read_values[static_cast<std::size_t>(f)]) out.push_back({n, code, value});
    }
  }
  return out;
}

void ProfileSet::change_written(const ProfileChange& change) {
  const int feature = profile_feature_index(change.feature_code);
  if (change.profile < 0 || change.profile >= kProfileCount || feature < 0) return;
  Profile& p = (*this)[change.profile];
  if (!p.read) {
    // The first feature of a profile never read: what the grid holds is what
    // the handset now holds.
    for (int f = 0; f < kProfileSettings; ++f) {
      p.read_values[static_cast<std::size_t>(f)] = setting_value(change.profile, f);
    }
    p.read = true;
    p.read_name = p.name;
    p.read_settings = p.settings;
    p.read_groups = p.groups;
  }
  if (feature == kCallerGroupSetting) {
    p.read_groups = caller_groups_of(change.value);
  } else {
    const auto f = static_cast<std::size_t>(feature);
    p.read_settings[f] = profile_value_to_index(feature, change.value);
    p.values[f] = p.read_values[f] = change.value;
  }
}

}  // namespace phondeck
