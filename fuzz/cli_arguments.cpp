// phondeck's argument parser on arbitrary words (NUL-separated): a command
// with its operand counts met, or an error, never both; and its help.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/phondeck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck::cli;
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  const std::vector<CommandSpec>& commands = phondeck_commands();
  const Invocation inv = parse_arguments(args, commands);
  if (!inv.error.empty() || inv.help) return 0;
  if (inv.globals.version && inv.command == nullptr) return 0;  // --version alone
  if (inv.command == nullptr) std::abort();
  const int count = static_cast<int>(inv.operands.size());
  if (count < inv.command->min_operands) std::abort();
  if (inv.command->max_operands >= 0 && count > inv.command->max_operands) std::abort();
  for (const auto& [name, value] : inv.options) {
    bool known = false;
    for (const OptionSpec& o : inv.command->options) known = known || name == o.name;
    if (!known) std::abort();
  }
  if (command_help(*inv.command).empty()) std::abort();
  return 0;
}
