#pragma once
// The Options dialog's handset exchanges as the session runs them: Read and
// Write Groups on the media and settings state, Read and Write SMSC on the
// message family.
#include <functional>

#include "organiser/options_dialog.h"

namespace phondeck {

class MediaFamilies;
class OperationEngine;
class OrganiserFamilies;

class SessionOptionsExchanges final : public OptionsExchanges {
 public:
  // The dialog's logic hears of names and numbers read; `changed` is then
  // told so that the window shows them.
  SessionOptionsExchanges(OperationEngine& engine, OrganiserFamilies& organiser, MediaFamilies& media);
  ~SessionOptionsExchanges() override;
  void set_dialog(OptionsDialogLogic* dialog, std::function<void()> changed);

  bool read_groups() override;
  bool write_groups(const std::array<std::vector<std::uint8_t>, 5>& names) override;
  bool read_smsc() override;
  bool write_smsc(const std::string& number) override;

 private:
  OperationEngine& engine_;
  OrganiserFamilies& organiser_;
  MediaFamilies& media_;
  OptionsDialogLogic* dialog_ = nullptr;
  std::function<void()> changed_;
  int listener_ = 0;
};

}  // namespace phondeck
