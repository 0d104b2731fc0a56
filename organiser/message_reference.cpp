#include "organiser/message_reference.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "app/file_replace.h"

namespace phondeck {
namespace {

namespace fs = std::filesystem;

std::string& default_file() {
  static std::string path;
  return path;
}

// The folder, made private to the user when missing.
bool make_folder(const fs::path& folder) {
  std::error_code ec;
  if (folder.empty() || fs::is_directory(folder, ec)) return true;
  if (!make_folder(folder.parent_path())) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// The last reference the file holds; none when it is missing or holds no
// number from 0 to 255.
std::optional<int> read_last(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  int value = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 255) return std::nullopt;
  return value;
}

// An exclusive lock on the folder for as long as it lives: two programs
// taking at once take two references.
class FolderLock {
 public:
  explicit FolderLock(const fs::path& folder)
      : fd_(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

}  // namespace

std::string message_reference_file(const std::string& configuration_path) {
  return (fs::path(configuration_path).parent_path() / "sms-reference").string();
}

void set_default_message_reference_file(std::string path) { default_file() = std::move(path); }
const std::string& default_message_reference_file() { return default_file(); }

std::uint8_t MessageReferences::take() {
  if (path_.empty()) return ++last_;
  const fs::path folder = fs::path(path_).parent_path();
  if (!make_folder(folder)) return ++last_;
  const FolderLock lock(folder);
  const std::optional<int> stored = read_last(path_);
  last_ = static_cast<std::uint8_t>((stored ? *stored : last_) + 1);
  const std::string text = std::to_string(last_) + "\n";
  // A temporary file of this process's own: two writers never share one.
  replace_file(path_, path_ + "." + std::to_string(::getpid()) + ".tmp", text.data(), text.size());
  return last_;
}

}  // namespace phondeck
