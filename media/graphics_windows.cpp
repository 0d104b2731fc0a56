// The graphics windows' logic.
#include "media/graphics_windows.h"

#include "app/configuration.h"
#include "app/conversion.h"
#include "app/prompt.h"
#include "media/media_families.h"

namespace phondeck {

// ------------------------------------------------------------ GroupGraphicsLogic

GroupGraphicsLogic::GroupGraphicsLogic(OperationEngine& engine, MediaFamilies& media, Prompt& prompt)
    : engine_(engine), media_(media), prompt_(prompt), editor_(groupGraphicProfile(), prompt) {}

GroupGraphicsLogic::~GroupGraphicsLogic() { detach(); }

void GroupGraphicsLogic::detach() {}

bool GroupGraphicsLogic::read_groups() { return false; }
bool GroupGraphicsLogic::write_group() { return false; }
bool GroupGraphicsLogic::send_group(OutgoingSms&) { return false; }
bool GroupGraphicsLogic::read_logo() { return false; }
bool GroupGraphicsLogic::read_network_code() { return false; }

std::optional<std::pair<int, int>> GroupGraphicsLogic::network_code(const std::string& mcc, const std::string& mnc) {
  try {
    return std::pair{decimal_to_int(mcc), decimal_to_int(mnc)};
  } catch (const ConversionError& error) {
    prompt_.message(error.what());
    return std::nullopt;
  }
}

bool GroupGraphicsLogic::write_logo(const std::string& mcc, const std::string& mnc) {
  const auto code = network_code(mcc, mnc);
  if (!code) return false;
  return false;
}

bool GroupGraphicsLogic::send_logo(const std::string& mcc, const std::string& mnc, OutgoingSms&) {
  const auto code = network_code(mcc, mnc);
  if (!code) return false;
  return false;
}

std::array<std::string, kCallerGroups> GroupGraphicsLogic::group_names() const {
  std::array<std::string, kCallerGroups> names;
  for (std::size_t k = 0; k < names.size(); ++k) names[k] = config().GroupName[k];
  return names;
}

std::array<MonoBitmap, kCallerGroups> GroupGraphicsLogic::group_logos() const {
  std::array<MonoBitmap, kCallerGroups> logos;
  for (MonoBitmap& logo : logos) logo = MonoBitmap(kLogoWidth, kLogoHeight);
  return logos;
}

void GroupGraphicsLogic::take_group_logo(int index) {
  if (index < 0 || index >= kCallerGroups) return;
  editor_.grid().combineIntoPicture(group_logos()[static_cast<std::size_t>(index)]);
}

// ------------------------------------------------------------ StartupGraphicLogic

StartupGraphicLogic::StartupGraphicLogic(OperationEngine& engine, MediaFamilies& media, Prompt& prompt)
    : engine_(engine), media_(media), prompt_(prompt), editor_(startupGraphicProfile(), prompt) {}

StartupGraphicLogic::~StartupGraphicLogic() { detach(); }

void StartupGraphicLogic::detach() {}

bool StartupGraphicLogic::read() { return false; }
bool StartupGraphicLogic::write() { return false; }
bool StartupGraphicLogic::reset_phone() { return false; }

}  // namespace phondeck
