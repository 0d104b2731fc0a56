#pragma once
// What Deskpal decides before it opens a window: the display to use, its
// menu's language and whether its frames can be shown.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "companion/autostart_entry.h"
#include "companion/deskpal_artwork.h"

namespace phondeck {

struct DisplayChoice {
  enum class Kind {
    Run,        // as the environment says
    UseX11,     // a Wayland session with XWayland: ask Qt for the X11 platform
    NoDisplay,  // no desktop session at all
  };
  Kind kind = Kind::Run;
  // A line for standard error, or empty.
  std::string note;
};

// A Wayland session lets no window place itself or stay on top, so Deskpal
// prefers XWayland there. An explicit QT_QPA_PLATFORM always wins.
DisplayChoice choose_display(const EnvironmentLookup& env);

// The menu in Traditional Chinese when the user's locale (LC_ALL, then
// LC_MESSAGES, then LANG) is zh_TW.
bool traditional_chinese_locale(const EnvironmentLookup& env);

struct DeskpalMenuTexts {
  const char* visit;
  const char* add_to_startup;
  const char* exit;
  // Messages of "Visit Web Site", each with the page's path for "%1".
  const char* page_missing;
  const char* no_browser;
};
DeskpalMenuTexts menu_texts(bool traditional_chinese);

// Where "Visit Web Site" looks for the help page: the program's own folder,
// then share/phondeck/ of the prefix whose bin/ holds the program.
std::vector<std::filesystem::path> deskpal_help_folders(const std::filesystem::path& program_folder);
inline constexpr const char* kDeskpalHelpPage = "help/h_en.htm";
// The help page in the first folder that holds it, or nothing.
std::optional<std::filesystem::path> deskpal_help_page(const std::vector<std::filesystem::path>& folders);

// Why the frames can not be used, or nothing when all 85 have a figure.
std::optional<std::string> frames_problem(const std::vector<DeskpalFrame>& frames);

}  // namespace phondeck
