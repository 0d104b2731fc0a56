#pragma once
// The in-process line between the PC side and the virtual handset, on
// virtual time. The PC side is a LinkPort: what it writes reaches the handset
// after the wire time at the current bit rate (10 bits a byte), and a write
// returns once its bytes have left; what the handset sends arrives after its
// own wire time and is announced with message 1024 to the window sink.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "link/port.h"
#include "sim/handset.h"
#include "sim/virtual_time.h"

namespace phondeck {
class Prompt;
}

namespace phondeck::sim {

class PipeLink final : public LinkPort, private HandsetLine {
 public:
  // sink: where 1024 goes (the loop itself when null). prompt: where a failed
  // open is reported (not reported when null).
  PipeLink(VirtualLoop& loop, Handset& handset, WindowMessageSink* sink = nullptr,
           Prompt* prompt = nullptr);
  ~PipeLink() override;
  PipeLink(const PipeLink&) = delete;
  PipeLink& operator=(const PipeLink&) = delete;

  int open() override;
  void close() override;
  bool is_open() const override { return open_; }
  void set_bit_rate(int rate) override { bit_rate_ = rate == 9600 ? 9600 : 115200; }
  void set_dtr(bool on) override;
  void set_rts(bool on) override { rts_ = on; }
  void write(const std::uint8_t* bytes, std::size_t count) override;
  std::size_t take_received(std::uint8_t* destination, std::size_t count) override;

  int bit_rate() const { return bit_rate_; }
  bool dtr() const { return dtr_; }
  bool rts() const { return rts_; }
  bool hung_up() const { return hung_up_; }
  int opens() const { return opens_; }
  // Every byte the PC wrote and every byte delivered to it, in order.
  const Bytes& pc_sent() const { return pc_sent_; }
  const Bytes& pc_received() const { return pc_received_; }
  // Wire time of count bytes at the current bit rate.
  std::int64_t wire_us(std::size_t count) const;

 private:
  void transmit(const std::uint8_t* bytes, std::size_t count) override;
  void hang_up() override { hung_up_ = true; }
  void schedule_poll();

  VirtualLoop& loop_;
  Handset& handset_;
  WindowMessageSink& sink_;
  Prompt* prompt_;
  bool open_ = false;
  bool hung_up_ = false;
  bool dtr_ = false;
  bool rts_ = false;
  int bit_rate_ = 9600;
  int opens_ = 0;
  std::int64_t handset_free_us_ = 0;   // the handset's transmitter is busy until then
  std::optional<std::int64_t> poll_at_us_;
  std::deque<std::uint8_t> received_;
  Bytes pc_sent_;
  Bytes pc_received_;
  // Events still scheduled refer to this link; they check it is alive.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace phondeck::sim
