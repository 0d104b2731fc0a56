#pragma once
// Help pages: "help/h_<language code>.htm" in the program's folder or the
// installed data folder, or a web address, opened with the desktop's default
// handler.
#include <string>
#include <string_view>

namespace phondeck {

// Opens a help target with the program the desktop associates with it. The
// target is either a web address ("http:...") or a local page path that may
// carry an anchor ("/opt/phondeck/help/h_en.htm#field"); an implementation
// splits the anchor off before turning the path into a file URL.
class HelpOpener {
 public:
  virtual ~HelpOpener() = default;
  virtual void open(const std::string& target) = 0;
};

// The opener open_help hands its target to; none at start (open_help then
// does nothing). The caller keeps the opener alive.
void set_help_opener(HelpOpener* opener);

// The target for an argument: a web address longer than 5 characters that
// begins with "http:" is taken as it stands; otherwise the page
// program_folder + "help/h_" + code + ".htm", followed by the argument unless
// it is "0".
std::string help_target(std::string_view argument, std::string_view program_folder,
                        std::string_view language_code);

// Opens the help page for the argument ("0" the page itself, "#field" an
// anchor on it) in the current language, from the first of the program's
// folder and the installed data folder that holds the page. Nothing is
// reported when no program handles the target.
void open_help(std::string_view argument);

}  // namespace phondeck
