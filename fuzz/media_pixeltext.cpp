// NGG and NOL pixel text files on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "media/picture_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (auto kind : {phondeck::PixelTextKind::Ngg, phondeck::PixelTextKind::Nol}) {
    const auto load = phondeck::decodePixelText(std::span(data, size), kind);
    if (!load.ok()) continue;
    if (load.picture.width() != 72 || load.picture.height() != 14) std::abort();
    // Written again, the picture reads back the same.
    const auto bytes = kind == phondeck::PixelTextKind::Ngg
                           ? phondeck::encodeNgg(load.picture)
                           : phondeck::encodeNol(load.picture, load.mcc, load.mnc);
    const auto again = phondeck::decodePixelText(bytes, kind);
    if (!again.ok() || !(again.picture == load.picture)) std::abort();
  }
  return 0;
}
