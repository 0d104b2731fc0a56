#pragma once
// The whole PC side as the main window holds it (the handset session)
// against a virtual handset, on virtual time through the pipe.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/link_observer.h"
#include "sim/handset.h"
#include "sim/pipe_link.h"
#include "sim/virtual_time.h"
#include "support/scripted_prompt.h"
#include "support/session_wiring.h"
#include "support/test_frames.h"
#include "session/handset_session.h"

namespace phondeck::e2e {

using sim::Bytes;

using testing::ScriptedPrompt;

class WindowObserver final : public LinkObserver {
 public:
  void show_status(const std::string& text) override { statuses.push_back(text); }
  void progress(int position, int maximum) override {
    this->position = position;
    this->maximum = maximum;
    if (position > highest) highest = position;
  }
  void normal_cursor() override {}
  void link_state_changed(LinkState) override {}
  void network_details(int mcc_value, int mnc_value) override {
    mcc = mcc_value;
    mnc = mnc_value;
  }
  std::string last_status() const { return statuses.empty() ? std::string() : statuses.back(); }
  bool saw(const std::string& text) const {
    for (const std::string& s : statuses) {
      if (s == text) return true;
    }
    return false;
  }
  std::vector<std::string> statuses;
  int position = 0;
  int maximum = 0;
  int highest = 0;
  int mcc = -1;
  int mnc = -1;
};

// Settings as a fresh tv.dat gives them, with the options the tests turn.
inline void fresh_settings(int multibyte = 1, int type = 1) {
  texts().load_english();
  set_active_code_page(CodePage::Windows1252);
  config() = Configuration{};
  complete_group_names(config());
  config().MultiByte = multibyte;
  config().Type = type;
  config().WriteConfirm = 0;
}

// A demo handset of the model, or the given state.
inline sim::HandsetState demo_state(const char* model) { return sim::HandsetState::demo(*sim::find_model(model)); }

// A 6110 with 27 entries over 40 phone locations and 15 over 30 on the SIM.
inline sim::HandsetState filled_6110() {
  sim::HandsetState s = demo_state("6110");
  s.phone = sim::Memory{};
  s.sim = sim::Memory{};
  s.phone.capacity = 40;
  s.sim.capacity = 30;
  for (int i = 1; i <= 40; i += 1 + i % 3) {
    const std::string name = "Phone " + std::to_string(i);
    s.phone.put(sim::PhoneBookSlot{i, Bytes(name.begin(), name.end()), std::to_string(1000 + i), i % 6});
  }
  for (int i = 2; i <= 30; i += 2) {
    const std::string name = "Sim " + std::to_string(i);
    s.sim.put(sim::PhoneBookSlot{i, Bytes(name.begin(), name.end()), std::to_string(2000 + i), 0});
  }
  return s;
}

// Every write the PC makes, with the bit rate it was made at.
struct LineWrite {
  int rate;
  Bytes bytes;
};

// Passes everything to the pipe and notes the bit rate of every write.
class RateNotingPort final : public LinkPort {
 public:
  explicit RateNotingPort(std::unique_ptr<sim::PipeLink> pipe) : pipe_(std::move(pipe)) {}
  int open() override { return pipe_->open(); }
  void close() override { pipe_->close(); }
  bool is_open() const override { return pipe_->is_open(); }
  void set_bit_rate(int rate) override { pipe_->set_bit_rate(rate); }
  void set_dtr(bool on) override { pipe_->set_dtr(on); }
  void set_rts(bool on) override { pipe_->set_rts(on); }
  void write(const std::uint8_t* bytes, std::size_t count) override {
    writes.push_back(LineWrite{pipe_->bit_rate(), Bytes(bytes, bytes + count)});
    pipe_->write(bytes, count);
  }
  std::size_t take_received(std::uint8_t* destination, std::size_t count) override {
    return pipe_->take_received(destination, count);
  }
  sim::PipeLink& pipe() { return *pipe_; }
  std::vector<LineWrite> writes;

 private:
  std::unique_ptr<sim::PipeLink> pipe_;
};

struct Rig {
  explicit Rig(sim::HandsetState state, sim::HandsetOptions options = {}, sim::FaultOptions faults = {})
      : handset(loop.clock(), std::move(state), options, faults),
        timer(loop),
        session(noting_port(), timer, loop.clock(), prompt, observer) {
    testing::wire_session(loop, timer, session);
    session.set_read_listener([this] { ++refreshes; });
  }
  explicit Rig(const char* model = "6110") : Rig(demo_state(model)) {}

  std::unique_ptr<LinkPort> noting_port() {
    auto port = std::make_unique<RateNotingPort>(std::make_unique<sim::PipeLink>(loop, handset, &loop, &prompt));
    line = port.get();
    return port;
  }
  OperationEngine& engine() { return session.engine(); }
  LinkState state() { return session.state(); }
  bool settled() { return session.settled(); }
  bool run_until_settled(std::int64_t max_ms = 60000) {
    return loop.run_until([this] { return settled(); }, max_ms);
  }
  bool connect() {
    commands->connect();
    return run_until_settled() && state() == LinkState::Idle;
  }
  // Runs a command from Idle until the link is back to Idle or Disconnected.
  template <typename F>
  void run(F command, std::int64_t max_ms = 600000) {
    command();
    run_until_settled(max_ms);
  }
  const PhoneBookList& list() { return book.active(); }

  sim::VirtualLoop loop;
  sim::Handset handset;
  sim::VirtualTimer timer;
  ScriptedPrompt prompt;
  WindowObserver observer;
  RateNotingPort* line = nullptr;
  HandsetSession session;
  PhoneBook& book = session.book();
  PhoneLink* link = &session.link();
  HandsetCommands* commands = &session.commands();
  int refreshes = 0;
};

using Row = std::vector<std::string>;

// What one entry of the list reads as: the seven columns the read fills.
inline Row row(const PhoneBookEntry& e) {
  return {e.Name, e.UNICODE, e.Phone, e.Type, e.Pos, e.Group, e.WriteAs};
}

}  // namespace phondeck::e2e

namespace phondeck::e2e {

// The PC's frames (type and data) in everything it wrote.
using PcFrame = testing::SeenFrame;
inline std::vector<PcFrame> pc_frames(const std::vector<LineWrite>& writes, std::uint8_t id = 0x1E) {
  Bytes all;
  for (const LineWrite& w : writes) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
  return testing::pc_frames_in(all, id);
}

// Phone-book requests of a sub-type, by the memory type byte they name.
inline int phone_book_requests(const std::vector<LineWrite>& writes, std::uint8_t sub, std::uint8_t memory) {
  int count = 0;
  for (const PcFrame& f : pc_frames(writes)) {
    if (f.type == 0x03 && f.data.size() > 4 && f.data[3] == sub && f.data[4] == memory) ++count;
  }
  return count;
}

// An entry of the list as Write All takes it (group Family, written as its name).
inline PhoneBookEntry entry(std::string name, std::string phone, std::string type, std::string pos) {
  PhoneBookEntry e;
  e.Name = std::move(name);
  e.Phone = std::move(phone);
  e.Type = std::move(type);
  e.Pos = std::move(pos);
  e.Group = "Family";
  e.WriteAs = "Name";
  return e;
}

}  // namespace phondeck::e2e
