#pragma once
// The virtual handset behind a pseudo-terminal: the PC side opens the slave
// path as its serial device; a thread of the handset's own serves the master.
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "link/clock.h"
#include "sim/handset.h"

namespace phondeck::sim {

class PtyHandset final : private HandsetLine {
 public:
  // pacing: bytes move no faster than the line's bit rate allows (10 bits a
  // byte at the rate the PC has set), in both directions.
  PtyHandset(const Clock& clock, HandsetState state, HandsetOptions options = {},
             FaultOptions faults = {}, bool pacing = false);
  ~PtyHandset() override;
  PtyHandset(const PtyHandset&) = delete;
  PtyHandset& operator=(const PtyHandset&) = delete;

  // Opens the pseudo-terminal (raw) and starts serving; false with a reason.
  bool start(std::string& error);
  // Stops serving and closes the terminal; idempotent.
  void stop();
  // The slave path, e.g. /dev/pts/3.
  const std::string& path() const { return path_; }
  bool hung_up() const { return hung_up_; }
  // The bit rate the PC has set on the line.
  int line_rate() const;

  // Runs f with the handset, on the caller's thread, while the server waits.
  template <typename F>
  auto with_handset(F&& f) {
    std::lock_guard<std::mutex> guard(mutex_);
    return f(handset_);
  }
  // Sends the network details now.
  void send_network_details();
  // Drops the line now, as a pulled adapter does: the PC's port fails.
  void drop_line() {
    std::lock_guard<std::mutex> guard(mutex_);
    hang_up();
  }

 private:
  void serve();
  void transmit(const std::uint8_t* bytes, std::size_t count) override;
  void hang_up() override;
  void flush_output();
  void deliver_input(std::int64_t now_ns);
  // Time one byte takes on the wire at the line's rate (10 bits a byte).
  std::int64_t byte_ns() const;

  std::mutex mutex_;
  Handset handset_;
  bool pacing_;
  std::string path_;
  int master_ = -1;
  int slave_ = -1;  // held open so the master never sees a hang-up between the PC's opens
  int wake_[2] = {-1, -1};
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> hung_up_{false};
  // Packet mode on the master, to see the PC open the line (its flush of
  // both directions) as DTR rising; only for a handset deaf after DTR.
  bool packet_ = false;

  // Guarded by mutex_.
  // Bytes on their way, each with the moment its last bit has crossed the
  // wire (paced) or 0 (unpaced); a byte is handed on no earlier than that.
  using Timed = std::deque<std::pair<std::int64_t, std::uint8_t>>;
  Timed output_;
  std::int64_t output_free_ns_ = 0;  // the handset's wire is busy until then
  Timed input_;
  std::int64_t input_free_ns_ = 0;
};

}  // namespace phondeck::sim
