// Phone book (0x03): memory status.
#include <algorithm>

#include "sim/families.h"
#include "sim/handset.h"

namespace phondeck::sim {

namespace {

constexpr std::uint8_t kPhoneMemory = 0x02;
constexpr std::uint8_t kSimMemory = 0x03;

// The memory a request names, or nullptr when the handset has no such memory.
const Memory* memory_for(const HandsetState& state, std::uint8_t type) {
  if (type == kPhoneMemory) return state.phone.capacity > 0 ? &state.phone : nullptr;
  if (type == kSimMemory) return &state.sim;
  return nullptr;
}

bool memory_status(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x07) return false;
  const std::uint8_t type = request.at(4);
  const Memory* memory = memory_for(handset.state(), type);
  if (memory == nullptr) {
    handset.reply(0x03, Bytes{0x00, 0x01, 0x00, 0x09, type});  // no such memory
    return true;
  }
  handset.reply(0x03, Bytes{0x00, 0x01, 0x00, 0x08, type,
                            static_cast<std::uint8_t>(std::min(memory->free(), 255)),
                            static_cast<std::uint8_t>(std::min(memory->used(), 255))});
  return true;
}

}  // namespace

void add_phonebook_family(DispatchTable& table) { table.add(0x03, memory_status); }

}  // namespace phondeck::sim
