#include "companion/program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

namespace phondeck {

namespace fs = std::filesystem;

namespace {

bool executable_file(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

fs::path find_program(const std::string& name, const fs::path& own_folder, const std::string& search_path) {
  if (!own_folder.empty() && executable_file(own_folder / name)) return own_folder / name;
  std::istringstream folders(search_path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    if (executable_file(fs::path(folder) / name)) return fs::path(folder) / name;
  }
  return {};
}

bool start_detached(const fs::path& program) {
  // Everything the children need is made before forking: after fork only
  // async-signal-safe calls are allowed.
  const std::string file = program.string();
  char* const argv[] = {const_cast<char*>(file.c_str()), nullptr};
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;

  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    // The middle process: a new session, then the program in a grandchild so
    // that it never becomes our zombie.
    ::close(report[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild != 0) {
      if (grandchild < 0) {
        const int error = errno;
        (void)!::write(report[1], &error, sizeof error);
      }
      ::_exit(0);
    }
    // The program starts with default signal handling.
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::execv(file.c_str(), argv);
    const int error = errno;
    (void)!::write(report[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // The pipe closes without a word when execv succeeds.
  int error = 0;
  ssize_t got = 0;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  return got == 0;
}

}  // namespace phondeck
