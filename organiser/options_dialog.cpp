#include "organiser/options_dialog.h"

#include <algorithm>
#include <optional>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/conversion.h"
#include "app/language.h"
#include "app/text_table.h"

namespace phondeck {
namespace {

constexpr std::array<int, OptionsDialogLogic::kWidthRows> kDefaultWidths{50, 60, 80, 50, 30, 40, 40, 120};
constexpr int kLanguageEnglish = 1;
constexpr int kLanguageFrench = 4;
constexpr int kLastHour = 23;

}  // namespace

std::string cut_to_code_page_bytes(const std::string& utf8, std::size_t bytes) {
  std::string kept;
  std::size_t used = 0;
  for (char32_t c : utf8_to_code_points(utf8)) {
    std::string one;
    append_utf8(one, c);
    const std::size_t size = to_code_page(one).size();
    if (used + size > bytes) break;
    used += size;
    kept += one;
  }
  return kept;
}

std::vector<std::uint8_t> group_name_for_handset(const std::string& name, const std::string& default_name,
                                                 bool multibyte) {
  if (name == default_name) return {};
  const std::string cut = cut_to_code_page_bytes(name, kGroupWriteNameBytes);
  if (multibyte && has_non_ascii(cut)) {
    std::string ucs2 = utf8_to_ucs2be(cut);
    ucs2.resize(std::min(ucs2.size(), kGroupWriteUcs2Bytes));
    std::vector<std::uint8_t> out{0x04, 0xFF};
    out.insert(out.end(), ucs2.begin(), ucs2.end());
    return out;
  }
  const std::string bytes = to_code_page(cut);
  return {bytes.begin(), bytes.end()};
}

std::string OptionsDialogLogic::default_group(int row) { return tx(420 + row); }

int OptionsDialogLogic::default_width(int row) { return kDefaultWidths.at(static_cast<std::size_t>(row)); }

std::string OptionsDialogLogic::hour_label(int hour) { return std::to_string(hour) + ":00"; }

void OptionsDialogLogic::show() { show(config()); }

void OptionsDialogLogic::show(const Configuration& cfg) {
  port = cfg.Port >= 0 && cfg.Port <= 7 ? cfg.Port : 1;
  type = cfg.Type == 0 ? 0 : 1;
  auto_reconnect = cfg.AutoReconnect != 0;
  cable_option = 0;
  device = cfg.Device;
  language = cfg.Language >= 0 && cfg.Language <= 4 ? cfg.Language : kLanguageEnglish;
  multibyte = cfg.MultiByte != 0;
  auto_detect_shown_ = language == kLanguageAuto;
  for (int i = 0; i < kGroupRows; ++i) {
    group_current[static_cast<std::size_t>(i)] = cfg.GroupName[static_cast<std::size_t>(i)];
    group_new[static_cast<std::size_t>(i)] = cfg.GroupName[static_cast<std::size_t>(i)];
  }
  method = cfg.Method;
  for (int i = 0; i < kWidthRows; ++i) {
    width_current[static_cast<std::size_t>(i)] = cfg.ColumnWidth[static_cast<std::size_t>(i)];
    width_new[static_cast<std::size_t>(i)] = std::to_string(cfg.ColumnWidth[static_cast<std::size_t>(i)]);
  }
  smsc_choice = cfg.SMSC >= 0 && cfg.SMSC <= kSmscSettings ? cfg.SMSC : 0;
  smsc = cfg.SMSCNumber;
  smsc_read.clear();
  time_start = std::clamp(cfg.TimeStart, 0, kLastHour);
  time_end = std::clamp(cfg.TimeEnd, time_start, kLastHour);
  del_confirm = cfg.DelConfirm != 0;
  write_confirm = cfg.WriteConfirm != 0;
  basic_level = cfg.BasicLevel != 0;
  show_com_error = cfg.ShowComError != 0;
}

void OptionsDialogLogic::choose_language(int selection) {
  language = std::clamp(selection, 0, 4);
  if (language == kLanguageAuto) return;
  multibyte = !(language == kLanguageEnglish || language == kLanguageFrench);
}

void OptionsDialogLogic::groups_default() {
  for (int i = 0; i < kGroupRows; ++i) group_new[static_cast<std::size_t>(i)] = default_group(i);
}

void OptionsDialogLogic::groups_read(const std::array<std::string, 5>& names) {
  for (int i = 0; i < 5; ++i) {
    const std::string& name = names[static_cast<std::size_t>(i)];
    group_new[static_cast<std::size_t>(i)] = name.empty() ? default_group(i) : name;
  }
}

bool OptionsDialogLogic::write_groups(StartOptions options) {
  std::array<std::vector<std::uint8_t>, 5> names;
  for (int i = 0; i < 5; ++i) {
    names[static_cast<std::size_t>(i)] =
        group_name_for_handset(group_new[static_cast<std::size_t>(i)], default_group(i), multibyte);
  }
  return exchanges_.write_groups(names, std::move(options));
}

void OptionsDialogLogic::widths_default() {
  for (int i = 0; i < kWidthRows; ++i) width_new[static_cast<std::size_t>(i)] = std::to_string(default_width(i));
}

void OptionsDialogLogic::get_width() {
  const std::array<int, 8> widths = host_.shown_column_widths();
  for (int i = 0; i < kWidthRows; ++i) width_new[static_cast<std::size_t>(i)] = std::to_string(widths[static_cast<std::size_t>(i)]);
}

bool OptionsDialogLogic::write_smsc(StartOptions options) {
  if (smsc_choice < 1 || smsc_choice > kSmscSettings) {
    if (options.done) options.done(OperationResult{});
    return false;
  }
  // The handset takes the chosen setting, so the configuration does too
  // (the message family encodes the configured choice when it sends).
  // A write refused (or declined at its confirmation) leaves them as they were.
  const int choice_before = config().SMSC;
  const auto numbers_before = config().SMSCNumber;
  config().SMSC = smsc_choice;
  config().SMSCNumber = smsc;
  if (exchanges_.write_smsc(smsc[static_cast<std::size_t>(smsc_choice - 1)], std::move(options))) return true;
  config().SMSC = choice_before;
  config().SMSCNumber = numbers_before;
  return false;
}

void OptionsDialogLogic::move_start(int hour) { time_start = std::clamp(hour, 0, time_end); }

void OptionsDialogLogic::move_end(int hour) { time_end = std::clamp(hour, time_start, kLastHour); }

void OptionsDialogLogic::ok() { ok(config()); }

void OptionsDialogLogic::ok(Configuration& cfg) {
  // Widths are checked first, so that a bad one changes nothing.
  std::array<std::optional<int>, kWidthRows> widths{};
  for (int i = 0; i < kWidthRows; ++i) {
    const std::string& text = width_new[static_cast<std::size_t>(i)];
    if (text == std::to_string(width_current[static_cast<std::size_t>(i)])) continue;
    widths[static_cast<std::size_t>(i)] = decimal_to_int(text);
  }

  // 1. Port (and, where there are no COM ports, the device); a new media
  // changes the line too, so the link is reopened for either.
  const bool media_changed = type != cfg.Type;
  if (port != cfg.Port || device != cfg.Device || media_changed) {
    cfg.Port = port;
    cfg.Device = device;
    cfg.Type = type;
    host_.reopen_port();
  }
  cfg.CableOption = cable_option;
  // 2. Media.
  if (media_changed) host_.switch_frame_type();
  // 3.
  cfg.AutoReconnect = auto_reconnect ? 1 : 0;
  // 4. Language: texts, every window's captions, profile defaults, the view.
  bool multibyte_from_language = false;
  if (language != cfg.Language) {
    cfg.Language = language;
    select_language(language);
    reset_group_names(cfg);
    host_.language_changed();
    multibyte_from_language = language == kLanguageAuto;
  } else if (language == kLanguageAuto && auto_detect_shown_) {
    select_language(kLanguageAuto);
    multibyte_from_language = true;
  }
  // 5. Auto Detect's result stands; otherwise the choice.
  if (multibyte_from_language) {
    multibyte = cfg.MultiByte != 0;
  } else {
    cfg.MultiByte = multibyte ? 1 : 0;
  }
  // 6. Groups: the entries move before the name is stored.
  bool renamed = false;
  for (int i = 0; i < kGroupRows; ++i) {
    const std::string& current = group_current[static_cast<std::size_t>(i)];
    const std::string& wanted = group_new[static_cast<std::size_t>(i)];
    if (wanted == current) continue;
    host_.rename_group(current, wanted);
    cfg.GroupName[static_cast<std::size_t>(i)] = wanted;
    renamed = true;
  }
  if (renamed) host_.group_names_changed();
  // 7.
  host_.rebuild_view();
  // 8. Widths.
  cfg.Method = method;
  for (int i = 0; i < kWidthRows; ++i) {
    if (widths[static_cast<std::size_t>(i)]) cfg.ColumnWidth[static_cast<std::size_t>(i)] = *widths[static_cast<std::size_t>(i)];
  }
  // 9. Message centre.
  cfg.SMSC = smsc_choice;
  cfg.SMSCNumber = smsc;
  // 10. Work time and the Misc. page.
  cfg.TimeStart = time_start;
  cfg.TimeEnd = time_end;
  cfg.DelConfirm = del_confirm ? 1 : 0;
  cfg.WriteConfirm = write_confirm ? 1 : 0;
  cfg.BasicLevel = basic_level ? 1 : 0;
  cfg.ShowComError = show_com_error ? 1 : 0;
  // 11.
  host_.arrange();
}

}  // namespace phondeck
