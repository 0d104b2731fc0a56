#pragma once
// Changes single keys of a tv.dat in place: every other line (keys this
// program does not know among them) stays as it was.
#include <string>
#include <utility>
#include <vector>

namespace phondeck {

// Sets each key to its value: the file's lines of that key take the value,
// a key it lacks is appended (in the file's line ends); a missing file is
// made with just these keys. The file keeps its mode. False when it cannot
// be read or written.
bool set_configuration_keys(const std::string& path,
                            const std::vector<std::pair<std::string, std::string>>& keys);

// The same on a text.
std::string with_configuration_keys(const std::string& text,
                                    const std::vector<std::pair<std::string, std::string>>& keys);

}  // namespace phondeck
