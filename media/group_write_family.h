#pragma once
// Write Groups on the media and settings state (9), steps 111..114: the
// caller groups are read first (so each keeps the handset's logo and ringing
// tone), then each of the five gets its new name with the write request.
// Write into Group goes the same way for one group with a new logo, keeping
// its name and ringing tone, and reads that group back.
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/family_handler.h"
#include "media/caller_group_table.h"
#include "media/graphics_records.h"

namespace phondeck {

class GraphicsFamily;

class GroupWriteFamily;

// The five names as the handset is to store them (group_name_for_handset);
// guard with confirmation (answered by the starter in `options.confirmed`)
// and the model check. False when nothing started. Done with `entries` the
// groups written; a lost link tells the groups the handset answered.
bool start_group_write(OperationEngine& engine, GroupWriteFamily& family,
                       const std::array<std::vector<std::uint8_t>, kCallerGroups>& names, StartOptions options = {});
// Restore: every group as `groups` holds it (name, ringing tone, logo and
// whether it shows). Guard with confirmation and the model check.
bool start_group_restore(OperationEngine& engine, GroupWriteFamily& family, const CallerGroupTable& groups,
                         StartOptions options = {});
// Write into Group: the picture as group `group`'s (0..4) logo. Guard with
// confirmation and the model check. Done (one entry) once the group read
// back holds it; Failed at CheckGroup with the message 3711 when it still
// differs after the last try. Listeners hear GroupLogoWritten or
// GroupLogoNotWritten.
bool start_group_logo_write(OperationEngine& engine, GroupWriteFamily& family, int group,
                            const MonoBitmap& picture, StartOptions options = {});

class GroupWriteFamily final : public FamilyHandler {
 public:
  enum class Step : int {
    Open = 111,        // opens the exchange
    ReadFirst = 112,   // reads every group as the handset holds it
    WriteGroup = 113,  // writes each group (Write into Group: its one)
    CheckGroup = 114,  // Write into Group: compares the group read back
  };
  static constexpr int kFirstStep = 111;
  static constexpr int kLastStep = 119;
  // Write into Group writes again when the group read back differs, this
  // many times in all.
  static constexpr int kLogoTries = 3;

  explicit GroupWriteFamily(GraphicsRecords& records) : records_(records), groups_(records.groups) {}

  void set_names(const std::array<std::vector<std::uint8_t>, kCallerGroups>& names) {
    names_ = names;
    logo_group_.reset();
    whole_.reset();
  }
  void set_groups(const CallerGroupTable& groups) {
    whole_ = groups;
    logo_group_.reset();
  }
  // Used by start_group_logo_write: the group and its new logo.
  void set_logo(int group, const MonoBitmap& picture);

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  // A write cut short by the link reads the groups again when it resumes:
  // the logos it writes back must be the handset's.
  void link_reset() override;
  // Tells the groups the handset answered.
  void operation_abandoned(OperationResult& lost) override;

 private:
  void send_logo_phase(OperationEngine& engine);
  void restart(OperationEngine& engine);

  GraphicsRecords& records_;
  CallerGroupTable& groups_;
  std::array<std::vector<std::uint8_t>, kCallerGroups> names_{};
  std::optional<int> logo_group_;  // set for Write into Group
  std::optional<CallerGroupTable> whole_;  // set for a restore
  std::array<std::uint8_t, kLogoBytes> logo_{};
  CallerGroup logo_written_;  // the group as the last write sent it
  int logo_tries_ = 0;
  bool logo_ready_ = false;  // logo_written_ is built from this run's read
  bool writing_ = false;
  bool interrupted_ = false;
  // The groups whose write the handset answered in this run.
  std::bitset<kCallerGroups> answered_;
};

// The group write request's payload for group `index` of the table.
std::vector<std::uint8_t> group_write_payload(const CallerGroup& group, int index);

}  // namespace phondeck
