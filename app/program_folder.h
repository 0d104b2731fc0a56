#pragma once
// The folder that holds the running program file, and the installed data
// folder beside it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phondeck {

// The folder of /proc/self/exe with a trailing "/", or "./" when the link
// cannot be read.
std::string program_folder();

// Where an installation keeps the help pages and language libraries:
// share/phondeck/ of the prefix the program's bin/ folder belongs to (for
// /usr/bin/telvane, "/usr/share/phondeck/"), with a trailing "/".
std::string installed_data_folder();

// The first of `folders` that holds `relative` as a regular file.
std::optional<std::string> first_folder_holding(const std::vector<std::string>& folders,
                                                std::string_view relative);

}  // namespace phondeck
