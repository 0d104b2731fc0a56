#pragma once
// The handset's seven user profiles as the Profiles window edits them: a
// name, nine alert settings (each an index into its option list), the five
// caller groups that may ring, and the values last read from the handset.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace phondeck {

inline constexpr int kProfileCount = 7;      // General, Silent, Meeting, Outdoor, Pager, Car, Headset
inline constexpr int kProfileSettings = 9;   // the grid's rows below the name
inline constexpr int kProfileGroups = 5;     // Family, VIP, Friends, Colleagues, Others
inline constexpr int kProfileFeatures = 10;  // the handset's feature codes 0..9
inline constexpr int kCallerGroupSetting = kProfileSettings;  // feature index of the caller groups
inline constexpr int kActivatableProfiles = 5;

// Setting rows, in the grid's table order.
enum ProfileSetting : int {
  kCallAlert = 0,
  kRingingTone = 1,
  kRingingVolume = 2,
  kVibratingAlert = 3,
  kMessageTone = 4,
  kKeypadTones = 5,
  kWarningTones = 6,
  kLights = 7,
  kAutomaticAnswer = 8,
};
inline constexpr int kCallAlertCallerGroups = 4;  // the option that lets the groups ring

// The handset's feature code of feature index 0..9 (the nine settings, then
// the caller groups).
int profile_feature_code(int feature_index);
// The feature index of a feature code, or -1.
int profile_feature_index(int feature_code);

// Handset value -> option index by the setting's table, where an on/off
// setting names every value ("0xFF Off, any other On" and the like). Back,
// the value the handset itself reports for that option, sent when the user
// chooses it. A value no option names (a ringing-tone number, a volume
// beyond the levels) becomes kUnnamedValueIndex + value: shown by its
// number, written back as it came.
inline constexpr int kUnnamedValueIndex = 0x1000;
int profile_value_to_index(int setting, std::uint8_t value);
std::uint8_t profile_index_to_value(int setting, int index);
// Caller-group flags <-> the bits of feature 8.
std::array<bool, kProfileGroups> caller_groups_of(std::uint8_t bits);
std::uint8_t caller_group_bits(const std::array<bool, kProfileGroups>& groups);

// Row label and option texts of a setting, from the text table.
std::string profile_setting_label(int setting);
std::vector<std::string> profile_options(int setting);
// The option's text, the number of a value no option names, or "" for an
// index outside the list.
std::string profile_option_text(int setting, int index);
// Built-in name of profile 0..6 (texts 2211..2217).
std::string builtin_profile_name(int profile);
// False for the cells whose list does not open: Lights except on Car,
// Automatic answer except on Car and Headset.
bool profile_cell_editable(int profile, int setting);

struct Profile {
  std::string name;  // as read; empty shows the built-in name
  std::array<int, kProfileSettings> settings{};
  std::array<bool, kProfileGroups> groups{};
  // The byte each setting came as (read, or taken from a file): written
  // back while the setting keeps the option that byte names, so a handset's
  // 0x04 for On stays 0x04.
  std::array<std::optional<std::uint8_t>, kProfileSettings> values{};
  // As last read from the handset (Ctrl+9 shows them again; Write sends what
  // differs from them).
  bool read = false;
  std::string read_name;
  std::array<int, kProfileSettings> read_settings{};
  std::array<std::uint8_t, kProfileSettings> read_values{};
  std::array<bool, kProfileGroups> read_groups{};
};

// One feature of one profile as the handset is to store it.
struct ProfileChange {
  int profile = 0;
  int feature_code = 0;
  std::uint8_t value = 0;
  bool operator==(const ProfileChange&) const = default;
};

class ProfileSet {
 public:
  ProfileSet() { set_all_defaults(); }

  Profile& operator[](int profile) { return profiles_.at(static_cast<std::size_t>(profile)); }
  const Profile& operator[](int profile) const { return profiles_.at(static_cast<std::size_t>(profile)); }

  // The built-in defaults (name, settings, no caller groups); what was read
  // is kept.
  void set_default(int profile);
  void set_all_defaults();
  // Every profile as last read (profiles never read keep their values).
  void show_read();
  // The name the grid shows.
  std::string shown_name(int profile) const;

  // A value the handset reported for a profile's feature code: stored as
  // current and as last read. False for a profile or code out of range.
  bool store_read_value(int profile, int feature_code, std::uint8_t value);
  void store_read_name(int profile, std::string name);
  // A value from outside the handset (a backup): shown by its option and
  // written as this byte while the option stays. False as above.
  bool set_value(int profile, int feature_code, std::uint8_t value);
  // The byte a setting is written as: the one it came as while its option
  // is unchanged, else the chosen option's.
  std::uint8_t setting_value(int profile, int setting) const;
  // What Write sends: the features of each profile that differ from what was
  // last read, or every feature of a profile never read.
  std::vector<ProfileChange> changes() const;
  // The handset took a change: it becomes the last-read value.
  void change_written(const ProfileChange& change);

 private:
  std::array<Profile, kProfileCount> profiles_;
};

// The built-in defaults of profile 0..6, settings 0..8.
const std::array<int, kProfileSettings>& profile_defaults(int profile);

}  // namespace phondeck
