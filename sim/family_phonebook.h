#pragma once
// Phone book (0x03): the memory status, and reading and writing single
// entries, of the phone memory and the SIM.
#include <string>
#include <vector>

#include "sim/families.h"
#include "sim/handset_codec.h"

namespace phondeck::sim {

struct PhoneBookSlot {
  int location = 0;      // 1-based
  Bytes name;            // as stored by the handset (possibly 0x04 0xFF + UCS-2)
  std::string number;
  int group = 0;         // caller group 0..5
};

struct Memory {
  int capacity = 0;
  std::vector<PhoneBookSlot> entries;  // kept in location order

  const PhoneBookSlot* at(int location) const;
  // Stores or replaces the entry at its location.
  void put(PhoneBookSlot slot);
  int used() const { return static_cast<int>(entries.size()); }
  int free() const { return capacity > used() ? capacity - used() : 0; }
};

HandsetFamily phonebook_family();

// The read and write entry handlers (family_phonebook_entries.cpp).
void add_phonebook_entry_handlers(DispatchTable& table);

// How the handset keeps a written name: without the trailing zero bytes the
// PC appends (zero character pairs after a UCS-2 marker, zero bytes otherwise).
Bytes stored_name(Bytes name);

}  // namespace phondeck::sim
