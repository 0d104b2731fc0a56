#include "app/help.h"

#include "app/language.h"
#include "app/program_folder.h"

namespace phondeck {

namespace {

HelpOpener*& current_opener() {
  static HelpOpener* opener = nullptr;
  return opener;
}

}  // namespace

void set_help_opener(HelpOpener* opener) { current_opener() = opener; }

std::string help_target(std::string_view argument, std::string_view program_folder,
                        std::string_view language_code) {
  if (argument.size() > 5 && argument.substr(0, 5) == "http:") return std::string(argument);
  std::string target(program_folder);
  if (!target.empty() && target.back() != '/') target += '/';
  target += "help/h_";
  target.append(language_code);
  target += ".htm";
  if (argument != "0") target.append(argument);
  return target;
}

void open_help(std::string_view argument) {
  HelpOpener* opener = current_opener();
  if (opener == nullptr) return;
  opener->open(help_target(argument, program_folder(), language().code));
}

}  // namespace phondeck
