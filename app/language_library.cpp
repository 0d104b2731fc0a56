#include "app/language_library.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/code_page.h"
#include "app/program_folder.h"
#include "app/text_lines.h"

namespace phondeck {

namespace {

std::optional<std::vector<std::string>>& search_override() {
  static std::optional<std::vector<std::string>> folders;
  return folders;
}

// The content after the marker line, or nothing when the marker is missing.
std::optional<std::string_view> body_after_marker(std::string_view content) {
  constexpr std::string_view bom = "\xEF\xBB\xBF";
  if (content.substr(0, bom.size()) == bom) content.remove_prefix(bom.size());
  const std::size_t end = content.find('\n');
  std::string_view first = content.substr(0, end);
  if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
  if (first != kLanguageLibraryMarker) return std::nullopt;
  return end == std::string_view::npos ? std::string_view{} : content.substr(end + 1);
}

}  // namespace

bool read_language_library(std::string_view content, TextTable& table) {
  const auto body = body_after_marker(content);
  if (!body) return false;
  table.clear();
  parse_text_lines(*body, TextTable::kCount - 1, [&table](int id, std::string text) {
    table.set(id, code_points_to_utf8(utf8_to_code_points(text)));
  });
  return true;
}

bool load_language_library(const std::string& path, TextTable& table) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return false;
  return read_language_library(ss.str(), table);
}

std::string language_library_text(const std::map<int, std::string>& texts) {
  std::string out(kLanguageLibraryMarker);
  out += '\n';
  for (const auto& [id, text] : texts) {
    out += std::to_string(id);
    out += '\t';
    out += escape_text(text);
    out += '\n';
  }
  return out;
}

void set_language_search_path(std::vector<std::string> folders) {
  search_override() = std::move(folders);
}

void reset_language_search_path() { search_override().reset(); }

std::vector<std::string> language_search_path() {
  if (search_override()) return *search_override();
  std::vector<std::string> folders{program_folder(), installed_data_folder()};
  if (const char* env = std::getenv("LD_LIBRARY_PATH")) {
    std::string_view list = env;
    while (!list.empty()) {
      const std::size_t colon = list.find(':');
      const std::string_view folder = list.substr(0, colon);
      if (!folder.empty()) folders.emplace_back(folder);
      if (colon == std::string_view::npos) break;
      list.remove_prefix(colon + 1);
    }
  }
  folders.emplace_back("/usr/local/lib");
  folders.emplace_back("/usr/lib");
  return folders;
}

std::optional<std::string> find_language_library(std::string_view file_name) {
  const auto folder = first_folder_holding(language_search_path(), file_name);
  if (!folder) return std::nullopt;
  return (std::filesystem::path(*folder) / std::string(file_name)).string();
}

}  // namespace phondeck
