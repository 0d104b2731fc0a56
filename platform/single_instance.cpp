#include "platform/single_instance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>

namespace phondeck {
namespace {

// A folder this user alone can enter: a real directory, owned by the user,
// with no access for group or others.
bool is_private_folder(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

bool fill_address(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

SingleInstance::SingleInstance(std::string name, std::string folder)
    : name_(std::move(name)), folder_(std::move(folder)) {
  if (folder_.empty()) folder_ = default_folder(name_);
  lock_path_ = folder_ + "/" + name_ + ".lock";
  socket_path_ = folder_ + "/" + name_ + ".socket";
}

SingleInstance::~SingleInstance() { release(); }

void SingleInstance::release() {
  if (listen_fd_ >= 0) {
    ::close(listen_fd_);
    ::unlink(socket_path_.c_str());
    listen_fd_ = -1;
  }
  // Closing the descriptor releases the lock; the lock file itself stays, as
  // removing it could let two processes lock two different files.
  if (lock_fd_ >= 0) {
    ::close(lock_fd_);
    lock_fd_ = -1;
  }
}

std::string SingleInstance::default_folder(const std::string& name) {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    if (is_private_folder(runtime)) return runtime;
  }
  return "/tmp/" + name + "-" + std::to_string(::geteuid());
}

bool SingleInstance::prepare_folder() {
  if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return is_private_folder(folder_);
}

SingleInstance::Role SingleInstance::acquire() {
  if (lock_fd_ >= 0) return Role::First;
  if (!prepare_folder()) return Role::Unguarded;
  lock_fd_ = ::open(lock_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lock_fd_ < 0) return Role::Unguarded;
  if (::flock(lock_fd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(lock_fd_);
    lock_fd_ = -1;
    if (error != EWOULDBLOCK) return Role::Unguarded;
    hand_off();
    return Role::Second;
  }
  if (!start_listening()) {
    // Still the one instance; later starts simply cannot hand off to it.
    return Role::First;
  }
  return Role::First;
}

bool SingleInstance::hand_off() {
  sockaddr_un address{};
  if (!fill_address(socket_path_, address)) return false;
  // The owner may have taken the lock a moment ago and not be listening yet.
  for (int attempt = 0; attempt < 40; ++attempt) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      const char wake = 'R';
      const bool sent = ::send(fd, &wake, 1, MSG_NOSIGNAL) == 1;
      ::close(fd);
      return sent;
    }
    ::close(fd);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

bool SingleInstance::start_listening() {
  sockaddr_un address{};
  if (!fill_address(socket_path_, address)) return false;
  // Whatever socket file is there belongs to an instance that has ended: we
  // hold the lock.
  ::unlink(socket_path_.c_str());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::chmod(socket_path_.c_str(), 0600) != 0 || ::listen(fd, 8) != 0) {
    ::close(fd);
    ::unlink(socket_path_.c_str());
    return false;
  }
  listen_fd_ = fd;
  return true;
}

int SingleInstance::take_hand_offs() {
  if (listen_fd_ < 0) return 0;
  int count = 0;
  for (;;) {
    const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (errno == EINTR) continue;
      break;
    }
    // The connection itself is the hand-off; its byte may not be there yet.
    char discard[16];
    while (::recv(fd, discard, sizeof discard, 0) > 0) {
    }
    ::close(fd);
    ++count;
  }
  return count;
}

}  // namespace phondeck
