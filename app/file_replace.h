#pragma once
// Writing a file so that a failure half-way (a full disk, a killed process)
// never leaves it cut short: the bytes go to a temporary file beside it,
// which replaces it only once they are all on disk.
#include <cstddef>
#include <string>

namespace phondeck {

// Writes size bytes to temp_path, syncs them, then renames temp_path over
// path (keeping path's permissions when it exists). On failure path is left
// as it was, temp_path is removed, and the result is false.
bool replace_file(const std::string& path, const std::string& temp_path, const void* data,
                  std::size_t size);

}  // namespace phondeck
