// The handset's reading of a ringing-tone upload on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sim/family_ring_tone.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const phondeck::sim::Bytes message(data, data + size);
  const auto tone = phondeck::sim::decode_tone_message(message);
  if (tone && tone->notes.size() > size * 8 / 12) std::abort();
  return 0;
}
