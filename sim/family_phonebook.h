#pragma once
// Phone book (0x03): the memory status, reading and writing single entries
// of the phone memory and the SIM, the call lists, and the caller groups.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "sim/families.h"
#include "sim/handset_codec.h"

namespace phondeck::sim {

struct HandsetState;

// Memory types on the wire.
inline constexpr std::uint8_t kMemoryPhone = 0x02;
inline constexpr std::uint8_t kMemorySim = 0x03;
inline constexpr std::uint8_t kMemoryDialled = 0x07;
inline constexpr std::uint8_t kMemoryReceived = 0x08;
inline constexpr std::uint8_t kMemoryMissed = 0x09;

// The codes of the error replies.
inline constexpr std::uint8_t kErrorEmptyLocation = 0x74;  // empty location, or beyond the memory
inline constexpr std::uint8_t kErrorInvalidMemory = 0x7D;  // no such memory, or a malformed write
inline constexpr std::uint8_t kErrorWaitingForPin = 0x8D;
// A write's own refusals (kErrorNameTooLong ...) are in sim/message_types.h.

// The longest number each memory stores (digits and "+*#pw").
inline constexpr std::size_t kPhoneNumberDigits = 48;
inline constexpr std::size_t kSimNumberDigits = 20;

// When a call-list entry was made.
struct CallTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct PhoneBookSlot {
  int location = 0;      // 1-based
  Bytes name;            // as stored by the handset (possibly 0x04 0xFF + UCS-2)
  std::string number;
  int group = 0;         // caller group 0..5
  std::optional<CallTime> time = std::nullopt;  // call lists only
};

struct Memory {
  int capacity = 0;
  // Entries the memory can hold when that is fewer than its locations (a
  // phone memory shared with other data); 0: one in every location.
  int storable = 0;
  std::vector<PhoneBookSlot> entries;  // kept in location order

  const PhoneBookSlot* at(int location) const;
  // Stores or replaces the entry at its location.
  void put(PhoneBookSlot slot);
  // Empties the location.
  void erase(int location);
  bool full() const { return used() >= (storable > 0 ? std::min(storable, capacity) : capacity); }
  int used() const { return static_cast<int>(entries.size()); }
  int free() const { return capacity > used() ? capacity - used() : 0; }
};

struct CallerGroup {
  std::string name;
  std::uint8_t ringtone = 0x10;
  bool logo_on = false;
  Bytes logo = Bytes(126, 0x00);  // 72 x 14, row-packed
  // A write is answered as usual but the group keeps its logo: a handset
  // that did not take it.
  bool logo_fixed = false;
};

HandsetFamily phonebook_family();

// The memory of a wire type, or nullptr when the handset has no such memory.
Memory* find_memory(HandsetState& state, std::uint8_t type);
bool is_call_list(std::uint8_t type);

// The read and write entry handlers (family_phonebook_entries.cpp) and the
// caller groups (family_phonebook_groups.cpp).
void add_phonebook_entry_handlers(DispatchTable& table);
void add_caller_group_handlers(DispatchTable& table);
void save_caller_groups(const HandsetState& state, nlohmann::json& phonebook);
void load_caller_groups(const nlohmann::json& phonebook, HandsetState& state);

// Bytes as hex digits in the state file; from_hex throws
// std::invalid_argument on anything but pairs of hex digits.
std::string to_hex(const Bytes& bytes);
Bytes from_hex(const std::string& hex);

// How the handset keeps a written name: without the trailing zero bytes the
// PC appends (zero character pairs after a UCS-2 marker, zero bytes otherwise).
Bytes stored_name(Bytes name);

}  // namespace phondeck::sim
