#pragma once
// What a bug report about the link needs, as Help > Copy Diagnostics puts it
// on the clipboard: the version, the device and what it is, the media, the
// user and the groups, the last error and the last 50 frames.
#include <cstddef>
#include <string>
#include <vector>

namespace phondeck {

class LinkLog;

struct DiagnosticsFacts {
  std::string version;      // "Telvane v3.3 (...)"
  std::string device;       // the path opened, or "virtual"
  std::string device_is;    // what the device is (its by-id name, chip, driver)
  std::string media;        // "cable" or "infrared"
  std::string user;         // "alice (uid 1000)"
  std::string groups;       // "alice dialout plugdev", and those the account got since the login
  std::string last_error;   // empty: none
  std::vector<std::string> frames;  // the last frames' log lines, oldest first
};

inline constexpr std::size_t kDiagnosticFrames = 50;

// The facts of this process: the configured device and media, the user,
// the log's last error (or `last_error` when the log has none) and frames.
// program: "Telvane" or "phondeck".
DiagnosticsFacts gather_diagnostics(const std::string& program, const LinkLog& log,
                                    const std::string& last_error = {});

// The text for the clipboard, one fact a line, the frames after them.
std::string diagnostics_text(const DiagnosticsFacts& facts);

}  // namespace phondeck
