// Arbitrary bytes as a frame of each kind into the link log: its line names
// what it can, reads nothing past the bytes' end, and ends with every byte
// in hex, no more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "link/clock.h"
#include "link/link_log.h"

namespace {

class StillClock final : public phondeck::Clock {
 public:
  std::int64_t now_ms() const override { return 7; }
  void sleep_ms(std::int64_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  StillClock clock;
  LinkLog log(clock);
  const std::span<const std::uint8_t> bytes(data, size);
  for (const TapKind kind : {TapKind::Sent, TapKind::Resent, TapKind::AckSent, TapKind::Received, TapKind::Repeat,
                             TapKind::Broken, TapKind::Echo, TapKind::Unheard}) {
    log.frame(kind, bytes, 1);
  }
  for (const std::string& line : log.lines()) {
    if (line.rfind("        0 ms  ", 0) != 0) std::abort();
    const std::size_t bar = line.rfind("  |");
    if (bar == std::string::npos) {
      // Only wake-up bytes go without their hex.
      if (line.find("wake-up, " + std::to_string(size) + " bytes of 0x55") == std::string::npos) std::abort();
      continue;
    }
    if (line.size() - bar - 3 != 3 * size) std::abort();
  }
  if (describe_frame(bytes).empty()) std::abort();
  return 0;
}
