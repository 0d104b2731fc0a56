// Reads a full message memory (the demo handset's 50 locations, every one
// used, a third of the messages longer than one frame) from the virtual
// handset over a pseudo-terminal paced at 115200 bit/s, and compares the time
// with the wire time of the same bytes.
// The last line is "ratio N.NN".
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/link_observer.h"
#include "link/serial_port.h"
#include "sim/handset_state.h"
#include "sim/pty_handset.h"
#include "sim/realtime_loop.h"
#include "organiser/message_family.h"
#include "ui/handset_session.h"

namespace {

using namespace phondeck;

constexpr double kBytesPerSecond = 11520.0;  // 115200 bit/s, ten bits a byte

class QuietPrompt final : public Prompt {
 public:
  void message(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  bool ask_yes_no(const std::string&) override { return true; }
};

// Counts the bytes crossing the line in each direction.
class CountingPort final : public LinkPort {
 public:
  explicit CountingPort(std::unique_ptr<LinkPort> inner) : inner_(std::move(inner)) {}
  int open() override { return inner_->open(); }
  void close() override { inner_->close(); }
  bool is_open() const override { return inner_->is_open(); }
  void set_bit_rate(int rate) override { inner_->set_bit_rate(rate); }
  void set_dtr(bool on) override { inner_->set_dtr(on); }
  void set_rts(bool on) override { inner_->set_rts(on); }
  void write(const std::uint8_t* bytes, std::size_t count) override {
    sent += count;
    inner_->write(bytes, count);
  }
  std::size_t take_received(std::uint8_t* destination, std::size_t count) override {
    const std::size_t n = inner_->take_received(destination, count);
    received += n;
    return n;
  }
  std::size_t sent = 0;
  std::size_t received = 0;

 private:
  std::unique_ptr<LinkPort> inner_;
};

sim::HandsetState full_message_memory() {
  sim::HandsetState s = sim::HandsetState::demo(*sim::find_model("6110"));
  sim::SmsMemory& m = s.sms;
  m.messages.clear();
  const std::string long_text(160, 'x');
  for (int i = 1; i <= m.capacity; ++i) {
    const int status = i % 4 == 0 ? 5 : i % 2 == 0 ? 3 : 1;
    sim::SmsSlot slot = sim::sms_slot(i, status, "+35840" + std::to_string(1000000 + i),
                                      i % 3 == 0 ? long_text : "Message number " + std::to_string(i));
    slot.smsc = m.smsc;
    if (status != 5) slot.stamp = {0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x00};
    m.put(std::move(slot));
  }
  return s;
}

}  // namespace

int main() {
  texts().load_english();
  set_active_code_page(CodePage::Windows1252);
  complete_group_names(config());
  config().MultiByte = 1;

  SystemClock clock;
  sim::PtyHandset handset(clock, full_message_memory(), {}, {}, /*pacing=*/true);
  std::string error;
  if (!handset.start(error)) {
    std::fprintf(stderr, "cannot start the virtual handset: %s\n", error.c_str());
    return 1;
  }
  config().Device = handset.path();

  QuietPrompt prompt;
  NullLinkObserver observer;
  sim::RealtimeLoop loop(clock);
  sim::LoopTimer timer(loop);
  auto counting = std::make_unique<CountingPort>(std::make_unique<SerialPort>(prompt, loop));
  CountingPort& port = *counting;
  HandsetSession session(std::move(counting), timer, clock, prompt, observer);
  timer.set_callback([&] { session.Timer1Timer(); });
  loop.set_message_handler([&](int message, std::uint32_t parameter) { session.handle_message(message, parameter); });
  session.set_up();

  const auto settled = [&] { return session.settled(); };
  session.commands().connect();
  loop.run_until(settled, 10000);
  if (session.state() != LinkState::Idle) {
    std::fprintf(stderr, "connect failed\n");
    return 1;
  }

  port.sent = 0;
  port.received = 0;
  const auto start = std::chrono::steady_clock::now();
  MessageFamily& family = session.organiser().message_family();
  start_message_read(session.engine(), family);
  loop.run_until(settled, 120000);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The last acknowledgement may still be leaving; it is counted all the same.
  const std::size_t entries = family.records().store.size();
  const std::size_t expected = static_cast<std::size_t>(handset.with_handset([](sim::Handset& h) { return h.state().sms.capacity; }));
  session.engine().reset();
  handset.stop();
  if (entries != expected) {
    std::fprintf(stderr, "read %zu messages instead of %zu\n", entries, expected);
    return 1;
  }

  const double bound = static_cast<double>(port.sent + port.received) / kBytesPerSecond;
  std::printf("messages %zu\n", entries);
  std::printf("bytes PC->handset %zu, handset->PC %zu\n", port.sent, port.received);
  std::printf("time %.3f s\n", seconds);
  std::printf("wire-time lower bound %.3f s\n", bound);
  std::printf("ratio %.2f\n", seconds / bound);
  return 0;
}
