#include "link/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

#if defined(__linux__)
#include <linux/serial.h>
#endif

#include "app/configuration.h"
#include "app/prompt.h"
#include "link/serial_errors.h"
#include "platform/port_release.h"

namespace phondeck {

namespace {

std::int64_t monotonic_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

speed_t speed_for(int rate) { return rate == 9600 ? B9600 : B115200; }

}  // namespace

SerialPort::SerialPort(Prompt& prompt, WindowMessageSink& sink) : prompt_(prompt), sink_(sink) {}

SerialPort::~SerialPort() { close(); }

void SerialPort::set_port(int index) {
  static const char* const kNames[] = {"COM1", "COM2", "COM3", "COM4",
                                       "COM5", "COM6", "COM7", "COM8"};
  name_ = (index >= 0 && index <= 7) ? kNames[index] : "COM2";
}

std::string SerialPort::com_port_device(int index) { return "/dev/ttyS" + std::to_string(index); }

SerialPort::PortNames SerialPort::port_for_index(int index) {
  const int chosen = index >= 0 && index <= 7 ? index : 1;
  return {"COM" + std::to_string(chosen + 1), com_port_device(chosen)};
}

std::string SerialPort::device_path() const {
  if (!device_override_.empty()) return device_override_;
  // "virtual" and "virtual:MODEL" name the built-in handset, not a device.
  const std::string& device = config().Device;
  const bool virtual_handset = device == "virtual" || device.rfind("virtual:", 0) == 0;
  if (!device.empty() && !virtual_handset) return device;
  if (name_.size() == 4 && name_.compare(0, 3, "COM") == 0 && name_[3] >= '1' && name_[3] <= '8') {
    return com_port_device(name_[3] - '1');
  }
  return name_;
}

void SerialPort::report(const char* text, int error) const {
  const std::string message = serial_error_text(text, error, opened_path_);
  // The log keeps the failure, not the advice after it.
  tell(TapKind::PortError, message.substr(0, message.find('\n')));
  prompt_.message(message);
}

void SerialPort::tell(TapKind kind, const std::string& text) const {
  if (tap_ != nullptr) tap_->event(kind, text);
}

void SerialPort::report_open(const char* text, int error) {
  diagnosis_ = diagnose_port(opened_path_, error, roots_, identity_, fd_);
  const std::string message = serial_error_text(text, error, opened_path_, diagnosis_.advice);
  tell(TapKind::PortError, message.substr(0, message.find('\n')));
  prompt_.message(message);
}

bool SerialPort::apply_line_settings(int rate) {
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  cfsetispeed(&tio, speed_for(rate));
  cfsetospeed(&tio, speed_for(rate));
  return tcsetattr(fd_, TCSANOW, &tio) == 0;
}

int SerialPort::open() {
  if (fd_ >= 0) close();
  const std::string path = device_path();
  // Kept for the messages, which the reader thread shows too.
  opened_path_ = path;
  diagnosis_ = {};

  // The mode bits as they apply to a given identity (the kernel's check
  // otherwise, at the open).
  if (identity_ && !mode_bits_permit(path, *identity_) && ::access(path.c_str(), F_OK) == 0) {
    report_open("ERROR: Serial 10", EACCES);
    return 1;
  }
  // Another program's UUCP lock refuses the device before it is touched
  // (opening a terminal raises its DTR); a stale one is removed, and ours
  // is written while the port is open.
  if (uucp_.acquire(path, roots_) == UucpLock::Result::HeldBy) {
    diagnosis_ = lock_diagnosis(path, uucp_.holder(), uucp_.file(), roots_);
    const std::string message = serial_error_text("ERROR: Serial 10", EBUSY, path, diagnosis_.advice);
    tell(TapKind::PortError, message.substr(0, message.find('\n')));
    prompt_.message(message);
    return 1;
  }

  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    uucp_.release();
    report_open("ERROR: Serial 10", errno);
    return 1;
  }
  remember_open_port(fd_, uucp_.file());
  // No second program may share the line: an advisory lock (which even the
  // superuser must respect) and the terminal's exclusive mode. The lock comes
  // first, so a refused open leaves the holder's exclusive mode alone.
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    report_open("ERROR: Serial 10", errno);
    return 1;
  }
  exclusive_ = true;
  // A prober (ModemManager) that has the device open takes the handset's
  // bytes and sends its own: sharing the line with it cannot work.
  if (!running_probers(roots_).empty()) {
    std::vector<ProcessInfo> probers = device_holders(path, roots_, fd_, false);
    std::erase_if(probers, [](const ProcessInfo& p) { return !is_known_prober(p.name); });
    if (!probers.empty()) {
      diagnosis_ = lock_diagnosis(path, probers.front(), {}, roots_);
      prompt_.message(serial_error_text("ERROR: Serial 10", EBUSY, path, diagnosis_.advice));
      return 1;
    }
  }
  if (ioctl(fd_, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL) {
    report_open("ERROR: Serial 10", errno);
    return 1;
  }
  if (tcflush(fd_, TCIOFLUSH) != 0) {
    report_open("ERROR: Serial 10b", errno);
    return 1;
  }

  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) {
    report_open("ERROR: Serial 11", errno);
    return 2;
  }
  if (!apply_line_settings(9600)) {
    report_open("ERROR: Serial 12", errno);
    return 3;
  }
  bit_rate_ = 9600;
  // Reads return at once with whatever is queued.
  if (tcgetattr(fd_, &tio) != 0) {
    report("ERROR: Serial 13", errno);
    return 4;
  }
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) {
    report("ERROR: Serial 14", errno);
    return 5;
  }

  modem_line(TIOCMBIS, TIOCM_DTR);
  modem_line(TIOCMBIS, TIOCM_RTS);
  {
    std::lock_guard<std::mutex> guard(lock_);
    write_index_ = 0;
    read_index_ = 0;
  }

  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    wake_[0] = wake_[1] = -1;
    report("ERROR: Serial 16", errno);
    return 8;
  }
  stop_ = false;
  reader_running_ = true;
  try {
    thread_ = std::thread(&SerialPort::reader, this);
  } catch (const std::system_error& e) {
    reader_running_ = false;
    report("ERROR: Serial 15", e.code().value());
    return 6;
  }
  open_flag_ = true;
  dtr_ = rts_ = true;
  tell(TapKind::Port, "open " + path + " at 9600 bit/s, DTR and RTS on");
  return 0;
}

int SerialPort::open_if_closed() {
  if (open_flag_) return 1;
  return open();
}

void SerialPort::stop_reader() {
  if (!thread_.joinable()) return;
  stop_ = true;
  if (wake_[1] >= 0) {
    const std::uint8_t byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wake_[1], &byte, 1);
  }
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void SerialPort::close() {
  stop_reader();
  for (int& fd : wake_) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  if (fd_ >= 0) {
    forget_open_port(fd_);
    // Leave the terminal shareable again (only if it was ours to share).
    if (exclusive_) {
      [[maybe_unused]] const int ignored = ioctl(fd_, TIOCNXCL);
    }
    ::close(fd_);
  }
  uucp_.release();
  if (open_flag_) tell(TapKind::Port, "closed " + opened_path_);
  fd_ = -1;
  exclusive_ = false;
  open_flag_ = false;
}

void SerialPort::set_bit_rate(int rate) {
  if (!open_flag_) return;
  const int wanted = rate == 9600 ? 9600 : 115200;
  std::lock_guard<std::mutex> guard(lock_);
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) {
    report("ERROR: Serial 20", errno);
    return;
  }
  cfsetispeed(&tio, speed_for(wanted));
  cfsetospeed(&tio, speed_for(wanted));
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) {
    report("ERROR: Serial 20", errno);
    return;
  }
  if (bit_rate_ != wanted) tell(TapKind::Port, std::to_string(wanted) + " bit/s");
  bit_rate_ = wanted;
}

// Line controls a pseudo-terminal or an adapter lacks are skipped quietly.
void SerialPort::modem_line(unsigned long request, int bits) {
  [[maybe_unused]] int result = ioctl(fd_, request, &bits);
}

void SerialPort::set_dtr(bool on) {
  if (!open_flag_) return;
  std::lock_guard<std::mutex> guard(lock_);
  modem_line(on ? TIOCMBIS : TIOCMBIC, TIOCM_DTR);
  if (dtr_ != on) tell(TapKind::Port, on ? "DTR on" : "DTR off");
  dtr_ = on;
}

void SerialPort::set_rts(bool on) {
  if (!open_flag_) return;
  std::lock_guard<std::mutex> guard(lock_);
  modem_line(on ? TIOCMBIS : TIOCMBIC, TIOCM_RTS);
  if (rts_ != on) tell(TapKind::Port, on ? "RTS on" : "RTS off");
  rts_ = on;
}

bool SerialPort::wait_writable(std::int64_t deadline_ms) {
  for (;;) {
    const std::int64_t left = deadline_ms - monotonic_ms();
    if (left <= 0) return false;
    pollfd p{fd_, POLLOUT, 0};
    const int r = poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    return (p.revents & POLLOUT) != 0;
  }
}

void SerialPort::write(const std::uint8_t* bytes, std::size_t count) {
  if (!open_flag_ || count == 0) return;
  std::lock_guard<std::mutex> guard(lock_);
  // 10 ms per byte plus one second, as the line allows at its slowest.
  const std::int64_t deadline = monotonic_ms() + 10 * static_cast<std::int64_t>(count) + 1000;
  std::size_t done = 0;
  int error = 0;  // 0: timed out
  while (done < count) {
    const ssize_t n = ::write(fd_, bytes + done, count - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!wait_writable(deadline)) break;
    } else {
      error = n < 0 ? errno : 0;
      break;  // the loss is made good by the link's retransmission
    }
  }
  if (done < count) {
    tcflush(fd_, TCOFLUSH);
    tell(TapKind::PortError, (error != 0 ? serial_error_text("write failed", error) : std::string("write timed out")) +
                                 ", " + std::to_string(done) + " of " + std::to_string(count) + " bytes sent");
    return;
  }
  // Wait until the driver's queue is empty, then for the last bytes to shift
  // out. A device that cannot report its queue is drained directly.
  int queued = 0;
  while (ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0) {
    if (monotonic_ms() >= deadline) {
      tcflush(fd_, TCOFLUSH);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  tcdrain(fd_);
}

std::size_t SerialPort::take_received(std::uint8_t* destination, std::size_t count) {
  if (count == 0) return 0;
  std::lock_guard<std::mutex> guard(lock_);
  const std::size_t available = write_index_ - read_index_;
  if (count > available) count = available;
  std::memcpy(destination, receive_ + read_index_, count);
  read_index_ += static_cast<std::uint32_t>(count);
  if (read_index_ == write_index_) {
    read_index_ = 0;
    write_index_ = 0;
  }
  return count;
}

std::uint32_t SerialPort::write_index() const {
  std::lock_guard<std::mutex> guard(lock_);
  return write_index_;
}

std::uint32_t SerialPort::read_index() const {
  std::lock_guard<std::mutex> guard(lock_);
  return read_index_;
}

void SerialPort::reader() {
#if defined(__linux__) && defined(TIOCGICOUNT)
  serial_icounter_struct seen{};
  const bool counters = ioctl(fd_, TIOCGICOUNT, &seen) == 0;
#endif
  while (!stop_) {
    bool full;
    {
      std::lock_guard<std::mutex> guard(lock_);
      full = write_index_ >= kReceiveSize;
    }
    // While the buffer is full, bytes wait in the driver until the window
    // thread has drained it.
    pollfd fds[2] = {{wake_[0], POLLIN, 0}, {fd_, POLLIN, 0}};
    const int r = poll(fds, full ? 1 : 2, full ? 10 : kPollBoundMs);
    if (r < 0) {
      if (errno == EINTR) continue;
      report("ERROR: Serial 3", errno);
      break;
    }
    if (stop_ || (fds[0].revents & POLLIN)) break;
    if (r == 0 || full) continue;
    const short events = fds[1].revents;
    if (events & POLLNVAL) break;

#if defined(__linux__) && defined(TIOCGICOUNT)
    if (counters) {
      serial_icounter_struct now{};
      if (ioctl(fd_, TIOCGICOUNT, &now) == 0) {
        std::uint32_t flags = 0;
        if (now.buf_overrun != seen.buf_overrun) flags |= 1;
        if (now.overrun != seen.overrun) flags |= 2;
        if (now.parity != seen.parity) flags |= 4;
        if (now.frame != seen.frame) flags |= 8;
        if (now.brk != seen.brk) flags |= 16;
        seen = now;
        if (flags != 0) sink_.post(kMsgLineError, flags);
      }
    }
#endif

    std::lock_guard<std::mutex> guard(lock_);
    const ssize_t n = ::read(fd_, receive_ + write_index_, kReceiveSize - write_index_);
    if (n > 0) {
      write_index_ += static_cast<std::uint32_t>(n);
      sink_.post(kMsgBytesArrived, static_cast<std::uint32_t>(n));
      continue;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) &&
        !(events & (POLLHUP | POLLERR))) {
      continue;
    }
    // Read error or hang-up: the reader ends quietly, the port goes deaf.
    const bool hang_up = n == 0 || (events & POLLHUP) != 0;
    tell(TapKind::PortError, hang_up ? std::string("hang-up: the device is gone") : serial_error_text("read failed", errno));
    break;
  }
  reader_running_ = false;
}

}  // namespace phondeck
