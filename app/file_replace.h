#pragma once
// Writing a file so that a failure half-way (a full disk, a killed process)
// never leaves it cut short: the bytes go to a temporary file beside it,
// which replaces it only once they are all on disk.
#include <cstddef>
#include <string>

namespace phondeck {

// Who may read the file written.
enum class FileAccess {
  Shared,  // as the umask allows (settings, pictures, tones)
  Owner,   // the owner only, 0600: a person's contacts, messages and notes
};

// Writes size bytes to temp_path, syncs them, then renames temp_path over
// path (keeping path's permissions when it exists; with FileAccess::Owner
// only their owner's part, and 0600 for a new file whatever the umask). On
// failure path is left as it was, temp_path is removed, and the result is
// false.
bool replace_file(const std::string& path, const std::string& temp_path, const void* data,
                  std::size_t size, FileAccess access = FileAccess::Shared);

}  // namespace phondeck
