#include "sim/pipe_link.h"

#include <cerrno>

#include "app/prompt.h"
#include "link/serial_errors.h"

namespace phondeck::sim {

PipeLink::PipeLink(VirtualLoop& loop, Handset& handset, WindowMessageSink* sink, Prompt* prompt)
    : loop_(loop), handset_(handset), sink_(sink != nullptr ? *sink : loop), prompt_(prompt) {
  handset_.attach(this);
  schedule_poll();
}

PipeLink::~PipeLink() {
  *alive_ = false;
  handset_.attach(nullptr);
}

int PipeLink::open() {
  if (hung_up_) {
    // The line is gone, like a device that has disappeared.
    if (prompt_ != nullptr) prompt_->message(serial_error_text("ERROR: Serial 10", ENOENT));
    return 1;
  }
  open_ = true;
  bit_rate_ = 9600;
  // The open raises DTR and RTS.
  set_dtr(true);
  rts_ = true;
  received_.clear();
  ++opens_;
  return 0;
}

void PipeLink::set_dtr(bool on) {
  if (on && !dtr_) handset_.line_raised();
  dtr_ = on;
}

void PipeLink::close() {
  open_ = false;
  dtr_ = rts_ = false;
  received_.clear();
}

std::int64_t PipeLink::wire_us(std::size_t count) const {
  return static_cast<std::int64_t>(count) * 10 * 1000000 / bit_rate_;
}

void PipeLink::schedule_poll() {
  const std::optional<std::int64_t> due = handset_.next_due_ms();
  if (!due) return;
  std::int64_t when = *due * 1000;
  if (when <= loop_.now_us()) when = (loop_.now_ms() + 1) * 1000;
  if (poll_at_us_ && *poll_at_us_ <= when && *poll_at_us_ >= loop_.now_us()) return;
  poll_at_us_ = when;
  std::weak_ptr<bool> alive = alive_;
  loop_.at(when, [this, alive, when] {
    if (alive.expired() || !*alive.lock()) return;
    if (poll_at_us_ == when) poll_at_us_.reset();
    handset_.poll();
    schedule_poll();
  });
}

void PipeLink::write(const std::uint8_t* bytes, std::size_t count) {
  if (!open_ || count == 0) return;
  pc_sent_.insert(pc_sent_.end(), bytes, bytes + count);
  const std::int64_t took = wire_us(count);
  if (!hung_up_) {
    std::weak_ptr<bool> alive = alive_;
    loop_.at(loop_.now_us() + took, [this, alive, data = Bytes(bytes, bytes + count)] {
      if (alive.expired() || !*alive.lock() || hung_up_) return;
      handset_.receive(data.data(), data.size());
      schedule_poll();
    });
  }
  // The write returns when the bytes have left.
  loop_.pass_us(took);
}

void PipeLink::transmit(const std::uint8_t* bytes, std::size_t count) {
  if (hung_up_ || count == 0) return;
  const std::int64_t start = std::max(loop_.now_us(), handset_free_us_);
  handset_free_us_ = start + wire_us(count);
  std::weak_ptr<bool> alive = alive_;
  loop_.at(handset_free_us_, [this, alive, data = Bytes(bytes, bytes + count)] {
    if (alive.expired() || !*alive.lock() || hung_up_ || !open_) return;
    received_.insert(received_.end(), data.begin(), data.end());
    pc_received_.insert(pc_received_.end(), data.begin(), data.end());
    sink_.post(kMsgBytesArrived, static_cast<std::uint32_t>(data.size()));
  });
}

std::size_t PipeLink::take_received(std::uint8_t* destination, std::size_t count) {
  std::size_t n = 0;
  while (n < count && !received_.empty()) {
    destination[n++] = received_.front();
    received_.pop_front();
  }
  return n;
}

}  // namespace phondeck::sim
