#include "organiser/profiles_window.h"

#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/start_questions.h"

namespace phondeck {
namespace {

constexpr int kTextCaption = 156;
constexpr int kTextClearAll = 3201;

std::string cleaned(const std::string& text) {
  std::string out;
  for (char c : text.substr(0, text.find('('))) {
    if (c != '&' && c != '.') out += c;
  }
  return out;
}

}  // namespace

ProfilesWindowLogic::ProfilesWindowLogic(ProfileFamily& family, OperationEngine& engine, Prompt& prompt)
    : family_(family), engine_(engine), prompt_(prompt) {}

std::string ProfilesWindowLogic::caption() { return cleaned(tx(kTextCaption)); }

std::string ProfilesWindowLogic::cell_text(int profile, int setting) const {
  const Profile& p = family_.profiles()[profile];
  return profile_option_text(setting, p.settings.at(static_cast<std::size_t>(setting)));
}

bool ProfilesWindowLogic::choose(int profile, int setting, int index) {
  if (profile < 0 || profile >= kProfileCount || !cell_opens(profile, setting)) return false;
  if (index < 0 || index >= static_cast<int>(profile_options(setting).size())) return false;
  profiles()[profile].settings[static_cast<std::size_t>(setting)] = index;
  return true;
}

bool ProfilesWindowLogic::groups_enabled(int profile) const {
  return family_.profiles()[profile].settings[kCallAlert] == kCallAlertCallerGroups;
}

bool ProfilesWindowLogic::set_group(int profile, int group, bool on) {
  if (group < 0 || group >= kProfileGroups || !groups_enabled(profile)) return false;
  profiles()[profile].groups[static_cast<std::size_t>(group)] = on;
  return true;
}

std::vector<std::string> ProfilesWindowLogic::group_labels() {
  return {config().GroupName.begin(), config().GroupName.begin() + kProfileGroups};
}

bool ProfilesWindowLogic::new_profiles() {
  if (config().DelConfirm && !prompt_.ask_yes_no(tx(kTextClearAll))) return false;
  profiles().set_all_defaults();
  return true;
}

bool ProfilesWindowLogic::read(StartOptions options) { return start_profile_read(engine_, std::move(options)); }

bool ProfilesWindowLogic::write(StartOptions options) {
  // Nothing changed: nothing is written, so nothing is asked.
  if (!options.confirmed && !profiles().changes().empty()) {
    options.confirmed = ask_write_confirmation(engine_, prompt_);
  }
  return start_profile_write(engine_, family_, std::move(options));
}

bool ProfilesWindowLogic::activate(int profile, StartOptions options) {
  return start_profile_activate(engine_, profile, std::move(options));
}

}  // namespace phondeck
