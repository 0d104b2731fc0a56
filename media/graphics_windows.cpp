// The graphics windows' logic.
#include "media/graphics_windows.h"

#include "app/configuration.h"
#include "app/conversion.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/start_questions.h"
#include "media/media_families.h"

namespace phondeck {
namespace {

constexpr int kTextGroup = 2100;
constexpr int kTextWriteIntoGroup = 3710;
constexpr int kTextChooseTake = 3566;
constexpr int kTextChooseWriteInto = 3567;
constexpr int kTextReadBackTitle = 3568;
constexpr int kTextReadBack = 3569;

}  // namespace

std::string group_choice_title(GroupChoice choice, int group, const std::string& name) {
  switch (choice) {
    case GroupChoice::Take: return window_title(tx(kTextGroup));
    case GroupChoice::WriteInto: return window_title(tx(kTextWriteIntoGroup));
    case GroupChoice::ReadBack: return tx_with(kTextReadBackTitle, {std::to_string(group + 1), name});
  }
  return {};
}

std::string group_choice_instruction(GroupChoice choice, int group, const std::string& name) {
  switch (choice) {
    case GroupChoice::Take: return tx(kTextChooseTake);
    case GroupChoice::WriteInto: return tx(kTextChooseWriteInto);
    case GroupChoice::ReadBack: return tx_with(kTextReadBack, {std::to_string(group + 1), name});
  }
  return {};
}

// ------------------------------------------------------------ GroupGraphicsLogic

GroupGraphicsLogic::GroupGraphicsLogic(OperationEngine& engine, MediaFamilies& media, Prompt& prompt)
    : engine_(engine), media_(media), prompt_(prompt), editor_(groupGraphicProfile(), prompt) {
  listener_ = media_.graphics_records().listeners.add([this](GraphicsEvent event) {
    switch (event) {
      case GraphicsEvent::GroupsRead:
        logos_read_.fill(true);
        // A read the Options dialog asked for is not this window's.
        if (media_.caller_groups().purpose == GroupReadPurpose::Graphics && on_groups_read) on_groups_read();
        break;
      case GraphicsEvent::SystemLogoRead:
        // The family keeps the operator logo in the first group's logo field.
        logos_read_[0] = false;
        editor_.grid().combineIntoPicture(media_.graphics_records().operator_logo.picture);
        if (on_changed) on_changed();
        break;
      default:
        break;
    }
  });
}

GroupGraphicsLogic::~GroupGraphicsLogic() { detach(); }

void GroupGraphicsLogic::detach() {
  if (listener_ != 0) media_.graphics_records().listeners.remove(listener_);
  listener_ = 0;
  alive_.reset();
}

bool GroupGraphicsLogic::read_groups() {
  return start_group_read(engine_, media_.graphics(), GroupReadPurpose::Graphics);
}

bool GroupGraphicsLogic::write_group() { return start_group_graphic_write(engine_, media_.graphics(), picture()); }

bool GroupGraphicsLogic::write_into_group(int index) {
  StartOptions options;
  options.confirmed = ask_write_confirmation(engine_, prompt_);
  // A group read back that still differs ends Failed, its message shown.
  options.done = [this, alive = std::weak_ptr<int>(alive_), index](const OperationResult& result) {
    if (alive.expired() || !result.done()) return;
    // The write read every group before it wrote, and its group after.
    logos_read_.fill(true);
    if (on_group_written) on_group_written(index);
  };
  return start_group_logo_write(engine_, media_.group_write(), index, picture(), std::move(options));
}

bool GroupGraphicsLogic::read_logo() { return start_system_logo_read(engine_, media_.graphics()); }

bool GroupGraphicsLogic::read_network_code() { return start_network_code_read(engine_, media_.graphics()); }

std::optional<std::pair<int, int>> GroupGraphicsLogic::network_code(const std::string& mcc, const std::string& mnc) {
  try {
    const int country = decimal_to_int(mcc);
    return std::pair{country, decimal_to_int(mnc)};
  } catch (const ConversionError& error) {
    prompt_.message(error.what());
    return std::nullopt;
  }
}

bool GroupGraphicsLogic::write_logo(const std::string& mcc, const std::string& mnc) {
  const auto code = network_code(mcc, mnc);
  if (!code) return false;
  StartOptions options;
  options.confirmed = ask_write_confirmation(engine_, prompt_);
  return start_system_logo_write(engine_, media_.graphics(), picture(), code->first, code->second,
                                 std::move(options));
}

std::array<std::string, kCallerGroups> GroupGraphicsLogic::group_names() const {
  std::array<std::string, kCallerGroups> names;
  for (int k = 0; k < kCallerGroups; ++k) {
    const auto i = static_cast<std::size_t>(k);
    names[i] = media_.caller_groups().at(k).display_name();
    if (names[i].empty()) names[i] = config().GroupName[i];
  }
  return names;
}

std::array<MonoBitmap, kCallerGroups> GroupGraphicsLogic::group_logos() const {
  std::array<MonoBitmap, kCallerGroups> logos;
  for (int k = 0; k < kCallerGroups; ++k) logos[static_cast<std::size_t>(k)] = media_.caller_groups().at(k).picture();
  return logos;
}

void GroupGraphicsLogic::take_group_logo(int index) {
  if (index < 0 || index >= kCallerGroups) return;
  editor_.grid().combineIntoPicture(media_.caller_groups().at(index).picture());
}

// ------------------------------------------------------------ StartupGraphicLogic

StartupGraphicLogic::StartupGraphicLogic(OperationEngine& engine, MediaFamilies& media, Prompt& prompt)
    : engine_(engine), media_(media), prompt_(prompt), editor_(startupGraphicProfile(), prompt) {
  listener_ = media_.graphics_records().listeners.add([this](GraphicsEvent event) {
    if (event != GraphicsEvent::StartupRead) return;
    editor_.grid().combineIntoPicture(media_.graphics_records().startup);
    if (on_changed) on_changed();
  });
}

StartupGraphicLogic::~StartupGraphicLogic() { detach(); }

void StartupGraphicLogic::detach() {
  if (listener_ != 0) media_.graphics_records().listeners.remove(listener_);
  listener_ = 0;
}

bool StartupGraphicLogic::read() { return start_startup_read(engine_, media_.startup_graphic()); }

bool StartupGraphicLogic::write() {
  StartOptions options;
  options.confirmed = ask_write_confirmation(engine_, prompt_);
  return start_startup_write(engine_, media_.startup_graphic(), editor_.grid().picture(), std::move(options));
}

bool StartupGraphicLogic::reset_phone() {
  StartOptions options;
  options.confirmed = ask_write_confirmation(engine_, prompt_);
  return start_phone_reset(engine_, media_.startup_graphic(), std::move(options));
}

}  // namespace phondeck
