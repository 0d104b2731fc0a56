#pragma once
// Write Groups on the media and settings state (9), steps 111..113: the
// caller groups are read first (so each keeps the handset's logo), then each
// of the five gets its new name with the write request.
#include <array>
#include <cstdint>
#include <vector>

#include "link/family_handler.h"
#include "media/caller_group_table.h"

namespace phondeck {

class GraphicsFamily;

class GroupWriteFamily;

// The five names as the handset is to store them (group_name_for_handset);
// guard with confirmation and the model check. False when nothing started.
bool start_group_write(OperationEngine& engine, GroupWriteFamily& family,
                       const std::array<std::vector<std::uint8_t>, kCallerGroups>& names);

class GroupWriteFamily final : public FamilyHandler {
 public:
  static constexpr int kStepWrite = 111;
  static constexpr int kStepReadFirst = 112;
  static constexpr int kStepWriteGroup = 113;
  static constexpr int kFirstStep = 111;
  static constexpr int kLastStep = 119;

  explicit GroupWriteFamily(CallerGroupTable& groups) : groups_(groups) {}

  void set_names(const std::array<std::vector<std::uint8_t>, kCallerGroups>& names) { names_ = names; }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  // A write cut short by the link reads the groups again when it resumes:
  // the logos it writes back must be the handset's.
  void link_reset() override;
  void operation_abandoned() override { interrupted_ = false; }

 private:
  CallerGroupTable& groups_;
  std::array<std::vector<std::uint8_t>, kCallerGroups> names_{};
  bool writing_ = false;
  bool interrupted_ = false;
};

// The group write request's payload for group `index` of the table.
std::vector<std::uint8_t> group_write_payload(const CallerGroup& group, int index);

}  // namespace phondeck
