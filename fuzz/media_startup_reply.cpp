// The startup graphic reply collection on arbitrary frames: each frame is a
// length byte and that many data bytes (trailer included).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "media/mono_bitmap.h"
#include "media/startup_graphic_family.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  StartupReplyCollector collector;
  std::size_t at = 0;
  while (at < size) {
    const std::size_t n = std::min<std::size_t>(data[at] % 128 + (data[at] & 0x80 ? 0 : 60), size - at - 1);
    const auto take = collector.take(std::span(data + at + 1, n));
    if (collector.count() > kStartupBytes || collector.picture_bytes().size() != kStartupBytes) std::abort();
    if (take == StartupReplyCollector::Take::Complete) {
      if (unpackBands(collector.picture_bytes()).width() != kStartupWidth) std::abort();
    }
    at += n + 1;
  }
  return 0;
}
