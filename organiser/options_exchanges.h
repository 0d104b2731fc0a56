#pragma once
// The Options dialog's handset exchanges as the session runs them: Read and
// Write Groups on the media and settings state, Read and Write SMSC on the
// message family.
#include <functional>
#include <optional>

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
  // Asks the write confirmation for a write whose starter gave no answer
  // (the window: ask_write_confirmation over its prompt); none: nothing asked.
  void set_write_confirmation(std::function<std::optional<bool>()> ask) { confirm_ = std::move(ask); }

  bool read_groups(StartOptions options) override;
  bool write_groups(const std::array<std::vector<std::uint8_t>, 5>& names, StartOptions options) override;
  bool read_smsc(StartOptions options) override;
  bool write_smsc(const std::string& number, StartOptions options) override;

 private:
  OperationEngine& engine_;
  OrganiserFamilies& organiser_;
  MediaFamilies& media_;
  OptionsDialogLogic* dialog_ = nullptr;
  std::function<void()> changed_;
  std::function<std::optional<bool>()> confirm_;
  int listener_ = 0;

  StartOptions confirmed(StartOptions options) const;
};

}  // namespace phondeck
