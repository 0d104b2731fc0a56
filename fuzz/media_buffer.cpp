// The 18-picture buffer file on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "media/picture_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto slots = phondeck::decodeBufferFile(std::span(data, size));
  if (slots.size() != 18) std::abort();
  const auto bytes = phondeck::encodeBufferFile(slots);
  if (bytes.size() != phondeck::kBufferFileBytes) std::abort();
  // The bytes the input holds come back unchanged; the rest are zero.
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] != (i < size ? data[i] : 0)) std::abort();
  return 0;
}
