#include "sim/handset_state.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

bool printable(const Bytes& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b >= 0x20 && b <= 0x7E; });
}

std::string to_hex(const Bytes& bytes) {
  std::string out;
  char pair[3];
  for (std::uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", b);
    out += pair;
  }
  return out;
}

Bytes from_hex(const std::string& hex) {
  if (hex.size() % 2 != 0) throw std::invalid_argument("odd hex length: " + hex);
  Bytes out;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    std::size_t used = 0;
    const std::string pair = hex.substr(i, 2);
    const unsigned long value = std::stoul(pair, &used, 16);
    if (used != 2) throw std::invalid_argument("bad hex: " + hex);
    out.push_back(static_cast<std::uint8_t>(value));
  }
  return out;
}

nlohmann::json memory_json(const Memory& memory) {
  nlohmann::json entries = nlohmann::json::array();
  for (const PhoneBookSlot& slot : memory.entries) {
    nlohmann::json e;
    e["location"] = slot.location;
    if (printable(slot.name)) {
      e["name"] = std::string(slot.name.begin(), slot.name.end());
    } else {
      e["name_hex"] = to_hex(slot.name);
    }
    e["number"] = slot.number;
    e["group"] = slot.group;
    entries.push_back(std::move(e));
  }
  return {{"capacity", memory.capacity}, {"entries", std::move(entries)}};
}

void read_memory(const nlohmann::json& j, Memory& memory) {
  memory.capacity = j.value("capacity", memory.capacity);
  if (memory.capacity < 0 || memory.capacity > 255) {
    throw std::invalid_argument("memory capacity out of range");
  }
  if (!j.contains("entries")) return;
  memory.entries.clear();
  for (const nlohmann::json& e : j.at("entries")) {
    PhoneBookSlot slot;
    slot.location = e.at("location").get<int>();
    if (slot.location < 1 || slot.location > memory.capacity) {
      throw std::invalid_argument("entry location outside the memory");
    }
    if (e.contains("name_hex")) {
      slot.name = from_hex(e.at("name_hex").get<std::string>());
    } else {
      slot.name = text_bytes(e.value("name", std::string()));
    }
    slot.number = e.value("number", std::string());
    slot.group = e.value("group", 0);
    memory.put(std::move(slot));
  }
}

}  // namespace

const PhoneBookSlot* Memory::at(int location) const {
  for (const PhoneBookSlot& slot : entries) {
    if (slot.location == location) return &slot;
  }
  return nullptr;
}

void Memory::put(PhoneBookSlot slot) {
  auto it = std::lower_bound(entries.begin(), entries.end(), slot.location,
                             [](const PhoneBookSlot& s, int location) { return s.location < location; });
  if (it != entries.end() && it->location == slot.location) {
    *it = std::move(slot);
  } else {
    entries.insert(it, std::move(slot));
  }
}

HandsetState HandsetState::demo(const ModelInfo& info) {
  HandsetState s;
  s.model = info.model;
  s.imei = make_imei(info, '1', 471);
  s.type_designation = info.type_designation;
  s.hardware_version = "0501";
  s.firmware_version = "05.24";
  s.signal = 3;
  s.battery = 4;
  s.mcc = 466;
  s.mnc = 1;
  s.area = 0x2F41;
  s.cell = 0x1A2B;
  s.phone.capacity = info.phone_memory ? 200 : 0;
  s.sim.capacity = 100;

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
  return s;
}

nlohmann::json HandsetState::to_json() const {
  nlohmann::json j = extra.is_object() ? extra : nlohmann::json::object();
  j["model"] = model;
  j["imei"] = imei;
  j["type_designation"] = type_designation;
  j["hardware_version"] = hardware_version;
  j["firmware_version"] = firmware_version;
  j["signal"] = signal;
  j["battery"] = battery;
  j["network"] = {{"mcc", mcc}, {"mnc", mnc}, {"area", area}, {"cell", cell}};
  j["phonebook"] = {{"phone", memory_json(phone)}, {"sim", memory_json(sim)}};
  return j;
}

HandsetState HandsetState::from_json(const nlohmann::json& j) {
  if (!j.is_object()) throw std::invalid_argument("state is not a JSON object");
  const std::string model = j.value("model", std::string("6110"));
  const ModelInfo* info = find_model(model);
  if (info == nullptr) throw std::invalid_argument("unknown model " + model);
  HandsetState s = demo(*info);
  s.imei = j.value("imei", s.imei);
  s.type_designation = j.value("type_designation", s.type_designation);
  s.hardware_version = j.value("hardware_version", s.hardware_version);
  s.firmware_version = j.value("firmware_version", s.firmware_version);
  s.signal = j.value("signal", s.signal);
  s.battery = j.value("battery", s.battery);
  if (j.contains("network")) {
    const nlohmann::json& n = j.at("network");
    s.mcc = n.value("mcc", s.mcc);
    s.mnc = n.value("mnc", s.mnc);
    s.area = n.value("area", s.area);
    s.cell = n.value("cell", s.cell);
  }
  if (j.contains("phonebook")) {
    const nlohmann::json& pb = j.at("phonebook");
    if (pb.contains("phone")) read_memory(pb.at("phone"), s.phone);
    if (pb.contains("sim")) read_memory(pb.at("sim"), s.sim);
  }
  s.extra = j;
  for (const char* key : {"model", "imei", "type_designation", "hardware_version", "firmware_version",
                          "signal", "battery", "network", "phonebook"}) {
    s.extra.erase(key);
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
