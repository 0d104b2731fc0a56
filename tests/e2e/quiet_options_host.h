#pragma once
// An Options dialog host without a window: the dialog's logic runs against
// the session and nothing is redrawn.
#include <array>
#include <string>

#include "organiser/options_dialog.h"

namespace phondeck::e2e {

class QuietHost final : public OptionsHost {
 public:
  void reopen_port() override {}
  void switch_frame_type() override {}
  void language_changed() override {}
  void rename_group(const std::string&, const std::string&) override {}
  void group_names_changed() override {}
  void rebuild_view() override {}
  void arrange() override {}
  std::array<int, 8> shown_column_widths() override { return {}; }
};

}  // namespace phondeck::e2e
