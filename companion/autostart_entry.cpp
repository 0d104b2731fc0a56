#include "companion/autostart_entry.h"

#include <unistd.h>

#include <fstream>
#include <string_view>
#include <system_error>

namespace phondeck {

namespace fs = std::filesystem;

fs::path AutostartEntry::folder_from_environment(const EnvironmentLookup& env) {
  // Relative values of XDG_CONFIG_HOME are invalid and ignored.
  const char* config = env("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return fs::path(config) / "autostart";
  const char* home = env("HOME");
  if (home && home[0] == '/') return fs::path(home) / ".config" / "autostart";
  return {};
}

AutostartEntry::AutostartEntry(fs::path folder, fs::path program)
    : folder_(std::move(folder)), program_(std::move(program)) {}

bool AutostartEntry::usable() const {
  if (folder_.empty() || !folder_.is_absolute()) return false;
  std::error_code ec;
  fs::path existing = folder_;
  while (!fs::exists(existing, ec)) {
    if (!existing.has_relative_path()) return false;
    existing = existing.parent_path();
  }
  return fs::is_directory(existing, ec) && ::access(existing.c_str(), W_OK | X_OK) == 0;
}

bool AutostartEntry::exists() const {
  if (folder_.empty()) return false;
  std::ifstream in(file());
  return in.is_open();
}

std::string exec_argument(const std::string& path) {
  static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string arg = path;
  if (path.find_first_of(kReserved) != std::string::npos) {
    arg = "\"";
    for (char c : path) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
      arg += c;
    }
    arg += '"';
  }
  // Field codes start with '%'; then the escapes of a string value.
  std::string out;
  for (char c : arg) {
    if (c == '%') {
      out += "%%";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::string AutostartEntry::contents() const {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Deskpal III\n"
         "Comment=Desktop companion; a double-click starts Telvane\n"
         "Exec=" + exec_argument(program_.string()) + "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartEntry::toggle() {
  if (!usable()) return false;
  std::error_code ec;
  if (exists()) return fs::remove(file(), ec) && !ec;
  fs::create_directories(folder_, ec);
  if (ec) return false;
  // Written beside and renamed, so the session never reads half an entry.
  const fs::path temp = folder_ / ".deskpal.desktop.new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << contents();
    out.flush();
    if (!out) {
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, file(), ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace phondeck
