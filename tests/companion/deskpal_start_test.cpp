// Deskpal's autostart entry in a scratch XDG_CONFIG_HOME, finding and
// starting Telvane, and the decisions taken before its window opens.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "companion/autostart_entry.h"
#include "companion/deskpal_start.h"
#include "companion/program_start.h"
#include "companion_support.h"

namespace phondeck {
namespace {

namespace fs = std::filesystem;
using companiontest::ScratchFolder;

std::string read(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_program(const fs::path& p, const std::string& text, mode_t mode = 0755) {
  std::ofstream(p) << text;
  ::chmod(p.c_str(), mode);
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(AutostartEntryTest, AddToStartupWritesTheEntryAndChoosingItAgainRemovesIt) {
  ScratchFolder scratch;
  const std::string config = (scratch.path / "config").string();
  ScopedEnv xdg("XDG_CONFIG_HOME", config.c_str());
  const fs::path folder = AutostartEntry::folder_from_environment();
  ASSERT_EQ(folder, fs::path(config) / "autostart");

  AutostartEntry entry(folder, "/opt/phondeck/deskpal");
  ASSERT_TRUE(entry.usable());  // the folder does not exist yet, but can
  EXPECT_FALSE(entry.exists());
  ASSERT_TRUE(entry.toggle());
  ASSERT_TRUE(entry.exists());
  const std::string text = read(folder / "deskpal.desktop");
  EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
  for (const char* line : {"\nType=Application\n", "\nExec=/opt/phondeck/deskpal\n", "\nX-GNOME-Autostart-enabled=true\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  ASSERT_TRUE(entry.toggle());
  EXPECT_FALSE(entry.exists());
  EXPECT_TRUE(fs::is_empty(folder));

  // A folder that can not be made: unchecked, and choosing it does nothing.
  write_program(scratch.path / "plain-file", "");
  AutostartEntry blocked(scratch.path / "plain-file" / "autostart", "/opt/phondeck/deskpal");
  EXPECT_FALSE(blocked.usable());
  EXPECT_FALSE(blocked.toggle());
  EXPECT_FALSE(blocked.exists());
}

TEST(AutostartEntryTest, FolderAndExecLineFollowTheDesktopRules) {
  struct Folder {
    const char* xdg;
    const char* home;
    const char* expected;
  };
  for (const Folder& f : {Folder{"/x/cfg", "/home/u", "/x/cfg/autostart"}, Folder{"relative", "/home/u", "/home/u/.config/autostart"},
                          Folder{nullptr, "/home/u", "/home/u/.config/autostart"}, Folder{nullptr, nullptr, ""}}) {
    ScopedEnv xdg("XDG_CONFIG_HOME", f.xdg);
    ScopedEnv home("HOME", f.home);
    EXPECT_EQ(AutostartEntry::folder_from_environment(), fs::path(f.expected)) << f.expected;
  }
  const std::map<std::string, std::string> exec{
      {"/usr/bin/deskpal", "/usr/bin/deskpal"},
      {"/opt/my apps/deskpal", "\"/opt/my apps/deskpal\""},
      {"/opt/50%/deskpal", "/opt/50%%/deskpal"},
      {"/opt/a\"b$c/deskpal", "\"/opt/a\\\\\"b\\\\$c/deskpal\""},
      {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
  };
  for (const auto& [path, line] : exec) EXPECT_EQ(exec_argument(path), line) << path;
}

TEST(ProgramStartTest, TelvaneIsLookedForInOurFolderFirstThenOnThePath) {
  ScratchFolder scratch;
  const fs::path own = scratch.path / "own";
  const fs::path bin1 = scratch.path / "bin1";
  const fs::path bin2 = scratch.path / "bin2";
  for (const auto& d : {own, bin1, bin2}) fs::create_directory(d);
  const std::string path = bin1.string() + "::" + bin2.string();
  write_program(bin2 / "telvane", "#!/bin/sh\n");
  EXPECT_EQ(find_program("telvane", own, path), bin2 / "telvane");
  write_program(bin1 / "telvane", "#!/bin/sh\n", 0644);  // not executable: skipped
  fs::create_directory(bin1 / "deskpal");                 // a folder is no program
  EXPECT_EQ(find_program("telvane", own, path), bin2 / "telvane");
  EXPECT_EQ(find_program("deskpal", own, path), fs::path());
  write_program(own / "telvane", "#!/bin/sh\n");
  EXPECT_EQ(find_program("telvane", own, path), own / "telvane");
  EXPECT_EQ(find_program("telvane", {}, ""), fs::path());
}

TEST(ProgramStartTest, StartsDetachedInItsOwnSessionAndReportsWhatCanNotRun) {
  ScratchFolder scratch;
  const fs::path marker = scratch.path / "started";
  write_program(scratch.path / "telvane",
                "#!/bin/sh\n[ \"$(cut -d' ' -f6 /proc/$$/stat)\" != \"" + std::to_string(::getsid(0)) +
                    "\" ] && echo new-session > \"" + marker.string() + "\"\n");
  ASSERT_TRUE(start_detached(scratch.path / "telvane"));
  for (int i = 0; i < 500 && read(marker).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(read(marker), "new-session\n");

  write_program(scratch.path / "garbage", "\x7f" "ELF nonsense");
  EXPECT_FALSE(start_detached(scratch.path / "garbage"));
  EXPECT_FALSE(start_detached(scratch.path / "missing"));
}

TEST(DeskpalStartTest, DisplayMenuLanguageAndFrames) {
  struct Row {
    std::map<std::string, std::string> env;
    DisplayChoice::Kind kind;
    bool note;
    bool chinese;
  };
  using K = DisplayChoice::Kind;
  const std::vector<Row> rows{
      {{}, K::NoDisplay, true, false},
      {{{"DISPLAY", ":0"}, {"LANG", "zh_TW.UTF-8"}}, K::Run, false, true},
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"LC_ALL", "en_US.UTF-8"}, {"LANG", "zh_TW"}}, K::UseX11, false, false},
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"LC_MESSAGES", "zh_TW.Big5"}}, K::Run, true, true},
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"QT_QPA_PLATFORM", "wayland"}, {"LANG", "zh_CN.UTF-8"}}, K::Run, false, false},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, K::Run, false, false},
  };
  for (const Row& r : rows) {
    const EnvironmentLookup env = [&](const char* name) -> const char* {
      const auto it = r.env.find(name);
      return it == r.env.end() ? nullptr : it->second.c_str();
    };
    const DisplayChoice choice = choose_display(env);
    EXPECT_EQ(choice.kind, r.kind) << r.env.size();
    EXPECT_EQ(!choice.note.empty(), r.note) << r.env.size();
    EXPECT_EQ(traditional_chinese_locale(env), r.chinese) << r.env.size();
  }

  std::vector<DeskpalFrame> frames = draw_deskpal_frames();
  EXPECT_EQ(frames_problem(frames), std::nullopt);
  frames[17].pixels.fill(0);
  EXPECT_EQ(frames_problem(frames), "deskpal: animation frame 17 is empty");
  frames.pop_back();
  EXPECT_TRUE(frames_problem(frames).has_value());
}

}  // namespace
}  // namespace phondeck
