#pragma once
// The program's version, as the windows' captions and `--version` show it,
// and what the build was made from.
#include <string>

namespace phondeck {

inline constexpr const char* kProductVersion = "v3.3";

// "v3.3 (commit 1a2b3c4, gcc 12.2.0, RelWithDebInfo)": the version, then the
// commit the build was configured at (when known), the compiler and the
// build type.
std::string version_text();

}  // namespace phondeck
