#pragma once
// The Profiles window's logic (TForm22): the grid of seven profiles, its
// drop-down cells and caller-group boxes, Default and Activate per profile,
// and the New, Read, Write and Ctrl+9 commands.
#include <string>
#include <vector>

#include "organiser/profile_family.h"
#include "organiser/profiles.h"

namespace phondeck {

class OperationEngine;
class Prompt;

class ProfilesWindowLogic {
 public:
  // prompt: the questions of New and Write.
  ProfilesWindowLogic(ProfileFamily& family, OperationEngine& engine, Prompt& prompt);

  ProfileSet& profiles() { return family_.profiles(); }

  // Caption: text 156, cleaned.
  static std::string caption();
  // Row labels, top to bottom: "Name", setting 0, the groups, settings 1..8.
  std::string cell_text(int profile, int setting) const;
  // Whether the cell's list opens (Lights and Automatic answer are fixed on
  // most profiles).
  static bool cell_opens(int profile, int setting) { return profile_cell_editable(profile, setting); }
  // An option chosen in a cell's list; false for a cell that does not open
  // or an index outside the list.
  bool choose(int profile, int setting, int index);
  // The boxes of a profile are enabled only while its call alert is
  // "Caller groups".
  bool groups_enabled(int profile) const;
  bool set_group(int profile, int group, bool on);
  // The configured names of the five groups (GroupName0..4).
  static std::vector<std::string> group_labels();

  // New: every profile gets its defaults (asks first when deletes are
  // confirmed); false when the user said No.
  bool new_profiles();
  void set_default(int profile) { profiles().set_default(profile); }
  // Ctrl+9.
  void show_read() { profiles().show_read(); }
  // The starts; `options` carry the completion (Write asks "Sure to write?"
  // itself when it is on and none was given).
  bool read(StartOptions options = {});
  bool write(StartOptions options = {});
  // Profiles 0..4 only.
  bool activate(int profile, StartOptions options = {});

 private:
  ProfileFamily& family_;
  OperationEngine& engine_;
  Prompt& prompt_;
};

}  // namespace phondeck
