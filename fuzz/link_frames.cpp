// Arbitrary received bytes into the frame receiver, with the engine running
// a family that reads every data byte, acknowledges and sends again, in
// several link states and media, cut into arbitrary pieces, with timer
// expiries between pieces. Nothing may crash or read out of bounds, and the
// assembly fill count never passes the buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/prompt.h"
#include "link/clock.h"
#include "link/frame_layer.h"
#include "link/operation_engine.h"
#include "link/port.h"

namespace {

using namespace phondeck;

class CountingPort final : public LinkPort {
 public:
  int open() override { return 0; }
  void close() override {}
  bool is_open() const override { return true; }
  void set_bit_rate(int) override {}
  void set_dtr(bool) override {}
  void set_rts(bool) override {}
  void write(const std::uint8_t* bytes, std::size_t count) override {
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
  }
  std::size_t take_received(std::uint8_t*, std::size_t) override { return 0; }
  unsigned sum = 0;
};

class StillClock final : public Clock {
 public:
  std::int64_t now_ms() const override { return 0; }
  void sleep_ms(std::int64_t) override {}
};

class FlagTimer final : public Timer {
 public:
  void start(int) override { on = true; }
  void stop() override { on = false; }
  bool running() const override { return on; }
  bool on = false;
};

class SilentPrompt final : public Prompt {
 public:
  void message(const std::string&) override {}
  bool ask_yes_no(const std::string&) override { return true; }
};

// Reads everything a reply offers, acknowledges it and asks again; every
// fourth reply ends the operation.
class GreedyFamily final : public FamilyHandler {
 public:
  void send_phase(OperationEngine& engine) override {
    const std::uint8_t payload[] = {0x00, 0x01, 0x00, static_cast<std::uint8_t>(engine.step())};
    engine.frames().send_request(0x40, payload, engine.step() % 2);
  }
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override {
    unsigned sum = 0;
    for (std::size_t k = 0; k < frame.data_length() + 4; ++k) sum += static_cast<unsigned>(frame.data(k) + 1);
    sum += static_cast<unsigned>(frame.sequence() + frame.sub_type());
    engine.frames().acknowledge(frame.type());
    engine.set_step(engine.step() + 1);
    if ((sum + ++replies) % 4 == 0) engine.set_end();
  }
  unsigned replies = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  CountingPort port;
  StillClock clock;
  FlagTimer timer;
  SilentPrompt prompt;
  NullLinkObserver observer;
  GreedyFamily family;
  auto frames = std::make_unique<FrameLayer>(port, timer, clock);
  auto engine = std::make_unique<OperationEngine>(*frames, prompt, observer);
  for (int state = 7; state <= 11; ++state) engine->register_family(static_cast<LinkState>(state), &family);

  const std::uint8_t setup = data[0];
  frames->set_media((setup & 0x20) ? 0 : 1);
  frames->flags().connected = (setup & 0x10) ? 0 : 1;
  frames->flags().link_state = static_cast<LinkState>(1 + setup % 11);
  const std::uint8_t cut = data[1];

  std::size_t at = 2;
  while (at < size) {
    std::size_t piece = 1 + (data[at - 1] ^ cut) % 64;
    if (piece > size - at) piece = size - at;
    frames->receive(data + at, piece);
    if (frames->fill_count() > FrameLayer::kFrameSize) std::abort();
    at += piece;
    if ((data[at - 1] & 0x0F) == 0x0F && timer.running()) engine->timer_tick();
    if (engine->depth() < 0 || engine->depth() > OperationEngine::kStackLevels) std::abort();
  }
  return static_cast<int>(port.sum & 0);
}
