#pragma once
// Finding and starting another program, detached from Deskpal.
#include <filesystem>
#include <string>

namespace phondeck {

// `name` in `own_folder` first, then in each folder of `search_path` (a
// PATH value; empty entries are skipped rather than read as the current
// folder). Empty when no executable file of that name is found.
std::filesystem::path find_program(const std::string& name, const std::filesystem::path& own_folder,
                                   const std::string& search_path);

// Starts `program` without arguments in a new session (its own process
// group), not a child of ours; it keeps our working folder and environment.
// True when the program was executed.
bool start_detached(const std::filesystem::path& program);

}  // namespace phondeck
