// Profile features (0x05), key assignments (0x0C), and SMS handling and cell
// broadcast for the PC (0x02).
#include "sim/family_settings.h"

#include <stdexcept>
#include <string_view>

#include "sim/handset.h"
#include "sim/message_types.h"

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
  table.add(kTypeKeypad, key_assignments);
  table.add(kTypeMessaging, messaging);
}

void save(const HandsetState& state, nlohmann::json& j) { j["profiles"] = state.settings.profiles; }

void load(const nlohmann::json& j, HandsetState& state) {
  if (!j.contains("profiles")) return;
  const nlohmann::json& profiles = j.at("profiles");
  if (!profiles.is_array() || profiles.size() != kProfiles) throw std::invalid_argument("profiles: seven lists");
  for (std::size_t p = 0; p < kProfiles; ++p) {
    if (!profiles[p].is_array() || profiles[p].size() != kProfileFeatures) {
      throw std::invalid_argument("profiles: ten feature values each");
    }
    for (std::size_t f = 0; f < kProfileFeatures; ++f) {
      const int value = profiles[p][f].get<int>();
      if (value < 0 || value > 255) throw std::invalid_argument("profiles: values are bytes");
      state.settings.profiles[p][f] = static_cast<std::uint8_t>(value);
    }
  }
}

}  // namespace

HandsetFamily settings_family() { return {"settings", add_handlers, save, load}; }

}  // namespace phondeck::sim
