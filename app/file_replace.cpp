#include "app/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace phondeck {

namespace {

bool write_all(int fd, const unsigned char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool replace_file(const std::string& path, const std::string& temp_path, const void* data,
                  std::size_t size, FileAccess access) {
  const bool owner = access == FileAccess::Owner;
  // A temporary file left by an earlier run may have another mode: it goes first.
  if (owner) ::unlink(temp_path.c_str());
  const int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, owner ? 0600 : 0666);
  if (fd < 0) return false;
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  bool moded = true;
  if (owner) {
    moded = ::fchmod(fd, existed ? (old.st_mode & 0700) | 0600 : 0600) == 0;
  } else if (existed) {
    ::fchmod(fd, old.st_mode & 07777);
  }
  if (!moded) {
    ::close(fd);
    ::unlink(temp_path.c_str());
    return false;
  }
  const bool written = write_all(fd, static_cast<const unsigned char*>(data), size) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || std::rename(temp_path.c_str(), path.c_str()) != 0) {
    ::unlink(temp_path.c_str());
    return false;
  }
  return true;
}

}  // namespace phondeck
