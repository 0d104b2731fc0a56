// The areas' rules, checked on the sources themselves. Each area is declared
// by a phondeck_area(NAME uses...) line of the build (CMakeLists.txt, or an
// area's module.cmake); the library in NAME/ includes only headers of NAME
// and of the areas it builds on, never a qt/ header, nor anything of a folder
// that is no area (tests, bench, ...). A window area NAME/qt/ includes NAME
// and what it builds on, the session and what it builds on, and of the qt/
// folders only its own and the shared one (session/qt); the composition root
// (telvane/) and a main/ folder may use any area. No source file outside
// tests/ passes 800 lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLineLimit = 800;

// Area name -> the areas its phondeck_area line names.
using Areas = std::map<std::string, std::vector<std::string>>;

std::vector<std::string> lines_of(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The text after `prefix` (blanks before it skipped), or nothing.
std::optional<std::string_view> after(std::string_view line, std::string_view prefix) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos || !line.substr(start).starts_with(prefix)) return std::nullopt;
  return line.substr(start + prefix.size());
}

void read_area_lines(const fs::path& file, Areas& areas) {
  for (const std::string& line : lines_of(file)) {
    const std::optional<std::string_view> call = after(line, "phondeck_area(");
    if (!call) continue;
    std::istringstream words(std::string(call->substr(0, call->find(')'))));
    std::string name;
    words >> name;
    std::vector<std::string>& uses = areas[name];
    for (std::string dep; words >> dep;) uses.push_back(dep);
  }
}

// The header of an #include "..." line, or nothing.
std::optional<std::string> included(std::string_view line) {
  std::optional<std::string_view> rest = after(line, "#");
  if (rest) rest = after(*rest, "include");
  if (rest) rest = after(*rest, "\"");
  if (!rest) return std::nullopt;
  const std::size_t end = rest->find('"');
  if (end == std::string_view::npos) return std::nullopt;
  return std::string(rest->substr(0, end));
}

Areas declared_areas(const fs::path& root) {
  Areas areas;
  read_area_lines(root / "CMakeLists.txt", areas);
  for (const fs::directory_entry& dir : fs::directory_iterator(root)) {
    if (dir.is_directory() && fs::exists(dir.path() / "module.cmake")) read_area_lines(dir.path() / "module.cmake", areas);
  }
  return areas;
}

// The area and every area it builds on, directly or through another.
std::set<std::string> reachable(const Areas& areas, const std::string& from) {
  std::set<std::string> seen{from};
  std::vector<std::string> next{from};
  while (!next.empty()) {
    const std::string area = next.back();
    next.pop_back();
    const auto it = areas.find(area);
    if (it == areas.end()) continue;
    for (const std::string& dep : it->second) {
      if (seen.insert(dep).second) next.push_back(dep);
    }
  }
  return seen;
}

// Names used that no line declares, and areas that use one that uses them.
std::vector<std::string> declaration_problems(const Areas& areas) {
  std::vector<std::string> problems;
  for (const auto& [name, uses] : areas) {
    for (const std::string& dep : uses) {
      if (areas.count(dep) == 0) problems.push_back(name + " uses " + dep + ", which is no area");
      if (dep == name || reachable(areas, dep).count(name) != 0) problems.push_back(name + " and " + dep + " use each other");
    }
  }
  return problems;
}

bool is_source(const fs::path& path) {
  const std::string ext = path.extension().string();
  return ext == ".cpp" || ext == ".h" || ext == ".hpp" || ext == ".cc";
}

// The index'th folder of a path ("" when the path has no folder there).
std::string component(const std::string& path, std::size_t index) {
  std::size_t from = 0;
  for (std::size_t i = 0; i < index; ++i) {
    from = path.find('/', from);
    if (from == std::string::npos) return {};
    ++from;
  }
  const std::size_t end = path.find('/', from);
  return end == std::string::npos ? std::string() : path.substr(from, end - from);
}

// "file:line: includes X" for every include a library's file may not make.
std::vector<std::string> include_violations(const fs::path& root, const Areas& areas) {
  std::vector<std::string> found;
  for (const auto& declared : areas) {
    const std::string& area = declared.first;
    if (!fs::is_directory(root / area)) continue;
    const std::set<std::string> allowed = reachable(areas, area);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / area)) {
      if (!entry.is_regular_file() || !is_source(entry.path())) continue;
      const std::string file = fs::relative(entry.path(), root).generic_string();
      // A window or a program may use any area.
      const std::string folder = component(file, 1);
      if (folder == "qt" || folder == "main") continue;
      const std::vector<std::string> lines = lines_of(entry.path());
      for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::optional<std::string> header = included(lines[n]);
        if (!header) continue;
        const std::string top = component(*header, 0);
        if (top.empty()) continue;
        const bool is_area = areas.count(top) != 0;
        const bool wrong = is_area ? allowed.count(top) == 0 || component(*header, 1) == "qt"
                                   : fs::is_directory(root / top);
        if (wrong) found.push_back(file + ":" + std::to_string(n + 1) + ": includes " + *header);
      }
    }
  }
  return found;
}

// The area whose qt/ folder every window area may use, and whose library
// (with what it builds on) every window may include.
constexpr const char* kSharedWindowArea = "session";

// "file:line: includes X" for every include a window area (AREA/qt/) may not
// make: a header of an area neither AREA nor `shared` builds on, of another
// area's qt/ folder than the shared one, or of a folder that is no area.
std::vector<std::string> window_include_violations(const fs::path& root, const Areas& areas,
                                                   const std::string& shared = kSharedWindowArea) {
  std::vector<std::string> found;
  const std::set<std::string> for_every_window = reachable(areas, shared);
  for (const auto& declared : areas) {
    const std::string& area = declared.first;
    if (!fs::is_directory(root / area / "qt")) continue;
    std::set<std::string> allowed = reachable(areas, area);
    allowed.insert(for_every_window.begin(), for_every_window.end());
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / area / "qt")) {
      if (!entry.is_regular_file() || !is_source(entry.path())) continue;
      const std::string file = fs::relative(entry.path(), root).generic_string();
      const std::vector<std::string> lines = lines_of(entry.path());
      for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::optional<std::string> header = included(lines[n]);
        if (!header) continue;
        const std::string top = component(*header, 0);
        if (top.empty()) continue;
        bool wrong = false;
        if (areas.count(top) == 0) {
          wrong = fs::is_directory(root / top);
        } else if (component(*header, 1) == "qt") {
          wrong = top != area && top != shared;
        } else {
          wrong = allowed.count(top) == 0;
        }
        if (wrong) found.push_back(file + ":" + std::to_string(n + 1) + ": includes " + *header);
      }
    }
  }
  return found;
}

// "file: N lines" for every source file outside tests/ (and outside build
// trees) longer than the limit.
std::vector<std::string> oversized_files(const fs::path& root, std::size_t limit) {
  std::vector<std::string> found;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path& path = it->path();
    if (it->is_directory()) {
      const std::string name = path.filename().string();
      const bool skipped = (it.depth() == 0 && name == "tests") || name.starts_with(".") ||
                           fs::exists(path / "CMakeCache.txt");
      if (skipped) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file() || !is_source(path)) continue;
    const std::size_t count = lines_of(path).size();
    if (count > limit) found.push_back(fs::relative(path, root).generic_string() + ": " + std::to_string(count) + " lines");
  }
  return found;
}

std::string listed(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += "\n  " + item;
  return out;
}

TEST(Architecture, LibrariesIncludeOnlyTheAreasTheyBuildOn) {
  const fs::path root = PHONDECK_SOURCE_DIR;
  const Areas areas = declared_areas(root);
  ASSERT_EQ(areas.count("app"), 1u);
  EXPECT_TRUE(areas.at("app").empty());
  const std::vector<std::string> problems = declaration_problems(areas);
  EXPECT_TRUE(problems.empty()) << listed(problems);
  const std::vector<std::string> violations = include_violations(root, areas);
  EXPECT_TRUE(violations.empty()) << listed(violations);
}

TEST(Architecture, WindowsIncludeTheirOwnAreaTheSharedQtAreaAndTheSession) {
  const fs::path root = PHONDECK_SOURCE_DIR;
  const Areas areas = declared_areas(root);
  ASSERT_EQ(areas.count(kSharedWindowArea), 1u);
  EXPECT_TRUE(fs::is_directory(root / kSharedWindowArea / "qt"));
  const std::vector<std::string> violations = window_include_violations(root, areas);
  EXPECT_TRUE(violations.empty()) << listed(violations);
}

TEST(Architecture, NoSourceFileOutsideTheTestsPassesTheLineLimit) {
  const std::vector<std::string> oversized = oversized_files(PHONDECK_SOURCE_DIR, kLineLimit);
  EXPECT_TRUE(oversized.empty()) << listed(oversized);
}

// A scratch source tree with one area above another, and files that break
// the rules beside files that keep them.
class ScratchTree {
 public:
  ScratchTree() {
    std::string pattern = (fs::temp_directory_path() / "phondeck-architecture-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
  }
  ~ScratchTree() {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  const fs::path& root() const { return root_; }
  void write(const std::string& file, const std::string& text) const {
    fs::create_directories((root_ / file).parent_path());
    std::ofstream(root_ / file) << text;
  }

 private:
  fs::path root_;
};

TEST(Architecture, TheChecksFindWrongIncludesAndLongFiles) {
  ScratchTree tree;
  ASSERT_FALSE(tree.root().empty());
  tree.write("CMakeLists.txt",
             "# phondeck_area(commented out)\n"
             "phondeck_area(low)\n"
             "phondeck_area(mid low)\n"
             "  phondeck_area(high mid)\n");
  tree.write("side/module.cmake", "phondeck_area(side)\n");
  tree.write("tests/t.h", "");
  struct Case {
    const char* file;
    const char* line;
    const char* wrong;  // the header the check names, or nullptr
  };
  const std::vector<Case> cases{
      {"high/a.cpp", "#include \"mid/m.h\"", nullptr},
      {"high/b.cpp", "#include \"low/l.h\"", nullptr},  // through mid
      {"high/c.cpp", "  #  include \"high/h.h\"", nullptr},
      {"high/d.cpp", "#include <low/l.h>", nullptr},  // no header of the tree
      {"high/e.cpp", "#include \"generated/texts.h\"", nullptr},
      {"low/a.h", "#include \"mid/m.h\"", "mid/m.h"},
      {"low/b.cpp", "#include \"high/h.h\"", "high/h.h"},
      {"low/c.cpp", "// #include \"high/h.h\"", nullptr},
      {"mid/a.cpp", "#include \"side/s.h\"", "side/s.h"},
      {"mid/b.cpp", "#include \"low/qt/window.h\"", "low/qt/window.h"},
      {"mid/c.cpp", "#include \"mid/qt/window.h\"", "mid/qt/window.h"},
      {"mid/d.cpp", "#include \"tests/t.h\"", "tests/t.h"},
      {"mid/tool/e.cpp", "#include \"high/h.h\"", "high/h.h"},
      {"low/qt/window.cpp", "#include \"high/h.h\"", nullptr},
      {"low/main/program.cpp", "#include \"side/s.h\"", nullptr},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    tree.write(c.file, "// one line before\n" + std::string(c.line) + "\n");
    if (c.wrong != nullptr) expected.push_back(std::string(c.file) + ":2: includes " + c.wrong);
  }
  const Areas areas = declared_areas(tree.root());
  EXPECT_EQ(areas, (Areas{{"low", {}}, {"mid", {"low"}}, {"high", {"mid"}}, {"side", {}}}));
  std::vector<std::string> found = include_violations(tree.root(), areas);
  std::sort(found.begin(), found.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);

  // An area that names one above it, or one that does not exist.
  Areas tangled = areas;
  tangled["low"].push_back("high");
  tangled["side"].push_back("nowhere");
  EXPECT_EQ(declaration_problems(tangled),
            (std::vector<std::string>{"high and mid use each other", "low and high use each other",
                                      "mid and low use each other", "side uses nowhere, which is no area"}));

  const std::string lines(kLineLimit, '\n');
  tree.write("low/limit.cpp", lines);
  tree.write("low/over.h", lines + "\n");
  tree.write("tests/long_test.cpp", lines + "\n");
  tree.write("build/CMakeCache.txt", "");
  tree.write("build/generated/long.cpp", lines + "\n");
  EXPECT_EQ(oversized_files(tree.root(), kLineLimit), std::vector<std::string>{"low/over.h: 801 lines"});
}

// Window areas over the scratch tree's three areas, `mid` standing for the
// session: mid/qt is the shared Qt area, low/qt and high/qt window areas.
TEST(Architecture, TheWindowCheckFindsWindowsReachingPastTheirAreas) {
  ScratchTree tree;
  ASSERT_FALSE(tree.root().empty());
  tree.write("CMakeLists.txt", "phondeck_area(low)\nphondeck_area(mid low)\nphondeck_area(high mid)\nphondeck_area(side)\n");
  tree.write("root/r.h", "");
  struct Case {
    const char* file;
    const char* header;  // quoted, or <...>
    bool wrong;
  };
  const std::vector<Case> cases{
      {"high/qt/a.cpp", "high/h.h", false},
      {"high/qt/b.cpp", "low/l.h", false},  // what high builds on
      {"high/qt/c.cpp", "high/qt/w.h", false},
      {"high/qt/d.cpp", "mid/qt/shared.h", false},
      {"high/qt/e.cpp", "low/qt/w.h", true},  // another window area
      {"high/qt/f.cpp", "root/r.h", true},    // no area: the composition root
      {"high/qt/g.cpp", "<QWidget>", false},
      {"low/qt/a.cpp", "mid/m.h", false},  // the session, though above low
      {"low/qt/b.cpp", "high/h.h", true},
      {"low/qt/c.cpp", "side/s.h", true},
      {"low/qt/sub/d.cpp", "high/qt/w.h", true},
      {"mid/qt/a.cpp", "low/l.h", false},
      {"mid/qt/b.cpp", "high/qt/w.h", true},  // the shared area uses no window
      {"mid/qt/c.cpp", "high/h.h", true},
      {"high/e.cpp", "low/qt/w.h", false},  // a library: the other check's
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    const std::string header = c.header;
    const std::string quoted = header.front() == '<' ? header : "\"" + header + "\"";
    tree.write(c.file, "// one line before\n#include " + quoted + "\n");
    if (c.wrong) expected.push_back(std::string(c.file) + ":2: includes " + header);
  }
  std::vector<std::string> found = window_include_violations(tree.root(), declared_areas(tree.root()), "mid");
  std::sort(found.begin(), found.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);
}

}  // namespace
