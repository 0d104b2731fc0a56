#pragma once
// Another process holding a serial device, as a terminal program or a
// modem prober would: forked from the test, named as asked.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace phondeck::testing {

// A process of this program's that holds `path` open (with the advisory
// lock when flock), under the name `name`, until it is ended.
struct HolderProcess {
  pid_t pid = -1;
  HolderProcess(const std::string& path, const char* name, bool flock_it) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid = ::fork();
    if (pid == 0) {
      ::prctl(PR_SET_NAME, name, 0, 0, 0);
      const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      if (fd >= 0 && flock_it) ::flock(fd, LOCK_EX | LOCK_NB);
      const char byte = fd >= 0 ? 1 : 0;
      [[maybe_unused]] ssize_t n = ::write(ready[1], &byte, 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    [[maybe_unused]] ssize_t n = ::read(ready[0], &byte, 1);
    ::close(ready[0]);
  }
  ~HolderProcess() {
    if (pid <= 0) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  HolderProcess(const HolderProcess&) = delete;
  HolderProcess& operator=(const HolderProcess&) = delete;
};

}  // namespace phondeck::testing
