#pragma once
// Starting Deskpal with the desktop session: a freedesktop autostart entry,
// deskpal.desktop in $XDG_CONFIG_HOME/autostart (~/.config/autostart).
#include <filesystem>
#include <functional>
#include <string>

namespace phondeck {

// Reads one environment variable; null when unset.
using EnvironmentLookup = std::function<const char*(const char*)>;

class AutostartEntry {
 public:
  // The autostart folder of the environment; empty when neither an absolute
  // XDG_CONFIG_HOME nor HOME is set.
  static std::filesystem::path folder_from_environment(const EnvironmentLookup& env);

  // `program`: the absolute path of the Deskpal program the entry starts.
  AutostartEntry(std::filesystem::path folder, std::filesystem::path program);

  // The folder exists and is writable, or can be made where its nearest
  // existing parent is.
  bool usable() const;
  // The entry file is there (it can be opened).
  bool exists() const;
  // "Add to Startup": removes the entry when it exists, else writes it.
  // Does nothing when the folder is not usable. True when it changed.
  bool toggle();

  std::filesystem::path file() const { return folder_ / "deskpal.desktop"; }
  // The entry's text.
  std::string contents() const;

 private:
  std::filesystem::path folder_;
  std::filesystem::path program_;
};

// `path` as one argument of an Exec line: quoted when it holds a reserved
// character, with the escapes of a desktop entry string.
std::string exec_argument(const std::string& path);

}  // namespace phondeck
