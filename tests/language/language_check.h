#pragma once
// The rules a language library keeps against the English table: the same ids
// (and the entry editor's insert buttons for Chinese), each text's
// placeholders and accelerator, one accelerator per item of a menu, and the
// text table's byte limit.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace phondeck::language_check {

struct Texts {
  std::map<int, std::string> by_id;
  std::vector<std::string> problems;  // lines that are no text line, repeated ids
};

// Text lines (text_lines.h form); `library` expects the marker line first.
Texts read_texts(std::string_view content, bool library);

// The accelerator of a text: the character after the first single "&" (not
// "&&", not a blank), lower case; 0 for none.
char32_t accelerator(std::string_view text);

// The items of each menu the program builds, by text id, with a name for
// the report.
struct Menu {
  std::string name;
  std::vector<int> items;
};
std::vector<Menu> program_menus();

// Every rule `library` (named `name` in the report) breaks against `english`,
// one line each, naming the id and the rule. `insert_buttons`: the library
// must also hold the entry editor's ids 400 to 409.
std::vector<std::string> check_library(const std::string& name, std::string_view library,
                                       const Texts& english, const std::vector<Menu>& menus,
                                       bool insert_buttons);

}  // namespace phondeck::language_check
