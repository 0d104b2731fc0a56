#pragma once
// Every message family the virtual handset answers.
#include "sim/dispatch.h"
#include "sim/entry_families.h"

namespace phondeck::sim {

// Identification (0x64) and the status requests (0x04).
void add_status_family(DispatchTable& table);
// Phone book (0x03): memory status.
void add_phonebook_family(DispatchTable& table);

// All families (the entry and net monitor families are declared in
// entry_families.h); the handset installs this table.
inline void add_all_families(DispatchTable& table) {
  add_status_family(table);
  add_phonebook_family(table);
  add_phonebook_entry_family(table);
  add_net_monitor_family(table);
}

}  // namespace phondeck::sim
