// Phone book (0x03): reading and writing single entries.
#include <algorithm>

#include "sim/family_phonebook.h"
#include "sim/handset.h"
#include "sim/message_types.h"

namespace phondeck::sim {

namespace {

constexpr std::uint8_t kPhoneMemory = 0x02;
constexpr std::uint8_t kSimMemory = 0x03;
constexpr std::uint8_t kReadEntry = 0x01;
constexpr std::uint8_t kEntry = 0x02;
constexpr std::uint8_t kReadError = 0x03;
constexpr std::uint8_t kWriteEntry = 0x04;
constexpr std::uint8_t kWritten = 0x05;
constexpr std::uint8_t kWriteError = 0x06;

Memory* memory_for(HandsetState& state, std::uint8_t type) {
  if (type == kPhoneMemory) return state.phone.capacity > 0 ? &state.phone : nullptr;
  if (type == kSimMemory) return &state.sim;
  return nullptr;
}

bool read_entry(Handset& handset, const Request& request) {
  if (request.sub_type() != kReadEntry) return false;
  const std::uint8_t type = request.at(4);
  const int location = request.at(5);
  const Memory* memory = memory_for(handset.state(), type);
  if (memory == nullptr || location < 1 || location > memory->capacity) {
    handset.reply(kTypePhoneBook, Bytes{0x00, 0x01, 0x00, kReadError, type});
    return true;
  }
  Bytes p{0x00, 0x01, 0x00, kEntry, type};
  const PhoneBookSlot* slot = memory->at(location);
  if (slot == nullptr) {
    // An empty location: no name, no number.
    p.insert(p.end(), {0x00, 0x00, 0x05});
  } else {
    const std::size_t name_length = std::min<std::size_t>(slot->name.size(), 255);
    const std::size_t number_length = std::min<std::size_t>(slot->number.size(), 255);
    p.push_back(static_cast<std::uint8_t>(name_length));
    p.insert(p.end(), slot->name.begin(), slot->name.begin() + static_cast<long>(name_length));
    p.push_back(static_cast<std::uint8_t>(number_length));
    p.insert(p.end(), slot->number.begin(), slot->number.begin() + static_cast<long>(number_length));
    p.push_back(static_cast<std::uint8_t>(std::clamp(slot->group, 0, 255)));
  }
  handset.reply(kTypePhoneBook, std::move(p));
  return true;
}

bool write_entry(Handset& handset, const Request& request) {
  if (request.sub_type() != kWriteEntry) return false;
  const std::uint8_t type = request.at(4);
  const int location = request.at(5);
  Memory* memory = memory_for(handset.state(), type);
  const Bytes& d = request.payload;
  // 0x00 0x01 0x00 0x04, memory, location, L, name, M, number, group.
  bool well_formed = d.size() > 6;
  std::size_t at = 7;
  std::size_t name_length = 0;
  std::size_t number_length = 0;
  if (well_formed) {
    name_length = d[6];
    well_formed = at + name_length < d.size();
  }
  if (well_formed) {
    number_length = d[at + name_length];
    well_formed = at + name_length + 1 + number_length < d.size();
  }
  if (memory == nullptr || !well_formed || location < 1 || location > memory->capacity) {
    handset.reply(kTypePhoneBook, Bytes{0x00, 0x01, 0x00, kWriteError, type});
    return true;
  }
  PhoneBookSlot slot;
  slot.location = location;
  slot.name = stored_name(Bytes(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at + name_length)));
  at += name_length + 1;
  slot.number.assign(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at + number_length));
  slot.group = d[at + number_length];
  memory->put(std::move(slot));
  handset.reply(kTypePhoneBook, Bytes{0x00, 0x01, 0x00, kWritten, type});
  return true;
}

}  // namespace

Bytes stored_name(Bytes name) {
  if (name.size() >= 2 && name[0] == 0x04 && name[1] == 0xFF) {
    // Trailing UCS-2 zero characters are padding, not part of the name.
    std::size_t end = name.size();
    while (end >= 4 && end % 2 == 0 && name[end - 1] == 0 && name[end - 2] == 0) end -= 2;
    name.erase(name.begin() + static_cast<long>(end), name.end());
    return name;
  }
  while (!name.empty() && name.back() == 0) name.pop_back();
  return name;
}

void add_phonebook_entry_handlers(DispatchTable& table) {
  table.add(kTypePhoneBook, read_entry);
  table.add(kTypePhoneBook, write_entry);
}

}  // namespace phondeck::sim
