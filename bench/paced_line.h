#pragma once
// The rig every benchmark shares: a virtual handset behind a pseudo-terminal
// paced at 115200 bit/s, a session on the real serial port with a byte count
// in each direction, and the report against the wire time of those bytes.
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/link_observer.h"
#include "link/operation_result.h"
#include "link/serial_port.h"
#include "sim/handset_state.h"
#include "sim/pty_handset.h"
#include "sim/realtime_loop.h"
#include "session/handset_session.h"

namespace phondeck::bench {

inline constexpr double kBytesPerSecond = 11520.0;  // 115200 bit/s, ten bits a byte

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

// The demo handset's message memory with every location used, a third of
// the messages longer than one frame.
inline sim::HandsetState full_message_memory() {
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

// A full phone book: 200 phone-memory and 250 SIM entries over `s`'s.
inline sim::HandsetState full_phone_book(sim::HandsetState s) {
  s.phone = sim::Memory{};
  s.sim = sim::Memory{};
  s.phone.capacity = 200;
  s.sim.capacity = 250;
  for (int i = 1; i <= 200; ++i) {
    const std::string name = "Phone entry " + std::to_string(i);
    s.phone.put({i, sim::Bytes(name.begin(), name.end()), "+35840" + std::to_string(1000000 + i), i % 6});
  }
  for (int i = 1; i <= 250; ++i) {
    const std::string name = "SIM " + std::to_string(i);
    s.sim.put({i, sim::Bytes(name.begin(), name.end()), "09" + std::to_string(5000000 + i), 0});
  }
  return s;
}

class PacedLine {
 public:
  // Starts the handset with the given contents and connects; false (with a
  // line on standard error) when either fails.
  bool start(sim::HandsetState contents) { return start_handset(std::move(contents)) && connect() >= 0; }

  // Starts the handset and the session without connecting.
  bool start_handset(sim::HandsetState contents) {
    texts().load_english();
    set_active_code_page(CodePage::Windows1252);
    complete_group_names(config());
    config().MultiByte = 1;
    handset_ = std::make_unique<sim::PtyHandset>(clock_, std::move(contents), sim::HandsetOptions{},
                                                 sim::FaultOptions{}, /*pacing=*/true);
    std::string error;
    if (!handset_->start(error)) {
      std::fprintf(stderr, "cannot start the virtual handset: %s\n", error.c_str());
      return false;
    }
    config().Device = handset_->path();
    auto counting = std::make_unique<CountingPort>(std::make_unique<SerialPort>(prompt_, loop_));
    port_ = counting.get();
    session_ = std::make_unique<HandsetSession>(std::move(counting), timer_, clock_, prompt_, observer_);
    timer_.set_callback([this] { session_->Timer1Timer(); });
    loop_.set_message_handler([this](int message, std::uint32_t parameter) { session_->handle_message(message, parameter); });
    session_->set_up();
    return true;
  }

  // Link > Connect from Disconnected; the seconds it took (the byte counts
  // are its own), or -1 with a line on standard error when it failed.
  double connect() {
    const double seconds = measure([this](HandsetSession& session) {
      session.commands().connect();
      loop_.run_until([this] { return session_->settled(); }, 60000);
    });
    if (session_->state() != LinkState::Idle) {
      std::fprintf(stderr, "connect failed\n");
      return -1;
    }
    return seconds;
  }
  // The wire time of the bytes counted since the last measure().
  double wire_seconds() const { return static_cast<double>(port_->sent + port_->received) / kBytesPerSecond; }
  // Where the handset listens.
  std::string path() const { return handset_->path(); }

  // Runs what `begin` starts until the link settles; the seconds it took.
  // The last acknowledgement may still be leaving; it is counted all the same.
  template <typename Begin>
  double time(Begin begin) {
    return measure([&](HandsetSession& session) {
      begin(session);
      loop_.run_until([this] { return session_->settled(); }, 120000);
    });
  }

  // Runs one operation as a whole-handset backup asks: start with a
  // completion, then the loop until it is told; its result (link lost when
  // none was told).
  OperationResult run(const std::function<bool(StartOptions)>& start) {
    const auto told = std::make_shared<std::optional<OperationResult>>();
    StartOptions options;
    options.done = [told](const OperationResult& result) { *told = result; };
    if (start(std::move(options)) && !*told) loop_.run_until([&told] { return told->has_value(); }, 600000);
    if (*told) return **told;
    OperationResult lost;
    lost.ending = Ending::LinkLost;
    return lost;
  }
  // The seconds `work` takes, with the byte counts started afresh.
  template <typename Work>
  double measure(Work work) {
    port_->sent = 0;
    port_->received = 0;
    const auto start = std::chrono::steady_clock::now();
    work(*session_);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

  void stop() {
    session_->engine().reset();
    handset_->stop();
  }

  // The report whose last line is "ratio N.NN".
  void report(const char* what, std::size_t count, double seconds) const {
    const double bound = static_cast<double>(port_->sent + port_->received) / kBytesPerSecond;
    std::printf("%s %zu\n", what, count);
    std::printf("bytes PC->handset %zu, handset->PC %zu\n", port_->sent, port_->received);
    std::printf("time %.3f s\n", seconds);
    std::printf("wire-time lower bound %.3f s\n", bound);
    std::printf("ratio %.2f\n", seconds / bound);
  }

  HandsetSession& session() { return *session_; }
  Prompt& prompt() { return prompt_; }
  sim::PtyHandset& handset() { return *handset_; }

 private:
  SystemClock clock_;
  QuietPrompt prompt_;
  NullLinkObserver observer_;
  sim::RealtimeLoop loop_{clock_};
  sim::LoopTimer timer_{loop_};
  std::unique_ptr<sim::PtyHandset> handset_;
  CountingPort* port_ = nullptr;
  std::unique_ptr<HandsetSession> session_;
};

}  // namespace phondeck::bench
