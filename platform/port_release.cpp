#include "platform/port_release.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace phondeck {
namespace {

constexpr int kSlots = 8;
constexpr std::size_t kPathBytes = 256;

struct Slot {
  std::atomic<int> fd{-1};
  char lock_file[kPathBytes] = {};
};
Slot slots[kSlots];

void on_signal(int signal_number) {
  release_open_ports();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

}  // namespace

void remember_open_port(int fd, const std::string& lock_file) {
  for (Slot& slot : slots) {
    int expected = -1;
    if (!slot.fd.compare_exchange_strong(expected, -2)) continue;  // claimed
    const std::size_t n = std::min(lock_file.size(), kPathBytes - 1);
    std::memcpy(slot.lock_file, lock_file.data(), n);
    slot.lock_file[n] = '\0';
    slot.fd.store(fd);
    return;
  }
}

void forget_open_port(int fd) {
  for (Slot& slot : slots) {
    int expected = fd;
    if (fd >= 0 && slot.fd.compare_exchange_strong(expected, -1)) return;
  }
}

void release_open_ports() noexcept {
  for (Slot& slot : slots) {
    const int fd = slot.fd.exchange(-1);
    if (fd < 0) continue;
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    if (slot.lock_file[0] != '\0') ::unlink(slot.lock_file);
  }
}

void release_ports_on_signals() {
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction now{};
    if (::sigaction(signal_number, nullptr, &now) != 0) continue;
    if (now.sa_handler != SIG_DFL) continue;
    struct sigaction action{};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace phondeck
