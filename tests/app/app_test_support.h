#pragma once
// Scratch folders and a clean process-wide state for the application-core tests.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/language.h"
#include "app/language_library.h"
#include "app/text_table.h"

namespace phondeck::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "phondeck-app-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string path() const { return path_.string(); }

  void write(const std::string& name, const std::string& content) const {
    std::ofstream out(file(name), std::ios::binary);
    out << content;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

 private:
  std::filesystem::path path_;
};

// Sets or clears an environment variable and restores it afterwards.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    set(value);
  }
  ~EnvVar() { set(old_ ? old_->c_str() : nullptr); }
  EnvVar(const EnvVar&) = delete;
  EnvVar& operator=(const EnvVar&) = delete;

 private:
  void set(const char* value) {
    if (value) {
      ::setenv(name_.c_str(), value, 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  std::string name_;
  std::optional<std::string> old_;
};

// Every test starts from English texts, a default record, a fresh language
// state and a language search path of its own scratch folder.
class AppStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    config() = Configuration{};
    language() = LanguageState{};
    set_active_code_page(CodePage::Windows1252);
    set_language_search_path({folder.path()});
    set_configuration_path(folder.file("tv.dat"));
  }
  void TearDown() override {
    reset_language_search_path();
    set_configuration_path("tv.dat");
    texts().load_english();
    config() = Configuration{};
    language() = LanguageState{};
  }

  void write_library(const std::string& name, const std::map<int, std::string>& entries) {
    folder.write(name, language_library_text(entries));
  }

  ScratchFolder folder;
};

}  // namespace phondeck::testing
