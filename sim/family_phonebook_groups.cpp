// Phone book (0x03): the five caller groups, each with a name, a ringing
// tone and a 72 x 14 logo.
#include <algorithm>
#include <stdexcept>

#include "sim/family_phonebook.h"
#include "sim/handset.h"
#include "sim/handset_state.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

constexpr std::uint8_t kReadGroup = 0x10;
constexpr std::uint8_t kGroup = 0x11;
constexpr std::size_t kLogoBytes = 126;

// 00 01 00 11, group, name length, name, ringtone, logo on, then the logo
// with its size and shape: 00 82 (bytes that follow), 00 48 0E (72 x 14),
// 01, and the 126 picture bytes.
bool read_group(Handset& handset, const Request& request) {
  if (request.sub_type() != kReadGroup) return false;
  const std::uint8_t index = request.at(4);
  const auto& groups = handset.state().groups;
  if (index >= groups.size()) return false;  // no such group: no answer
  const CallerGroup& group = groups[index];
  const std::size_t name_length = std::min<std::size_t>(group.name.size(), 255);
  Bytes p{0x00, 0x01, 0x00, kGroup, index, static_cast<std::uint8_t>(name_length)};
  p.insert(p.end(), group.name.begin(), group.name.begin() + static_cast<long>(name_length));
  p.insert(p.end(), {group.ringtone, static_cast<std::uint8_t>(group.logo_on ? 1 : 0), 0x00, 0x82, 0x00, 0x48, 0x0E,
                     0x01});
  Bytes logo = group.logo;
  logo.resize(kLogoBytes, 0x00);
  p.insert(p.end(), logo.begin(), logo.end());
  handset.reply(kTypePhoneBook, std::move(p));
  return true;
}

// 00 01 00 13, group, name length, name, ringtone, logo on, 00 84, 00 48 0E
// 01, the 126 logo bytes -> 00 01 00 14. A request too short for its logo
// is not answered.
bool write_group(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x13) return false;
  const std::uint8_t index = request.at(4);
  auto& groups = handset.state().groups;
  if (index >= groups.size()) return false;
  const std::size_t name_length = request.at(5);
  const std::size_t logo_at = 6 + name_length + 8;
  if (request.payload.size() < logo_at + kLogoBytes) return false;
  CallerGroup& group = groups[index];
  const auto name = request.payload.begin() + 6;
  group.name.assign(name, name + static_cast<long>(name_length));
  group.ringtone = request.at(6 + name_length);
  group.logo_on = request.at(7 + name_length) != 0;
  const auto logo = request.payload.begin() + static_cast<long>(logo_at);
  if (!group.logo_fixed) group.logo.assign(logo, logo + static_cast<long>(kLogoBytes));
  handset.reply(kTypePhoneBook, Bytes{0x00, 0x01, 0x00, 0x14});
  return true;
}

}  // namespace

void add_caller_group_handlers(DispatchTable& table) {
  table.add(kTypePhoneBook, read_group);
  table.add(kTypePhoneBook, write_group);
}

void save_caller_groups(const HandsetState& state, nlohmann::json& phonebook) {
  nlohmann::json groups = nlohmann::json::array();
  for (const CallerGroup& group : state.groups) {
    nlohmann::json g{{"ringtone", group.ringtone}, {"logo_on", group.logo_on}, {"logo_hex", to_hex(group.logo)}};
    // A UCS-2 name (0x04 0xFF ...) is no text: it goes as hex.
    const bool printable = std::all_of(group.name.begin(), group.name.end(),
                                       [](char c) { return c >= 0x20 && c <= 0x7E; });
    if (printable) {
      g["name"] = group.name;
    } else {
      g["name_hex"] = to_hex(Bytes(group.name.begin(), group.name.end()));
    }
    groups.push_back(std::move(g));
  }
  phonebook["groups"] = std::move(groups);
}

void load_caller_groups(const nlohmann::json& phonebook, HandsetState& state) {
  if (!phonebook.contains("groups")) return;
  const nlohmann::json& groups = phonebook.at("groups");
  if (!groups.is_array() || groups.size() > state.groups.size()) {
    throw std::invalid_argument("groups: at most five");
  }
  for (std::size_t i = 0; i < groups.size(); ++i) {
    CallerGroup& group = state.groups[i];
    const nlohmann::json& g = groups[i];
    if (g.contains("name_hex")) {
      const Bytes name = from_hex(g.at("name_hex").get<std::string>());
      group.name.assign(name.begin(), name.end());
    } else {
      group.name = json_field(g, "name", group.name);
    }
    group.ringtone = json_field(g, "ringtone", group.ringtone);
    group.logo_on = json_field(g, "logo_on", group.logo_on);
    if (g.contains("logo_hex")) {
      group.logo = from_hex(g.at("logo_hex").get<std::string>());
      if (group.logo.size() != kLogoBytes) throw std::invalid_argument("group logo: 126 bytes");
    }
  }
}

}  // namespace phondeck::sim
