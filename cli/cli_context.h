#pragma once
// What every subcommand's handler works with: the invocation, the terminal,
// the output and the session made on first use; and the small helpers the
// handlers share (errors with their exit status, numbers and dates in the
// forms the command line takes and prints, files read whole).
//
// A handler is `int NAME(Context&)` returning kExitOk, kExitFailed or
// kExitUsage. The handlers of one area live in cli/cli_AREA.cpp and are
// declared in cli/cli_AREA.h; cli_commands.cpp includes those headers and
// names the handlers in its one table of subcommands.
#include <memory>
#include <optional>
#include <string>

#include "cli/cli_arguments.h"
#include "cli/cli_output.h"
#include "cli/cli_session.h"

namespace phondeck::cli {

struct Context {
  Invocation& inv;
  Terminal& terminal;
  Output out;
  std::unique_ptr<CliSession> session;
  bool device_unset = false;  // no --device, no tv.dat: the default port
  LinkLogFile* log_file = nullptr;  // --log: the session's link log goes here

  // The session, made on first use; not yet connected.
  CliSession& handset();
  // The connected session, or nullptr (the reason already shown).
  CliSession* connected() { return handset().connect() ? session.get() : nullptr; }
};

// Tells the error and the command's usage; returns kExitUsage.
int usage(Context& c, const std::string& error);
// Tells the error; returns kExitFailed.
int failed(Context& c, const std::string& error);

// A whole decimal number within [low, high].
std::optional<int> number_in(const std::string& text, int low, int high);

// Two digits at least: 7 -> "07".
std::string two(int n);
// "YYYY-MM-DD".
std::string date_text(int year, int month, int day);

// The whole file; false when it cannot be read.
bool read_file(const std::string& path, std::string& bytes);

}  // namespace phondeck::cli
