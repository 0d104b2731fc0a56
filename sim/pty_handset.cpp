#include "sim/pty_handset.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace phondeck::sim {

namespace {

std::int64_t real_ns() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

int rate_of(speed_t speed) {
  switch (speed) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    default: return 115200;
  }
}

}  // namespace

PtyHandset::PtyHandset(const Clock& clock, HandsetState state, HandsetOptions options,
                       FaultOptions faults, bool pacing)
    : handset_(clock, std::move(state), options, faults), pacing_(pacing) {
  handset_.attach(this);
}

PtyHandset::~PtyHandset() { stop(); }

bool PtyHandset::start(std::string& error) {
  termios raw{};
  cfmakeraw(&raw);
  raw.c_cflag |= CLOCAL | CREAD;
  cfsetispeed(&raw, B9600);
  cfsetospeed(&raw, B9600);
  if (openpty(&master_, &slave_, nullptr, &raw, nullptr) != 0) {
    error = std::string("openpty: ") + std::strerror(errno);
    return false;
  }
  const int flags = fcntl(master_, F_GETFL);
  fcntl(master_, F_SETFL, flags | O_NONBLOCK);
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  char name[256];
  if (ttyname_r(slave_, name, sizeof name) != 0) {
    error = std::string("ttyname: ") + std::strerror(errno);
    stop();
    return false;
  }
  path_ = name;
  if (handset_.options().deaf_after_dtr_ms > 0) {
    int on = 1;
    packet_ = ioctl(master_, TIOCPKT, &on) == 0;
  }
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    stop();
    return false;
  }
  stop_ = false;
  thread_ = std::thread(&PtyHandset::serve, this);
  return true;
}

void PtyHandset::stop() {
  stop_ = true;
  if (thread_.joinable()) {
    const std::uint8_t byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wake_[1], &byte, 1);
    thread_.join();
  }
  for (int* fd : {&master_, &slave_, &wake_[0], &wake_[1]}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

int PtyHandset::line_rate() const {
  termios tio{};
  if (master_ < 0 || tcgetattr(master_, &tio) != 0) return 9600;
  return rate_of(cfgetospeed(&tio));
}

std::int64_t PtyHandset::byte_ns() const { return 10LL * 1000000000 / line_rate(); }

void PtyHandset::send_network_details() {
  std::lock_guard<std::mutex> guard(mutex_);
  handset_.send_network_details();
  flush_output();
}

void PtyHandset::transmit(const std::uint8_t* bytes, std::size_t count) {
  if (!pacing_) {
    for (std::size_t i = 0; i < count; ++i) output_.emplace_back(0, bytes[i]);
    return;
  }
  const std::int64_t per_byte = byte_ns();
  for (std::size_t i = 0; i < count; ++i) {
    output_free_ns_ = std::max(real_ns(), output_free_ns_) + per_byte;
    output_.emplace_back(output_free_ns_, bytes[i]);
  }
}

void PtyHandset::hang_up() {
  // Closing every handle of the master makes the PC's reads fail.
  hung_up_ = true;
  output_.clear();
  for (int* fd : {&master_, &slave_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

void PtyHandset::flush_output() {
  while (master_ >= 0 && !output_.empty()) {
    const std::int64_t now = real_ns();
    std::uint8_t chunk[256];
    std::size_t n = 0;
    while (n < sizeof chunk && n < output_.size() && output_[n].first <= now) {
      chunk[n] = output_[n].second;
      ++n;
    }
    if (n == 0) return;  // the next byte is still on the wire
    const ssize_t written = ::write(master_, chunk, n);
    if (written <= 0) return;  // full: POLLOUT brings us back
    output_.erase(output_.begin(), output_.begin() + written);
  }
}

void PtyHandset::deliver_input(std::int64_t now_ns) {
  std::uint8_t batch[256];
  std::size_t n = 0;
  while (!input_.empty() && input_.front().first <= now_ns) {
    batch[n++] = input_.front().second;
    input_.pop_front();
    if (n == sizeof batch) {
      handset_.receive(batch, n);
      n = 0;
    }
  }
  if (n > 0) handset_.receive(batch, n);
}

void PtyHandset::serve() {
  std::uint8_t buffer[4096];
  while (!stop_) {
    // Sleep until the next thing is due: a paced byte reaching the handset
    // or the PC, or a handset timer.
    std::int64_t wait_ns = 50000000;
    bool output_due;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (hung_up_) break;
      if (handset_.next_due_ms()) wait_ns = 2000000;
      const std::int64_t now = real_ns();
      if (!input_.empty()) wait_ns = std::min(wait_ns, input_.front().first - now);
      // A byte already due waits for the terminal to take it (POLLOUT).
      output_due = !output_.empty() && output_.front().first <= now;
      if (!output_.empty() && !output_due) wait_ns = std::min(wait_ns, output_.front().first - now);
      wait_ns = std::max<std::int64_t>(wait_ns, 0);
    }
    pollfd fds[2] = {{wake_[0], POLLIN, 0},
                     {master_, static_cast<short>(POLLIN | (output_due ? POLLOUT : 0)), 0}};
    const timespec wait{static_cast<time_t>(wait_ns / 1000000000), static_cast<long>(wait_ns % 1000000000)};
    const int r = ppoll(fds, 2, &wait, nullptr);
    if (r < 0 && errno != EINTR) break;
    if (stop_) break;

    std::lock_guard<std::mutex> guard(mutex_);
    if (r > 0 && (fds[1].revents & POLLIN)) {
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (packet_ && n > 0) {
        // A status byte first: 0 before data, else what the terminal did.
        // A flush of both directions is the PC's open raising DTR.
        const std::uint8_t status = buffer[0];
        constexpr std::uint8_t kOpenFlush = TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE;
        if (status != TIOCPKT_DATA && (status & kOpenFlush) == kOpenFlush) handset_.line_raised();
        if (status == TIOCPKT_DATA) {
          std::memmove(buffer, buffer + 1, static_cast<std::size_t>(n - 1));
          --n;
        } else {
          n = 0;
        }
      }
      if (n > 0) {
        if (pacing_) {
          const std::int64_t per_byte = byte_ns();
          for (ssize_t i = 0; i < n; ++i) {
            input_free_ns_ = std::max(real_ns(), input_free_ns_) + per_byte;
            input_.emplace_back(input_free_ns_, buffer[i]);
          }
        } else {
          handset_.receive(buffer, static_cast<std::size_t>(n));
        }
      }
    }
    if (hung_up_) break;
    deliver_input(real_ns());
    handset_.poll();
    flush_output();
  }
}

}  // namespace phondeck::sim
