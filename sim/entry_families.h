#pragma once
// The phone-book entry messages (0x03: read and write an entry) and the net
// monitor switch (0x40).
#include "sim/dispatch.h"

namespace phondeck::sim {

void add_phonebook_entry_family(DispatchTable& table);
void add_net_monitor_family(DispatchTable& table);

// How the handset keeps a written name: without the trailing zero bytes the
// PC appends (zero character pairs after a UCS-2 marker, zero bytes otherwise).
Bytes stored_name(Bytes name);

}  // namespace phondeck::sim
