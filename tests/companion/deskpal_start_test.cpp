// Deskpal's autostart entry in a scratch XDG_CONFIG_HOME, finding Telvane,
// and the decisions taken before its window opens.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <tuple>
#include <utility>

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

using Env = std::map<std::string, std::string>;
EnvironmentLookup lookup(const Env& vars) {
  return [&vars](const char* name) -> const char* {
    const auto it = vars.find(name);
    return it == vars.end() ? nullptr : it->second.c_str();
  };
}

TEST(AutostartEntryTest, AddToStartupWritesTheEntryAndChoosingItAgainRemovesIt) {
  ScratchFolder scratch;
  const Env env{{"XDG_CONFIG_HOME", (scratch.path / "config").string()}, {"HOME", "/home/u"}};
  const fs::path folder = AutostartEntry::folder_from_environment(lookup(env));
  ASSERT_EQ(folder, scratch.path / "config" / "autostart");

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
  const std::vector<std::pair<Env, fs::path>> folders{
      {{{"XDG_CONFIG_HOME", "relative"}, {"HOME", "/home/u"}}, "/home/u/.config/autostart"},
      {{{"HOME", "/home/u"}}, "/home/u/.config/autostart"},
      {{}, ""},
  };
  for (const auto& [vars, folder] : folders) EXPECT_EQ(AutostartEntry::folder_from_environment(lookup(vars)), folder);
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

TEST(DeskpalStartTest, DisplayMenuLanguageAndFrames) {
  // Environment, then the display choice, a note on standard error, and the
  // Traditional Chinese menu.
  using K = DisplayChoice::Kind;
  const std::vector<std::tuple<Env, K, bool, bool>> rows{
      {{}, K::NoDisplay, true, false},
      {{{"DISPLAY", ":0"}, {"LANG", "zh_TW.UTF-8"}}, K::Run, false, true},
      {{{"WAYLAND_DISPLAY", "w-0"}, {"DISPLAY", ":0"}, {"LC_ALL", "en_US.UTF-8"}, {"LANG", "zh_TW"}}, K::UseX11, false, false},
      {{{"WAYLAND_DISPLAY", "w-0"}, {"LC_MESSAGES", "zh_TW.Big5"}}, K::Run, true, true},
      {{{"WAYLAND_DISPLAY", "w-0"}, {"QT_QPA_PLATFORM", "wayland"}, {"LANG", "zh_CN.UTF-8"}}, K::Run, false, false},
  };
  for (const auto& [vars, kind, note, chinese] : rows) {
    const EnvironmentLookup env = lookup(vars);
    EXPECT_EQ(choose_display(env).kind, kind) << vars.size();
    EXPECT_EQ(choose_display(env).note.empty(), !note) << vars.size();
    EXPECT_EQ(traditional_chinese_locale(env), chinese) << vars.size();
  }

  std::vector<DeskpalFrame> frames = draw_deskpal_frames();
  EXPECT_EQ(frames_problem(frames), std::nullopt);
  // Nothing of the figure is cut off: at the frame's edges only its outline.
  int left = 0;
  while (!frames[40].opaque(left, 40)) ++left;
  const std::uint32_t outline = frames[40].at(left, 40);
  for (std::size_t k = 0; k < frames.size(); ++k) {
    for (int x = 0; x < 32; ++x) {
      for (int y = 0; y < 64; ++y) {
        const bool edge = x == 0 || x == 31 || y == 0 || y == 63;
        EXPECT_TRUE(!edge || !frames[k].opaque(x, y) || frames[k].at(x, y) == outline) << k;
      }
    }
  }
  frames[17].pixels.fill(0);
  EXPECT_EQ(frames_problem(frames), "deskpal: animation frame 17 is empty");
  frames.pop_back();
  EXPECT_TRUE(frames_problem(frames).has_value());
}

}  // namespace
}  // namespace phondeck
