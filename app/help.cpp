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
  // The program's own folder first, then the installed data folder; a page
  // found in neither is still looked for beside the program.
  const std::string code = language().code;
  const auto folder = first_folder_holding({program_folder(), installed_data_folder()},
                                           "help/h_" + code + ".htm");
  opener->open(help_target(argument, folder.value_or(program_folder()), code));
}

}  // namespace phondeck
