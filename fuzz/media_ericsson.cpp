// The Ericsson melody parser on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media/ring_tone.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string problem;
  const auto notes = phondeck::parseEricssonText(text, &problem);
  if (notes.size() > size) std::abort();
  for (const auto& note : notes)
    if (note.pitch < phondeck::kRestPitch || note.pitch > phondeck::kHighestPitch ||
        (note.duration != phondeck::kQuarterNote && note.duration != phondeck::kEighthNote))
      std::abort();
  const auto again = phondeck::fromNoteCodes(phondeck::toNoteCodes(notes));
  if (!again || *again != notes) std::abort();
  return 0;
}
