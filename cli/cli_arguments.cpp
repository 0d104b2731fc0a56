#include "cli/cli_arguments.h"

#include <algorithm>
#include <cstring>

namespace phondeck::cli {

namespace {

const char kGlobalHelp[] =
    "Global options (before or after the command):\n"
    "  --device PATH   the serial device, or virtual[:MODEL] for the built-in\n"
    "                  handset (default: Device, else Port, of tv.dat)\n"
    "  --infrared      talk through an infrared adapter, not the cable\n"
    "  --json          machine-readable output: one JSON object per line\n"
    "  --quiet         no progress bar and no summary lines\n"
    "  --yes           answer Yes to the questions the handset commands ask\n"
    "                  (without it they are asked on a terminal, else refused)\n"
    "  --log FILE      write every frame to and from the handset to FILE as it\n"
    "                  goes (readable by you only: it holds names and numbers)\n"
    "  --trace         the same lines on standard error\n"
    "  --version       the version and the build\n"
    "  -h, --help      this help, or a command's\n";

std::string first_word(const char* words) {
  const char* space = std::strchr(words, ' ');
  return space ? std::string(words, space) : std::string(words);
}

bool has_action(const CommandSpec& c) { return std::strchr(c.words, ' ') != nullptr; }

// Splits "--name=value"; value is empty and has_value false without "=".
struct OptionWord {
  std::string name;
  std::string value;
  bool has_value = false;
};

OptionWord split_option(const std::string& arg) {
  OptionWord w;
  const std::size_t eq = arg.find('=');
  if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
    w.name = arg.substr(0, eq);
    w.value = arg.substr(eq + 1);
    w.has_value = true;
  } else {
    w.name = arg;
  }
  return w;
}

// A global option at args[i] (advancing i past a value): true when taken.
bool take_global(const std::vector<std::string>& args, std::size_t& i, Invocation& inv) {
  const OptionWord w = split_option(args[i]);
  std::optional<std::string>* path = w.name == "--device" ? &inv.globals.device
                                     : w.name == "--log"  ? &inv.globals.log_file
                                                          : nullptr;
  if (path != nullptr) {
    if (w.has_value) {
      *path = w.value;
    } else if (i + 1 < args.size()) {
      *path = args[++i];
    } else {
      inv.error = w.name + " needs a path";
    }
    if (*path && (*path)->empty() && inv.error.empty()) inv.error = w.name + " needs a path";
    return true;
  }
  bool* flag = w.name == "--infrared" ? &inv.globals.infrared
               : w.name == "--json"   ? &inv.globals.json
               : w.name == "--quiet"  ? &inv.globals.quiet
               : w.name == "--yes"    ? &inv.globals.yes
               : w.name == "--trace"  ? &inv.globals.trace
               : w.name == "--version" ? &inv.globals.version
               : w.name == "-q"       ? &inv.globals.quiet
               : w.name == "-y"       ? &inv.globals.yes
                                      : nullptr;
  if (flag != nullptr) {
    if (w.has_value) inv.error = w.name + " takes no value";
    *flag = true;
    return true;
  }
  if (w.name == "--help" || w.name == "-h") {
    inv.help = true;
    return true;
  }
  return false;
}

}  // namespace

Invocation parse_arguments(const std::vector<std::string>& args, std::span<const CommandSpec> commands) {
  Invocation inv;
  std::size_t i = 0;
  auto is_option = [](const std::string& a) { return a.size() > 1 && a[0] == '-'; };
  for (; i < args.size() && is_option(args[i]) && args[i] != "--"; ++i) {
    if (!take_global(args, i, inv)) {
      inv.error = "unknown option " + args[i];
      return inv;
    }
    if (!inv.error.empty()) return inv;
  }
  if (i < args.size() && args[i] == "--") ++i;
  if (i == args.size()) {
    if (!inv.help && !inv.globals.version) inv.error = "no command given";
    return inv;
  }

  const std::string family = args[i++];
  std::vector<const CommandSpec*> members;
  for (const CommandSpec& c : commands) {
    if (first_word(c.words) == family) members.push_back(&c);
  }
  if (members.empty()) {
    inv.error = "unknown command " + family;
    return inv;
  }
  inv.family = family;
  if (members.size() == 1 && !has_action(*members.front())) {
    inv.command = members.front();
  } else {
    // The action is the next word that is not an option.
    std::size_t j = i;
    while (j < args.size() && is_option(args[j])) {
      if (take_global(args, j, inv)) {
        if (!inv.error.empty()) return inv;
        ++j;
        continue;
      }
      inv.error = "unknown option " + args[j];
      return inv;
    }
    if (j == args.size()) {
      if (inv.help) return inv;
      std::string actions;
      for (const CommandSpec* c : members) {
        actions += (actions.empty() ? "" : ", ") + std::string(c->words + family.size() + 1);
      }
      inv.error = family + " needs one of: " + actions;
      return inv;
    }
    const std::string words = family + " " + args[j];
    for (const CommandSpec* c : members) {
      if (words == c->words) inv.command = c;
    }
    if (inv.command == nullptr) {
      inv.error = "unknown command " + words;
      return inv;
    }
    i = j + 1;
  }

  bool operands_only = false;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (operands_only || !is_option(arg)) {
      inv.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      operands_only = true;
      continue;
    }
    const OptionWord w = split_option(arg);
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& o : inv.command->options) {
      if (w.name == o.name || (o.alias != nullptr && w.name == o.alias)) spec = &o;
    }
    if (spec == nullptr) {
      if (take_global(args, i, inv)) {
        if (!inv.error.empty()) return inv;
        continue;
      }
      inv.error = "unknown option " + arg + " for " + inv.command->words;
      return inv;
    }
    std::string value;
    if (spec->takes_value) {
      if (w.has_value) {
        value = w.value;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        inv.error = w.name + " needs a value";
        return inv;
      }
    } else if (w.has_value) {
      inv.error = w.name + " takes no value";
      return inv;
    }
    if (inv.options.count(spec->name) != 0) {
      inv.error = w.name + " given twice";
      return inv;
    }
    inv.options[spec->name] = value;
  }
  if (inv.help) return inv;
  const int count = static_cast<int>(inv.operands.size());
  if (count < inv.command->min_operands) {
    inv.error = std::string(inv.command->words) + ": too few operands";
  } else if (inv.command->max_operands >= 0 && count > inv.command->max_operands) {
    inv.error = std::string(inv.command->words) + ": unexpected " + inv.operands[static_cast<std::size_t>(
                    inv.command->max_operands)];
  }
  return inv;
}

std::string command_help(const CommandSpec& command) {
  std::string text = "Usage: phondeck [global options] " + std::string(command.words);
  if (*command.usage != '\0') text += " " + std::string(command.usage);
  text += "\n" + std::string(command.summary) + "\n";
  if (*command.details != '\0') text += "\n" + std::string(command.details);
  return text + "\n" + kGlobalHelp;
}

std::string family_help(const std::string& family, std::span<const CommandSpec> commands) {
  std::string text = "Usage:\n";
  for (const CommandSpec& c : commands) {
    if (first_word(c.words) != family) continue;
    text += "  phondeck " + std::string(c.words);
    if (*c.usage != '\0') text += " " + std::string(c.usage);
    text += "\n      " + std::string(c.summary) + "\n";
  }
  return text + "\nSee phondeck " + family + " ACTION --help for one command.\n\n" + kGlobalHelp;
}

std::string overview_help(std::span<const CommandSpec> commands) {
  std::string text =
      "Usage: phondeck [global options] COMMAND [options] [operands]\n"
      "Reads and writes a handset's phone book, messages, calendar and settings\n"
      "from scripts. Exit status: 0 done, 1 refused or failed (the reason on\n"
      "standard error), 2 bad usage.\n\nCommands:\n";
  for (const CommandSpec& c : commands) {
    std::string line = "  " + std::string(c.words);
    if (*c.usage != '\0') line += " " + std::string(c.usage);
    text += line + "\n";
  }
  return text + "\nphondeck COMMAND --help describes a command.\n\n" + kGlobalHelp;
}

}  // namespace phondeck::cli
