#pragma once
// What the whole-handset runs' tests share: a scratch folder (in memory
// where it can be) and the runner that runs each operation on virtual time.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "e2e_rig.h"
#include "session/handset_backup.h"

namespace phondeck::e2e {

class Scratch {
 public:
  explicit Scratch(const std::string& prefix = "phondeck-backup") {
    namespace fs = std::filesystem;
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Runs virtual time until the operation's result is told.
inline OperationRunner runner_of(Rig& rig) {
  return [&rig](const std::function<bool(StartOptions)>& start) {
    const auto told = std::make_shared<std::optional<OperationResult>>();
    StartOptions options;
    options.done = [told](const OperationResult& result) { *told = result; };
    const bool started = start(std::move(options));
    if (started && !*told) rig.loop.run_until([&told] { return told->has_value(); }, 3600000);
    return *told ? **told : untold_result(started);
  };
}

}  // namespace phondeck::e2e
