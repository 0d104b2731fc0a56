// Phone book (0x03): reading and writing single entries, and the errors a
// handset answers with instead.
#include <algorithm>

#include "sim/family_phonebook.h"
#include "sim/handset.h"
#include "sim/handset_state.h"
#include "sim/message_types.h"

namespace phondeck::sim {

namespace {

constexpr std::uint8_t kReadEntry = 0x01;
constexpr std::uint8_t kEntry = 0x02;
constexpr std::uint8_t kReadError = 0x03;
constexpr std::uint8_t kWriteEntry = 0x04;
constexpr std::uint8_t kWritten = 0x05;
constexpr std::uint8_t kWriteError = 0x06;
constexpr std::size_t kSimNameBytes = 12;

void refuse(Handset& handset, std::uint8_t sub_type, std::uint8_t code) {
  handset.reply(kTypePhoneBook, Bytes{0x00, 0x01, 0x00, sub_type, code});
}

// Why a memory cannot be used now, or 0.
std::uint8_t unusable(const HandsetState& state, const Memory* memory, std::uint8_t type) {
  if (memory == nullptr) return kErrorInvalidMemory;
  if (type == kMemorySim && state.waiting_for_pin) return kErrorWaitingForPin;
  return 0;
}

// 00 01 00 02 00, the name and number with their lengths, the group, then the
// date flag: 01 and year (two bytes), month, day, hour, minute, second on a
// call list, 00 otherwise.
bool read_entry(Handset& handset, const Request& request) {
  if (request.sub_type() != kReadEntry) return false;
  HandsetState& state = handset.state();
  const std::uint8_t type = request.at(4);
  const int location = request.at(5);
  const Memory* memory = find_memory(state, type);
  if (const std::uint8_t code = unusable(state, memory, type)) {
    refuse(handset, kReadError, code);
    return true;
  }
  const PhoneBookSlot* slot = location >= 1 && location <= memory->capacity ? memory->at(location) : nullptr;
  // An empty location of the phone book reads as an empty entry; the call
  // lists have nothing to show for it.
  if (location < 1 || location > memory->capacity || (slot == nullptr && is_call_list(type))) {
    refuse(handset, kReadError, kErrorEmptyLocation);
    return true;
  }
  Bytes p{0x00, 0x01, 0x00, kEntry, 0x00};
  if (slot == nullptr) {
    p.insert(p.end(), {0x00, 0x00, 0x05, 0x00});
    handset.reply(kTypePhoneBook, std::move(p));
    return true;
  }
  const std::size_t name_length = std::min<std::size_t>(slot->name.size(), 255);
  const std::size_t number_length = std::min<std::size_t>(slot->number.size(), 255);
  p.push_back(static_cast<std::uint8_t>(name_length));
  p.insert(p.end(), slot->name.begin(), slot->name.begin() + static_cast<long>(name_length));
  p.push_back(static_cast<std::uint8_t>(number_length));
  p.insert(p.end(), slot->number.begin(), slot->number.begin() + static_cast<long>(number_length));
  p.push_back(static_cast<std::uint8_t>(std::clamp(slot->group, 0, 255)));
  if (is_call_list(type) && slot->time) {
    const CallTime& t = *slot->time;
    p.insert(p.end(), {0x01, static_cast<std::uint8_t>(t.year >> 8), static_cast<std::uint8_t>(t.year),
                       static_cast<std::uint8_t>(t.month), static_cast<std::uint8_t>(t.day),
                       static_cast<std::uint8_t>(t.hour), static_cast<std::uint8_t>(t.minute),
                       static_cast<std::uint8_t>(t.second)});
  } else {
    p.push_back(0x00);
  }
  handset.reply(kTypePhoneBook, std::move(p));
  return true;
}

bool write_entry(Handset& handset, const Request& request) {
  if (request.sub_type() != kWriteEntry) return false;
  HandsetState& state = handset.state();
  const std::uint8_t type = request.at(4);
  const int location = request.at(5);
  // The call lists are the handset's own.
  Memory* memory = is_call_list(type) ? nullptr : find_memory(state, type);
  if (const std::uint8_t code = unusable(state, memory, type)) {
    refuse(handset, kWriteError, code);
    return true;
  }
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
  if (!well_formed) {
    refuse(handset, kWriteError, kErrorInvalidMemory);
    return true;
  }
  if (location < 1 || location > memory->capacity) {
    refuse(handset, kWriteError, kErrorEmptyLocation);
    return true;
  }
  const ModelInfo* model = state.model_info();
  const std::size_t name_limit =
      type == kMemorySim ? kSimNameBytes : static_cast<std::size_t>(model != nullptr ? model->name_limit : 16);
  if (name_length > name_limit) {
    refuse(handset, kWriteError, kErrorNameTooLong);
    return true;
  }
  if (number_length > (type == kMemorySim ? kSimNumberDigits : kPhoneNumberDigits)) {
    refuse(handset, kWriteError, kErrorNumberTooLong);
    return true;
  }
  PhoneBookSlot slot;
  slot.location = location;
  slot.name = stored_name(Bytes(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at + name_length)));
  at += name_length + 1;
  slot.number.assign(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at + number_length));
  slot.group = d[at + number_length];
  if (slot.name.empty() && slot.number.empty()) {
    // Nothing to keep: the location is emptied.
    memory->erase(location);
  } else if (memory->at(location) == nullptr && memory->full()) {
    refuse(handset, kWriteError, kErrorMemoryFull);
    return true;
  } else {
    memory->put(std::move(slot));
  }
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
