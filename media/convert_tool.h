#pragma once
// phondeck-convert: ringing tones and pictures converted on the command line.
#include <iosfwd>
#include <string>
#include <vector>

namespace phondeck {

// Runs the tool with its arguments (without the program name); returns the
// exit status: 0 on success, 1 on bad input, 2 on a usage error.
int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace phondeck
