#pragma once
// Language libraries ("l_zh_tw.dll", "l_zh_cn.dll", "l_fr.dll"): UTF-8 text
// files holding texts under the ids of the TextTable. The first line is the
// marker line below (an optional UTF-8 byte-order mark before it is allowed);
// every further line is in text-line form (text_lines.h).
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/text_table.h"

namespace phondeck {

inline constexpr std::string_view kLanguageLibraryMarker = "PHONDECK-LANGUAGE 1";

// Fills all 4000 ids of `table` from a library's content (ids the library does
// not hold become empty). Returns false, leaving `table` untouched, when the
// content is not a language library. Invalid UTF-8 is replaced by U+FFFD.
bool read_language_library(std::string_view content, TextTable& table);

// Reads the library file at `path` into `table`; false when it cannot be read
// or is not a library (the table is then untouched).
bool load_language_library(const std::string& path, TextTable& table);

// The content of a library holding `texts`.
std::string language_library_text(const std::map<int, std::string>& texts);

// The folders searched for a library, in order. By default: the program's
// folder, the installed data folder, the folders of LD_LIBRARY_PATH, then
// /usr/local/lib and /usr/lib.
void set_language_search_path(std::vector<std::string> folders);
void reset_language_search_path();
std::vector<std::string> language_search_path();

// The path of the first regular file named `file_name` in the search path.
std::optional<std::string> find_language_library(std::string_view file_name);

}  // namespace phondeck
