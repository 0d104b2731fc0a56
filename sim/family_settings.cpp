// Profile features (0x05), key assignments (0x0C), and SMS handling and cell
// broadcast for the PC (0x02).
#include "sim/family_settings.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "sim/family_phonebook.h"
#include "sim/handset.h"
#include "sim/handset_state.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

// What the keys 1..9 and 0 type in text entry, then the symbol list.
constexpr std::string_view kKeyCharacters[] = {".,?!'\"1-()/:", "ABC2", "DEF3", "GHI4", "JKL5",
                                               "MNO6",          "PQRS7", "TUV8", "WXYZ9", " 0"};
constexpr std::string_view kSymbols = ".,'?!\"-()/:;+&%*=<>#";

// 00 01 00 13 01 <profile> <feature> -> 00 01 00 14 01 <profile> <feature> 04 <value> 01.
bool profile_feature(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x13) return false;
  const std::uint8_t profile = request.at(5);
  const std::uint8_t feature = request.at(6);
  if (profile >= kProfiles || feature >= kProfileFeatures) return false;  // unanswered
  const std::uint8_t value = handset.state().settings.profiles[profile][feature];
  handset.reply(kTypeProfile, Bytes{0x00, 0x01, 0x00, 0x14, 0x01, profile, feature, 0x04, value, 0x01});
  return true;
}

// 00 01 00 1A <profile> -> 00 01 00 1B 01 01 00 00 <profile> <length> <name>.
bool profile_name(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x1A) return false;
  const std::uint8_t profile = request.at(4);
  if (profile >= kProfiles) return false;  // unanswered
  const std::vector<std::uint8_t>& name = handset.state().settings.profile_names[profile];
  const std::size_t length = std::min<std::size_t>(name.size(), 255);
  Bytes p{0x00, 0x01, 0x00, 0x1B, 0x01, 0x01, 0x00, 0x00, profile, static_cast<std::uint8_t>(length)};
  p.insert(p.end(), name.begin(), name.begin() + static_cast<long>(length));
  handset.reply(kTypeProfile, std::move(p));
  return true;
}

// Whether a feature takes a value, and whether the profile may change it:
// only Car changes its lights, only Car and Headset their automatic answer.
std::uint8_t refusal(const SettingsState& settings, std::uint8_t profile, std::uint8_t feature, std::uint8_t value) {
  constexpr std::uint8_t kNoSuchFeature = 0x01;
  constexpr std::uint8_t kBadValue = 0x02;
  constexpr std::uint8_t kFixed = 0x03;
  constexpr std::uint8_t kCar = 5;
  constexpr std::uint8_t kHeadset = 6;
  if (profile >= kProfiles || feature >= kProfileFeatures) return kNoSuchFeature;
  auto one_of = [value](std::initializer_list<int> values) {
    return std::find(values.begin(), values.end(), value) != values.end();
  };
  bool valid = true;
  switch (feature) {
    case 0: valid = value == 0xFF || value <= 2; break;                       // keypad tones
    case 1: case 6: case 9: valid = value <= 1; break;                        // lights, vibration, answer
    case 2: valid = one_of({1, 2, 4, 5, 6, 7}); break;                        // call alert
    case 3: valid = one_of({0x11, 0x12, 0x16, 0x17, 0x3A, 0x3C}); break;      // ringing tone
    case 4: valid = value >= 6 && value <= 10; break;                         // volume
    case 5: valid = value <= 4; break;                                        // message tone
    case 7: valid = value == 0x04 || value == 0 || value == 0xFF; break;      // warning tones
    case 8: valid = value <= 0x1F; break;                                     // caller groups
    default: break;
  }
  if (!valid) return kBadValue;
  const bool change = settings.profiles[profile][feature] != value;
  if (change && feature == 1 && profile != kCar) return kFixed;
  if (change && feature == 9 && profile != kCar && profile != kHeadset) return kFixed;
  return 0;
}

// 00 01 00 10 01 <profile> <feature> <value> -> 00 01 00 11 01 <profile>
// <feature>, or 00 01 00 12 01 <profile> <feature> <reason> when refused.
bool profile_write(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x10) return false;
  const std::uint8_t profile = request.at(5);
  const std::uint8_t feature = request.at(6);
  const std::uint8_t value = request.at(7);
  if (const std::uint8_t reason = refusal(handset.state().settings, profile, feature, value)) {
    handset.reply(kTypeProfile, Bytes{0x00, 0x01, 0x00, 0x12, 0x01, profile, feature, reason});
    return true;
  }
  handset.state().settings.profiles[profile][feature] = value;
  handset.reply(kTypeProfile, Bytes{0x00, 0x01, 0x00, 0x11, 0x01, profile, feature});
  return true;
}

// Menu, Profiles, the profile's number, Select: the keypad's way to switch
// profile. Only watched here; the calendar family records every key.
bool profile_keys(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x42 || request.at(4) != 0x01) return false;
  SettingsState& settings = handset.state().settings;
  std::vector<int>& keys = settings.recent_keys;
  keys.push_back(request.at(5));
  if (keys.size() > 5) keys.erase(keys.begin());
  if (keys.size() == 5 && keys[0] == 15 && keys[1] == 25 && keys[2] == 3 && keys[3] >= 1 && keys[3] <= 5 &&
      keys[4] == 1) {
    settings.active_profile = keys[3] - 1;
  }
  return false;
}

// 00 01 00 40 01 -> 00 01 00 41 and 00-ended texts: keys 1..9 and 0, two
// empty ones, the symbols.
bool key_assignments(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x40 || request.at(4) != 0x01) return false;
  Bytes p{0x00, 0x01, 0x00, 0x41};
  auto text = [&p](std::string_view chars) {
    p.insert(p.end(), chars.begin(), chars.end());
    p.push_back(0x00);
  };
  for (std::string_view chars : kKeyCharacters) text(chars);
  text("");
  text("");
  text(kSymbols);
  handset.reply(kTypeKeypad, std::move(p));
  return true;
}

bool messaging(Handset& handset, const Request& request) {
  SettingsState& settings = handset.state().settings;
  switch (request.sub_type()) {
    case 0x0D:  // start SMS handling (00 00 02 or 01 00 02 follow)
      settings.sms_handling = true;
      handset.reply(kTypeMessaging, Bytes{0x00, 0x01, 0x00, 0x0E});
      return true;
    case 0x20:  // cell broadcast
      settings.cell_broadcast = true;
      handset.reply(kTypeMessaging, Bytes{0x00, 0x01, 0x00, 0x21, 0x01});
      return true;
    default:
      return false;
  }
}

void add_handlers(DispatchTable& table) {
  table.add(kTypeProfile, profile_feature);
  table.add(kTypeProfile, profile_name);
  table.add(kTypeProfile, profile_write);
  table.add(kTypeKeypad, key_assignments);
  table.add(kTypeKeypad, profile_keys);
  table.add(kTypeMessaging, messaging);
}

void save(const HandsetState& state, nlohmann::json& j) {
  j["profiles"] = state.settings.profiles;
  nlohmann::json names = nlohmann::json::array();
  for (const std::vector<std::uint8_t>& name : state.settings.profile_names) names.push_back(to_hex(name));
  j["profile_names_hex"] = std::move(names);
  j["active_profile"] = state.settings.active_profile;
}

void load(const nlohmann::json& j, HandsetState& state) {
  if (j.contains("profile_names_hex")) {
    const nlohmann::json& names = j.at("profile_names_hex");
    if (!names.is_array() || names.size() != kProfiles) throw std::invalid_argument("profile names: seven");
    for (std::size_t p = 0; p < kProfiles; ++p) {
      Bytes name = from_hex(names[p].get<std::string>());
      if (name.size() > 255) throw std::invalid_argument("profile names: at most 255 bytes");
      state.settings.profile_names[p] = std::move(name);
    }
  }
  if (j.contains("active_profile")) {
    const int active = json_as<int>(j.at("active_profile"));
    if (active < 0 || active >= static_cast<int>(kProfiles)) throw std::invalid_argument("active profile: 0..6");
    state.settings.active_profile = active;
  }
  if (!j.contains("profiles")) return;
  const nlohmann::json& profiles = j.at("profiles");
  if (!profiles.is_array() || profiles.size() != kProfiles) throw std::invalid_argument("profiles: seven lists");
  for (std::size_t p = 0; p < kProfiles; ++p) {
    if (!profiles[p].is_array() || profiles[p].size() != kProfileFeatures) {
      throw std::invalid_argument("profiles: ten feature values each");
    }
    for (std::size_t f = 0; f < kProfileFeatures; ++f) {
      const int value = json_as<int>(profiles[p][f]);
      if (value < 0 || value > 255) throw std::invalid_argument("profiles: values are bytes");
      state.settings.profiles[p][f] = static_cast<std::uint8_t>(value);
    }
  }
}

}  // namespace

HandsetFamily settings_family() { return {"settings", add_handlers, save, load}; }

}  // namespace phondeck::sim
