#include "companion/deskpal_start.h"

#include <string_view>

#include "companion/deskpal_animation.h"

namespace phondeck {

namespace {

bool set(const EnvironmentLookup& env, const char* name) {
  const char* value = env(name);
  return value && value[0] != '\0';
}

}  // namespace

DisplayChoice choose_display(const EnvironmentLookup& env) {
  if (set(env, "QT_QPA_PLATFORM")) return {};
  const bool x11 = set(env, "DISPLAY");
  const bool wayland = set(env, "WAYLAND_DISPLAY");
  if (!x11 && !wayland) {
    return {DisplayChoice::Kind::NoDisplay,
            "deskpal: there is no display (DISPLAY and WAYLAND_DISPLAY are not set). Deskpal is a desktop "
            "companion: start it from a desktop session, or on a virtual display with \"xvfb-run -a deskpal\"."};
  }
  if (!wayland) return {};
  if (x11) return {DisplayChoice::Kind::UseX11, {}};
  return {DisplayChoice::Kind::Run,
          "deskpal: this Wayland session has no X11 display (XWayland), so the figure can neither place "
          "itself nor stay on top of other windows."};
}

bool traditional_chinese_locale(const EnvironmentLookup& env) {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (!set(env, name)) continue;
    const std::string_view value = env(name);
    return value.substr(0, 5) == "zh_TW";
  }
  return false;
}

DeskpalMenuTexts menu_texts(bool traditional_chinese) {
  if (traditional_chinese) {
    return {"連結到網站", "加入啟動群組", "關閉程式", "找不到說明頁：\n%1", "無法啟動瀏覽器來顯示說明頁：\n%1"};
  }
  return {"Visit Web Site", "Add to Startup", "Exit Program", "The help page is missing:\n%1",
          "No browser could be started to show the help page:\n%1"};
}

std::vector<std::filesystem::path> deskpal_help_folders(const std::filesystem::path& program_folder) {
  return {program_folder, (program_folder / ".." / "share" / "phondeck").lexically_normal()};
}

std::optional<std::filesystem::path> deskpal_help_page(const std::vector<std::filesystem::path>& folders) {
  for (const std::filesystem::path& folder : folders) {
    std::error_code error;
    const std::filesystem::path page = folder / kDeskpalHelpPage;
    if (std::filesystem::is_regular_file(page, error)) return page;
  }
  return std::nullopt;
}

std::optional<std::string> frames_problem(const std::vector<DeskpalFrame>& frames) {
  if (frames.size() != static_cast<std::size_t>(DeskpalAnimation::kFrameCount)) {
    return "deskpal: " + std::to_string(frames.size()) + " animation frames instead of " +
           std::to_string(DeskpalAnimation::kFrameCount);
  }
  for (std::size_t k = 0; k < frames.size(); ++k) {
    if (frames[k].opaque_count() == 0) return "deskpal: animation frame " + std::to_string(k) + " is empty";
  }
  return std::nullopt;
}

}  // namespace phondeck
