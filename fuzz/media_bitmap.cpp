// Windows bitmap reader on arbitrary bytes: never reads past them, and what it
// reads survives a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "media/windows_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto picture = phondeck::decodeWindowsBitmap(std::span(data, size));
  if (!picture) return 0;
  if (picture->empty() || picture->width() > phondeck::MonoBitmap::kMaxSide ||
      picture->height() > phondeck::MonoBitmap::kMaxSide)
    std::abort();
  if (static_cast<std::size_t>(picture->width()) * static_cast<std::size_t>(picture->height()) <= 1u << 16) {
    const auto again = phondeck::decodeWindowsBitmap(phondeck::encodeWindowsBitmap(*picture));
    if (!again || !(*again == *picture)) std::abort();
  }
  return 0;
}
