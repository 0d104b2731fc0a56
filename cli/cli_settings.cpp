#include "cli/cli_settings.h"

#include <array>
#include <cctype>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/text_table.h"
#include "link/information_dialogs.h"
#include "link/net_monitor_family.h"
#include "link/start_questions.h"
#include "organiser/profiles_window.h"

namespace phondeck::cli {

namespace {

// A text the profiles' options need loaded.
constexpr int kProfileOptionText = 2221;  // "Ringing"

// The settings by the names the command line gives them, in the grid's order.
constexpr const char* kSettingNames[kProfileSettings] = {
    "call-alert",  "ringing-tone",  "ringing-volume", "vibrating-alert",  "message-tone",
    "keypad-tones", "warning-tones", "lights",         "automatic-answer"};

std::string lower(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

// An option of a setting by its text (any case, blanks ignored) or its
// number in the list (from 1).
std::optional<int> option_index(int setting, const std::string& value) {
  const std::vector<std::string> options = profile_options(setting);
  auto squeezed = [](const std::string& t) {
    std::string out;
    for (char ch : lower(t)) {
      if (ch != ' ') out += ch;
    }
    return out;
  };
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (squeezed(options[i]) == squeezed(value)) return static_cast<int>(i);
  }
  if (const auto n = number_in(value, 1, static_cast<int>(options.size()))) return *n - 1;
  return std::nullopt;
}

std::string option_list(int setting) {
  std::string list;
  for (const std::string& o : profile_options(setting)) list += (list.empty() ? "" : ", ") + o;
  return list;
}

std::string profiles_details() {
  std::string text =
      "FEATURE and the VALUEs it takes (an option's text, or its number from 1):\n";
  for (int setting = 0; setting < kProfileSettings; ++setting) {
    text += "  " + std::string(kSettingNames[setting]) + ": " + option_list(setting) + "\n";
  }
  return text +
         "  groups: the caller groups that may ring (call-alert \"Caller groups\"), as\n"
         "          numbers 1..5 separated by commas, or none\n";
}

struct ProfilesWindow {
  explicit ProfilesWindow(CliSession& s)
      : family(s.session().organiser().profile_family()), logic(family, s.engine(), s.prompt()) {}
  ProfileFamily& family;
  ProfilesWindowLogic logic;
};

bool read_profiles(CliSession& s, ProfilesWindow& w) {
  return s.run_operation([&](StartOptions o) { return w.logic.read(std::move(o)); }).done();
}

int net_monitor(Context& c, bool open) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  const auto monitor = [&](StartOptions o) {
    o.confirmed = ask_write_confirmation(s->engine(), s->prompt());
    return start_net_monitor(s->engine(), open, std::move(o));
  };
  if (!s->run_operation(monitor).done()) {
    return kExitFailed;
  }
  c.out.summary(open ? "net monitor on" : "net monitor off");
  return kExitOk;
}

}  // namespace

int identify(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  HandsetInfo& info = s->session().info();
  const HardwareFields hw = hardware_information(info);
  Record r;
  r["imei"] = hw.edit[0];
  r["manufacturer"] = hw.edit[1];
  r["type"] = hw.edit[2];
  r["model"] = hw.edit[3];
  r["frequency"] = hw.edit[4];
  r["assembled_in"] = hw.edit[5];
  r["hardware_version"] = hw.edit[6];
  r["firmware_version"] = hw.edit[7];
  r["battery"] = info.battery;
  r["signal"] = info.signal;
  // The handset reports its network only when it chooses to.
  if (info.mcc != 0) {
    r["network"] = std::to_string(info.mcc) + " " + two(info.mnc);
  } else {
    r["network"] = nullptr;
  }
  c.out.object(r);
  return kExitOk;
}

int profiles_get(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  ProfilesWindow w(*s);
  if (!read_profiles(*s, w)) return kExitFailed;
  const ProfileSet& set = w.logic.profiles();
  for (int p = 0; p < kProfileCount; ++p) {
    Record r;
    r["profile"] = p + 1;
    r["name"] = set.shown_name(p);
    for (int setting = 0; setting < kProfileSettings; ++setting) {
      r[kSettingNames[setting]] = profile_option_text(setting, set[p].settings[static_cast<std::size_t>(setting)]);
    }
    Record groups = Record::array();
    for (int g = 0; g < kProfileGroups; ++g) {
      if (set[p].groups[static_cast<std::size_t>(g)]) groups.push_back(g + 1);
    }
    if (c.out.json()) {
      r["groups"] = groups;
    } else {
      std::string list;
      for (const auto& g : groups) list += (list.empty() ? "" : ",") + g.dump();
      r["groups"] = list.empty() ? "none" : list;
    }
    c.out.row(r);
  }
  return kExitOk;
}

int profiles_set(Context& c) {
  const auto profile = number_in(c.inv.operands.at(0), 1, kProfileCount);
  if (!profile) return usage(c, "the profile is a number from 1 to 7");
  const std::string feature = lower(c.inv.operands.at(1));
  const std::string& value = c.inv.operands.at(2);
  int setting = -1;
  for (int i = 0; i < kProfileSettings; ++i) {
    if (feature == kSettingNames[i]) setting = i;
  }
  std::optional<int> index;
  std::array<bool, kProfileGroups> groups{};
  if (setting >= 0) {
    index = option_index(setting, value);
    if (!index) return usage(c, feature + " is one of: " + option_list(setting));
  } else if (feature == "groups") {
    if (lower(value) != "none") {
      std::istringstream list(value);
      for (std::string item; std::getline(list, item, ',');) {
        const auto g = number_in(item, 1, kProfileGroups);
        if (!g) return usage(c, "groups are numbers from 1 to 5 separated by commas, or none");
        groups[static_cast<std::size_t>(*g - 1)] = true;
      }
    }
  } else {
    return usage(c, "not a profile feature: " + feature + " (see phondeck profiles set --help)");
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  ProfilesWindow w(*s);
  if (!read_profiles(*s, w)) return kExitFailed;
  const int p = *profile - 1;
  if (setting >= 0 && !w.logic.choose(p, setting, *index)) {
    return failed(c, "the " + std::string(kSettingNames[setting]) + " of profile " + std::to_string(*profile) +
                         " cannot be changed");
  }
  for (int g = 0; setting < 0 && g < kProfileGroups; ++g) {
    if (!w.logic.set_group(p, g, groups[static_cast<std::size_t>(g)])) {
      return failed(c, "the caller groups ring only when call-alert is \"" +
                           profile_option_text(kCallAlert, kCallAlertCallerGroups) + "\"");
    }
  }
  if (w.logic.profiles().changes().empty()) {
    c.out.summary("profile " + std::to_string(*profile) + " already has that setting");
    return kExitOk;
  }
  // A change the handset refused is named in the message box; exit status 1.
  if (!s->run_operation([&](StartOptions o) { return w.logic.write(std::move(o)); }).done_whole()) return kExitFailed;
  c.out.summary("profile " + std::to_string(*profile) + " written");
  return kExitOk;
}

int profiles_activate(Context& c) {
  const auto profile = number_in(c.inv.operands.at(0), 1, kActivatableProfiles);
  if (!profile) return usage(c, "the profile to activate is a number from 1 to 5");
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  ProfilesWindow w(*s);
  if (!s->run_operation([&](StartOptions o) { return w.logic.activate(*profile - 1, std::move(o)); }).done()) {
    return kExitFailed;
  }
  c.out.summary("profile " + std::to_string(*profile) + " active");
  return kExitOk;
}

int net_monitor_on(Context& c) { return net_monitor(c, true); }
int net_monitor_off(Context& c) { return net_monitor(c, false); }

// The help of profiles set names the options (English until the texts are
// loaded).
const char* profiles_details_text() {
  static const std::string text = [] {
    if (tx(kProfileOptionText).empty()) texts().load_english();
    return profiles_details();
  }();
  return text.c_str();
}

}  // namespace phondeck::cli
