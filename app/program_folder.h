#pragma once
// The folder that holds the running program file.
#include <string>

namespace phondeck {

// The folder of /proc/self/exe with a trailing "/", or "./" when the link
// cannot be read.
std::string program_folder();

}  // namespace phondeck
