// The startup graphic reply joined from arbitrary frames: each frame is a
// length byte and that many data bytes (trailer included).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "link/reply_frames.h"
#include "media/mono_bitmap.h"
#include "media/startup_graphic_family.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  MultiFrameReply reply;
  std::size_t at = 0;
  while (at < size) {
    const std::size_t n = std::min<std::size_t>(data[at] % 128 + (data[at] & 0x80 ? 0 : 60), size - at - 1);
    std::vector<std::uint8_t> bytes{kFrameIdCable, kAddressPc, kAddressHandset, 0x05, 0x00,
                                    static_cast<std::uint8_t>(n)};
    bytes.insert(bytes.end(), data + at + 1, data + at + 1 + n);
    const LinkFrame frame(bytes.data(), bytes.size());
    const auto take = reply.take(frame, startup_reply_first(frame), kStartupReplyHeader);
    if (take == MultiFrameReply::Take::Complete) {
      if (startup_picture(reply.take_bytes()).width() != kStartupWidth) std::abort();
    }
    at += n + 1;
  }
  return 0;
}
