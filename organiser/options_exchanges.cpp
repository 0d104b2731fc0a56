#include "organiser/options_exchanges.h"

#include "link/operation_engine.h"
#include "media/media_families.h"
#include "organiser/organiser_families.h"

namespace phondeck {

SessionOptionsExchanges::SessionOptionsExchanges(OperationEngine& engine, OrganiserFamilies& organiser,
                                                 MediaFamilies& media)
    : engine_(engine), organiser_(organiser), media_(media) {
  listener_ = media_.graphics_records().listeners.add([this](GraphicsEvent event) {
    const CallerGroupTable& table = media_.caller_groups();
    if (event != GraphicsEvent::GroupsRead || table.purpose != GroupReadPurpose::Options || !dialog_) return;
    std::array<std::string, 5> names;
    for (int g = 0; g < kCallerGroups; ++g) names[static_cast<std::size_t>(g)] = table.at(g).display_name();
    dialog_->groups_read(names);
    if (changed_) changed_();
  });
  organiser_.message_family().set_smsc_listener([this] {
    if (!dialog_) return;
    dialog_->smsc_number_read(organiser_.messages().message_centre);
    if (changed_) changed_();
  });
}

SessionOptionsExchanges::~SessionOptionsExchanges() {
  organiser_.message_family().set_smsc_listener({});
  media_.graphics_records().listeners.remove(listener_);
}

void SessionOptionsExchanges::set_dialog(OptionsDialogLogic* dialog, std::function<void()> changed) {
  dialog_ = dialog;
  changed_ = std::move(changed);
}

StartOptions SessionOptionsExchanges::confirmed(StartOptions options) const {
  if (!options.confirmed && confirm_) options.confirmed = confirm_();
  return options;
}

bool SessionOptionsExchanges::read_groups(StartOptions options) {
  return start_group_read(engine_, media_.graphics(), GroupReadPurpose::Options, std::move(options));
}

bool SessionOptionsExchanges::write_groups(const std::array<std::vector<std::uint8_t>, 5>& names,
                                           StartOptions options) {
  return start_group_write(engine_, media_.group_write(), names, confirmed(std::move(options)));
}

bool SessionOptionsExchanges::read_smsc(StartOptions options) { return start_smsc_read(engine_, std::move(options)); }

// The family writes the number it holds: the chosen one goes in, and comes
// back out when the command is refused.
bool SessionOptionsExchanges::write_smsc(const std::string& number, StartOptions options) {
  std::string& held = organiser_.messages().message_centre;
  const std::string before = held;
  held = number;
  if (start_smsc_write(engine_, confirmed(std::move(options)))) return true;
  held = before;
  return false;
}

}  // namespace phondeck
