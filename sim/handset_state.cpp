#include "sim/handset_state.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sim/families.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

Bytes text_bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

// 0x04 0xFF and the UCS-2 big-endian code units.
Bytes ucs2_name(std::initializer_list<std::uint16_t> units) {
  Bytes out{0x04, 0xFF};
  for (std::uint16_t unit : units) {
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  }
  return out;
}

}  // namespace

HandsetState HandsetState::demo(const ModelInfo& info) {
  HandsetState s;
  s.model = info.model;
  s.imei = make_imei(info, '1', 471);
  s.type_designation = info.type_designation;
  s.product_code = info.product_code;
  s.hardware_version = "0501";
  s.firmware_version = "05.24";
  s.firmware_date = "01-07-99";
  s.signal = 3;
  s.battery = 4;
  s.mcc = 466;
  s.mnc = 1;
  s.area = 0x2F41;
  s.cell = 0x1A2B;
  s.phone.capacity = info.phone_memory ? 200 : 0;
  s.sim.capacity = 100;
  s.sms = demo_sms_memory();
  s.calendar = demo_calendar();

  std::vector<PhoneBookSlot> phone = {
      {1, text_bytes("Mum"), "+358401234567", 0},
      {2, text_bytes("Dad"), "+358401234568", 0},
      {3, text_bytes("Office"), "0912345678", 3},
      {4, text_bytes("Anna Virtanen"), "0401112223", 2},
      {5, text_bytes("Taxi"), "0100", 4},
      {6, text_bytes("Pizza Roma"), "095551234", 4},
      {7, ucs2_name({0x9673, 0x7F8E, 0x73B2}), "+886912345678", 1},
      {9, text_bytes("Voicemail"), "0201234", 5},
  };
  std::vector<PhoneBookSlot> sim = {
      {1, text_bytes("Home"), "091234567", 0},
      {2, Bytes{'J', 0xFC, 'r', 'g', 'e', 'n'}, "+491701234567", 2},
      {3, text_bytes("Doctor"), "0987654", 5},
      {5, text_bytes("Emergency"), "112", 5},
  };
  for (PhoneBookSlot& slot : sim) s.sim.put(std::move(slot));
  int next_sim = 6;
  for (PhoneBookSlot& slot : phone) {
    if (info.phone_memory) {
      s.phone.put(std::move(slot));
    } else {
      // No phone memory: the whole phone book lives on the SIM, with groups
      // the handset cannot keep.
      slot.location = next_sim++;
      slot.group = 5;
      s.sim.put(std::move(slot));
    }
  }
  // The call lists: the last numbers dialled, answered and missed.
  s.dialled.capacity = s.received.capacity = s.missed.capacity = 10;
  s.dialled.put({1, text_bytes("Mum"), "+358401234567", 0, CallTime{1999, 7, 1, 18, 5, 12}});
  s.dialled.put({2, Bytes{}, "0207654321", 5, CallTime{1999, 6, 30, 9, 41, 0}});
  s.received.put({1, text_bytes("Office"), "0912345678", 3, CallTime{1999, 7, 1, 8, 15, 30}});
  s.missed.put({1, Bytes{}, "0401112299", 5, CallTime{1999, 6, 29, 21, 2, 47}});
  const Bytes friends = ucs2_name({0x670B, 0x53CB});
  const std::string group_names[] = {"Family", "VIP", std::string(friends.begin(), friends.end()), "Colleagues",
                                     "Other"};
  for (std::size_t i = 0; i < s.groups.size(); ++i) {
    s.groups[i].name = group_names[i];
    s.groups[i].logo = demo_group_logo(static_cast<int>(i));
  }
  s.graphics = demo_graphics(s.mcc, s.mnc);
  return s;
}

nlohmann::json HandsetState::to_json() const {
  nlohmann::json j = extra.is_object() ? extra : nlohmann::json::object();
  j["model"] = model;
  for (const HandsetFamily& family : handset_families()) {
    if (family.save) family.save(*this, j);
  }
  return j;
}

HandsetState HandsetState::from_json(const nlohmann::json& j) {
  if (!j.is_object()) throw std::invalid_argument("state is not a JSON object");
  const std::string model = json_field(j, "model", std::string("6110"));
  const ModelInfo* info = find_model(model);
  if (info == nullptr) throw std::invalid_argument("unknown model " + model);
  HandsetState s = demo(*info);
  for (const HandsetFamily& family : handset_families()) {
    if (family.load) family.load(j, s);
  }
  // Whatever no family writes is kept for the next save.
  const nlohmann::json own = s.to_json();
  for (const auto& [key, value] : j.items()) {
    if (!own.contains(key)) s.extra[key] = value;
  }
  return s;
}

bool HandsetState::save(const std::string& path, std::string& error) const {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    if (!out) {
      error = "cannot write " + temporary;
      return false;
    }
    out << to_json().dump(2) << '\n';
    if (!out.flush()) {
      error = "cannot write " + temporary;
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path;
    return false;
  }
  return true;
}

std::optional<HandsetState> HandsetState::load(const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  try {
    return from_json(nlohmann::json::parse(in));
  } catch (const std::exception& e) {
    error = path + ": " + e.what();
    return std::nullopt;
  }
}

}  // namespace phondeck::sim
