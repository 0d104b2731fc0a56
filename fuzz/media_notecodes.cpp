// Note-code strings on arbitrary text: accepted strings come back unchanged,
// and every accepted tone encodes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media/ring_tone.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto notes = phondeck::fromNoteCodes(text, &error);
  if (!notes) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (phondeck::toNoteCodes(*notes) != text) std::abort();
  phondeck::RingTone tone;
  tone.notes = *notes;
  const auto message = phondeck::toSmartMessage(tone);
  if (notes->size() <= 126 && message.empty()) std::abort();
  return 0;
}
