// Phone book (0x03): memory status, the family's state and its place in the
// state file.
#include "sim/family_phonebook.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "sim/handset.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

bool printable(const Bytes& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b >= 0x20 && b <= 0x7E; });
}

std::string time_text(const CallTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month % 100, t.day % 100,
                t.hour % 100, t.minute % 100, t.second % 100);
  return text;
}

CallTime parse_time(const std::string& text) {
  CallTime t;
  char rest = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second,
                  &rest) != 6 ||
      t.year < 0 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 ||
      t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
    throw std::invalid_argument("bad call time: " + text);
  }
  return t;
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
    if (slot.time) e["time"] = time_text(*slot.time);
    entries.push_back(std::move(e));
  }
  nlohmann::json j{{"capacity", memory.capacity}, {"entries", std::move(entries)}};
  if (memory.storable > 0) j["storable"] = memory.storable;
  return j;
}

void read_memory(const nlohmann::json& j, Memory& memory) {
  memory.capacity = json_field(j, "capacity", memory.capacity);
  if (memory.capacity < 0 || memory.capacity > 255) {
    throw std::invalid_argument("memory capacity out of range");
  }
  memory.storable = json_field(j, "storable", memory.storable);
  if (memory.storable < 0 || memory.storable > 255) throw std::invalid_argument("storable entries out of range");
  if (!j.contains("entries")) {
    // A new capacity over the entries already there must still hold them.
    if (!memory.entries.empty() && memory.entries.back().location > memory.capacity) {
      throw std::invalid_argument("entry location outside the memory");
    }
    return;
  }
  memory.entries.clear();
  for (const nlohmann::json& e : j.at("entries")) {
    PhoneBookSlot slot;
    slot.location = json_as<int>(e.at("location"));
    if (slot.location < 1 || slot.location > memory.capacity) {
      throw std::invalid_argument("entry location outside the memory");
    }
    if (e.contains("name_hex")) {
      slot.name = from_hex(e.at("name_hex").get<std::string>());
    } else {
      const std::string name = json_field(e, "name", std::string());
      slot.name.assign(name.begin(), name.end());
    }
    slot.number = json_field(e, "number", std::string());
    slot.group = json_field(e, "group", 0);
    if (e.contains("time")) slot.time = parse_time(e.at("time").get<std::string>());
    memory.put(std::move(slot));
  }
}

bool memory_status(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x07) return false;
  HandsetState& state = handset.state();
  const std::uint8_t type = request.at(4);
  const Memory* memory = find_memory(state, type);
  if (memory == nullptr || (type == kMemorySim && state.waiting_for_pin)) {
    const std::uint8_t code = memory == nullptr ? kErrorInvalidMemory : kErrorWaitingForPin;
    handset.reply(kTypePhoneBook, Bytes{0x00, 0x01, 0x00, 0x09, code});
    return true;
  }
  handset.reply(kTypePhoneBook, Bytes{0x00, 0x01, 0x00, 0x08, type,
                            static_cast<std::uint8_t>(std::min(memory->free(), 255)),
                            static_cast<std::uint8_t>(std::min(memory->used(), 255))});
  return true;
}

}  // namespace

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

Memory* find_memory(HandsetState& state, std::uint8_t type) {
  switch (type) {
    case kMemoryPhone: return state.phone.capacity > 0 ? &state.phone : nullptr;
    case kMemorySim: return &state.sim;
    case kMemoryDialled: return &state.dialled;
    case kMemoryReceived: return &state.received;
    case kMemoryMissed: return &state.missed;
    default: return nullptr;
  }
}

bool is_call_list(std::uint8_t type) {
  return type == kMemoryDialled || type == kMemoryReceived || type == kMemoryMissed;
}

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

void Memory::erase(int location) {
  std::erase_if(entries, [location](const PhoneBookSlot& s) { return s.location == location; });
}

namespace {

void add_handlers(DispatchTable& table) {
  table.add(kTypePhoneBook, memory_status);
  add_phonebook_entry_handlers(table);
  add_caller_group_handlers(table);
}

void save(const HandsetState& state, nlohmann::json& j) {
  nlohmann::json& pb = j["phonebook"];
  pb = {{"phone", memory_json(state.phone)},       {"sim", memory_json(state.sim)},
        {"dialled", memory_json(state.dialled)},   {"received", memory_json(state.received)},
        {"missed", memory_json(state.missed)},     {"waiting_for_pin", state.waiting_for_pin}};
  save_caller_groups(state, pb);
}

void load(const nlohmann::json& j, HandsetState& state) {
  if (!j.contains("phonebook")) return;
  const nlohmann::json& pb = j.at("phonebook");
  if (pb.contains("phone")) read_memory(pb.at("phone"), state.phone);
  if (pb.contains("sim")) read_memory(pb.at("sim"), state.sim);
  if (pb.contains("dialled")) read_memory(pb.at("dialled"), state.dialled);
  if (pb.contains("received")) read_memory(pb.at("received"), state.received);
  if (pb.contains("missed")) read_memory(pb.at("missed"), state.missed);
  state.waiting_for_pin = json_field(pb, "waiting_for_pin", state.waiting_for_pin);
  load_caller_groups(pb, state);
}

}  // namespace

HandsetFamily phonebook_family() { return {"phone book", add_handlers, save, load}; }

}  // namespace phondeck::sim
