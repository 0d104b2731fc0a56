#include "cli/cli_context.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace phondeck::cli {

namespace {

// Said when neither --device nor a tv.dat names the handset's device.
constexpr const char* kNoDevice =
    "no device is set: give --device PATH with the cable's device (such as /dev/ttyUSB0), or --device virtual "
    "to try the built-in handset; Device= in tv.dat (Telvane's Options) sets it for good";

}  // namespace

CliSession& Context::handset() {
  if (!session) {
    session = std::make_unique<CliSession>(terminal, inv.globals, device_unset ? kNoDevice : "");
    if (log_file != nullptr) log_file->follow(session->session().link().log());
  }
  return *session;
}

int usage(Context& c, const std::string& error) {
  c.terminal.err << "phondeck: " << error << "\n";
  if (c.inv.command != nullptr) {
    c.terminal.err << "Usage: phondeck " << c.inv.command->words << " " << c.inv.command->usage
                   << "\n(phondeck " << c.inv.command->words << " --help for more)\n";
  }
  return kExitUsage;
}

int failed(Context& c, const std::string& error) {
  c.terminal.err << "phondeck: " << error << "\n";
  return kExitFailed;
}

std::optional<int> number_in(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return std::nullopt;
    value = value * 10 + (ch - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::string two(int n) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

std::string date_text(int year, int month, int day) { return std::to_string(year) + "-" + two(month) + "-" + two(day); }

bool read_file(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  bytes = all.str();
  return !in.bad();
}

}  // namespace phondeck::cli
