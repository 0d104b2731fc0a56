// Arbitrary bytes from the PC into the virtual handset's receiver. The first
// input byte picks the options and how the rest is cut into deliveries.
// Whatever it hears, every frame the handset sends must be well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/clock.h"
#include "sim/handset.h"

namespace {

using namespace phondeck;
using namespace phondeck::sim;

class StepClock final : public Clock {
 public:
  std::int64_t now_ms() const override { return now; }
  void sleep_ms(std::int64_t ms) override { now += ms; }
  std::int64_t now = 0;
};

// Checks each frame the handset writes: header, length, padding, checksums.
class CheckingLine final : public HandsetLine {
 public:
  explicit CheckingLine(std::uint8_t id) : id_(id) {}
  void transmit(const std::uint8_t* bytes, std::size_t count) override {
    if (count < 8 || count % 2 != 0 || bytes[0] != id_ || bytes[1] != 0x0C || bytes[2] != 0x00) std::abort();
    const std::size_t length = (std::size_t{bytes[4]} << 8) | bytes[5];
    if (8 + length + length % 2 != count) std::abort();
    if (!frame_checksums_ok({bytes, count})) std::abort();
  }
  void hang_up() override {}

 private:
  std::uint8_t id_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  ++data;
  --size;

  HandsetOptions options;
  options.need_wake = (control & 0x01) != 0;
  options.frame_id = (control & 0x02) != 0 ? kInfraredFrameId : kCableFrameId;
  options.frame_payload = (control & 0x04) != 0 ? 7 : 120;
  StepClock clock;
  CheckingLine line(options.frame_id);
  Handset handset(clock, HandsetState::demo(*find_model((control & 0x08) != 0 ? "5110" : "6150")), options);
  handset.attach(&line);

  // Deliveries of 1..16 bytes (or all at once), with time passing between.
  const std::size_t piece = (control >> 4) == 0 ? size : (control >> 4);
  for (std::size_t at = 0; at < size; at += piece) {
    const std::size_t n = size - at < piece ? size - at : piece;
    handset.receive(data + at, n);
    clock.now += 37;
    handset.poll();
  }
  for (int i = 0; i < 8; ++i) {
    clock.now += 600;
    handset.poll();
  }
  return 0;
}
