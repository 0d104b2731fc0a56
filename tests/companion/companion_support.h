#pragma once
// Deskpal test helpers: scripted random numbers and a scratch folder.
#include <stdlib.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>

#include "companion/deskpal_animation.h"

namespace phondeck::companiontest {

// Hands out the scripted numbers, then `rest` for ever.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<std::uint32_t> script = {}, std::uint32_t rest = 1)
      : script_(std::move(script)), rest_(rest) {}
  void then(std::deque<std::uint32_t> more) { script_.insert(script_.end(), more.begin(), more.end()); }
  std::uint32_t next() override {
    ++drawn;
    if (script_.empty()) return rest_;
    const std::uint32_t value = script_.front();
    script_.pop_front();
    return value;
  }
  bool used_up() const { return script_.empty(); }
  int drawn = 0;

 private:
  std::deque<std::uint32_t> script_;
  std::uint32_t rest_;
};

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "deskpal-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::filesystem::path path;
};

}  // namespace phondeck::companiontest
