#include "app/program_folder.h"

#include <unistd.h>

#include <array>
#include <filesystem>

// The data folder relative to the program folder, as the install rules lay
// them out.
#ifndef PHONDECK_DATA_FROM_BIN
#define PHONDECK_DATA_FROM_BIN "../share/phondeck"
#endif

namespace phondeck {

std::string program_folder() {
  std::array<char, 4096> buffer{};
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "./";
  std::string path(buffer.data(), static_cast<std::size_t>(n));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "./";
  return path.substr(0, slash + 1);
}

std::string installed_data_folder() {
  std::string folder =
      (std::filesystem::path(program_folder()) / PHONDECK_DATA_FROM_BIN).lexically_normal().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::optional<std::string> first_folder_holding(const std::vector<std::string>& folders,
                                                std::string_view relative) {
  for (const std::string& folder : folders) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(std::filesystem::path(folder) / relative, ec)) return folder;
  }
  return std::nullopt;
}

}  // namespace phondeck
