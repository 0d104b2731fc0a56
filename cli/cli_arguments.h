#pragma once
// phondeck's command line: the global options, the subcommand named by one
// or two words, its own options and its operands. Knows nothing of what the
// subcommands do; cli_commands.cpp holds their table.
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace phondeck::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // refused, or the handset or a file failed
inline constexpr int kExitUsage = 2;

struct GlobalOptions {
  std::optional<std::string> device;  // --device PATH
  bool infrared = false;
  bool json = false;
  bool quiet = false;
  bool yes = false;
  std::optional<std::string> log_file;  // --log FILE: the link log, as it goes
  bool trace = false;                   // --trace: the link log on standard error
  bool version = false;                 // --version
};

struct OptionSpec {
  const char* name;        // "--text", "-o"
  bool takes_value;
  const char* alias = nullptr;  // another spelling ("--output")
};

struct CommandSpec {
  const char* words;    // "sms send": the family, then the action (if any)
  const char* usage;    // operands and options after the words
  const char* summary;  // one line
  const char* details;  // the rest of --help; may be empty
  std::vector<OptionSpec> options;
  int min_operands = 0;
  int max_operands = 0;  // -1: no limit
};

struct Invocation {
  GlobalOptions globals;
  const CommandSpec* command = nullptr;
  std::vector<std::string> operands;
  // Options given, by their first spelling; flags map to "".
  std::map<std::string, std::string> options;
  // --help: the command's help, or the family's (family set, no command), or
  // the overview (neither).
  bool help = false;
  std::string family;
  // Set on bad usage; the rest is then incomplete.
  std::string error;

  bool has(const std::string& option) const { return options.count(option) != 0; }
  std::string value(const std::string& option) const {
    auto it = options.find(option);
    return it == options.end() ? std::string() : it->second;
  }
};

// args: the words after the program name.
Invocation parse_arguments(const std::vector<std::string>& args, std::span<const CommandSpec> commands);

// "phondeck WORDS USAGE" and the summary; the options of every family.
std::string command_help(const CommandSpec& command);
std::string family_help(const std::string& family, std::span<const CommandSpec> commands);
std::string overview_help(std::span<const CommandSpec> commands);

}  // namespace phondeck::cli
