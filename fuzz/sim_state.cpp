// Arbitrary text as the virtual handset's state file. A file it accepts must
// save to JSON that loads back to the same state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>

#include "sim/handset_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using phondeck::sim::HandsetState;
  const nlohmann::json j = nlohmann::json::parse(data, data + size, nullptr, false);
  if (j.is_discarded()) return 0;
  nlohmann::json saved;
  try {
    saved = HandsetState::from_json(j).to_json();
  } catch (const std::exception&) {
    return 0;  // refused with a reason
  }
  try {
    if (HandsetState::from_json(saved).to_json() != saved) std::abort();
  } catch (const std::exception&) {
    std::abort();  // what it saved, it must load
  }
  return 0;
}
