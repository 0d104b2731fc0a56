#pragma once
// phondeck, the command-line tool: every handset operation scriptable over
// the same handset session as Telvane's windows. It holds no protocol of its
// own: each subcommand starts an operation of a family, or runs a window's
// logic class, and prints what the records hold afterwards.
#include <string>
#include <vector>

#include "cli/cli_session.h"

namespace phondeck::cli {

// args: the words after the program name. config_path: the tv.dat whose
// settings (Device and Port among them) apply before the global options.
// Returns the exit status: kExitOk, kExitFailed or kExitUsage.
// Every subcommand, in the order --help lists them.
const std::vector<CommandSpec>& phondeck_commands();

int run_phondeck(const std::vector<std::string>& args, Terminal& terminal, const std::string& config_path);

}  // namespace phondeck::cli
