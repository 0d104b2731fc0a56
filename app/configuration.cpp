#include "app/configuration.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/conversion.h"
#include "app/file_replace.h"
#include "app/language.h"
#include "app/prompt.h"
#include "app/text_table.h"

namespace phondeck {

namespace {

std::string& path_storage() {
  static std::string path = "tv.dat";
  return path;
}

// The slot a key's index character names: the character at `at` read as a
// decimal integer (a missing or non-digit character is a conversion error).
// Digits beyond the record's slots return -1 and the line is ignored.
int slot_index(std::string_view key, std::size_t at, int slots) {
  const std::string_view digit = at < key.size() ? key.substr(at, 1) : std::string_view{};
  const int index = decimal_to_int(digit);
  return index >= 0 && index < slots ? index : -1;
}

bool contains(std::string_view key, std::string_view part) {
  return key.find(part) != std::string_view::npos;
}

void apply_line(std::string_view line, Configuration& cfg) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  const std::string_view key = line.substr(0, eq);
  const std::string_view value = line.substr(eq + 1);
  if (key.empty()) return;

  struct IntKey {
    std::string_view name;
    int Configuration::*field;
  };
  static const IntKey first[] = {{"UIMode", &Configuration::UIMode},
                                 {"Width", &Configuration::Width},
                                 {"Height", &Configuration::Height},
                                 {"FontSize", &Configuration::FontSize}};
  static const IntKey second[] = {{"Port", &Configuration::Port},
                                  {"Type", &Configuration::Type},
                                  {"AutoReconnect", &Configuration::AutoReconnect},
                                  {"Language", &Configuration::Language},
                                  {"MultiByte", &Configuration::MultiByte}};
  static const IntKey last[] = {{"TimeStart", &Configuration::TimeStart},
                                {"TimeEnd", &Configuration::TimeEnd},
                                {"DelConfirm", &Configuration::DelConfirm},
                                {"WriteConfirm", &Configuration::WriteConfirm},
                                {"BasicLevel", &Configuration::BasicLevel},
                                {"ShowComError", &Configuration::ShowComError}};
  auto exact = [&](const auto& keys) {
    for (const IntKey& k : keys) {
      if (key == k.name) {
        cfg.*k.field = decimal_to_int(value);
        return true;
      }
    }
    return false;
  };

  if (exact(first)) return;
  if (key == "FontName") {
    cfg.FontName = std::string(value);
    return;
  }
  if (exact(second)) return;
  if (contains(key, "GroupName")) {
    const int d = slot_index(key, 9, static_cast<int>(cfg.GroupName.size()));
    if (d >= 0) cfg.GroupName[static_cast<std::size_t>(d)] = std::string(value);
    return;
  }
  if (key == "Method") {
    cfg.Method = decimal_to_int(value);
    return;
  }
  if (contains(key, "Width")) {
    const int d = slot_index(key, 5, static_cast<int>(cfg.ColumnWidth.size()));
    if (d >= 0) cfg.ColumnWidth[static_cast<std::size_t>(d)] = decimal_to_int(value);
    return;
  }
  if (key == "SMSC") {
    cfg.SMSC = decimal_to_int(value);
    return;
  }
  if (contains(key, "SMSC")) {
    const int d = slot_index(key, 4, static_cast<int>(cfg.SMSCNumber.size()));
    if (d >= 0) cfg.SMSCNumber[static_cast<std::size_t>(d)] = std::string(value);
    return;
  }
  if (exact(last)) return;
  if (key == "Device") cfg.Device = std::string(value);
}

bool read_file(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return false;
  out = ss.str();
  return true;
}

// Makes every missing folder of `folder`, each readable by the user alone.
bool make_private_folders(const std::filesystem::path& folder) {
  if (folder.empty()) return true;
  std::filesystem::path partial;
  for (const auto& part : folder) {
    partial /= part;
    std::error_code ec;
    if (std::filesystem::is_directory(partial, ec)) continue;
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

}  // namespace

Configuration& config() {
  static Configuration record;
  return record;
}

void set_configuration_path(std::string path) { path_storage() = std::move(path); }
const std::string& configuration_path() { return path_storage(); }

std::string locate_configuration(const std::string& start_folder, const char* xdg_config_home,
                                 const char* home) {
  namespace fs = std::filesystem;
  const std::string local = (fs::path(start_folder) / "tv.dat").string();
  std::error_code ec;
  if (fs::is_regular_file(local, ec)) return local;
  fs::path folder;
  if (xdg_config_home != nullptr && fs::path(xdg_config_home).is_absolute()) {
    folder = xdg_config_home;
  } else if (home != nullptr && *home != '\0') {
    folder = fs::path(home) / ".config";
  } else {
    return local;
  }
  return (folder / "phondeck" / "tv.dat").string();
}

void read_configuration_text(std::string_view text, Configuration& cfg) {
  std::size_t pos = 0;
  for (;;) {
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) return;  // a last line without a line break is not used
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // The writer never makes a longer line; such a line is skipped whole.
    if (line.size() > kConfigurationLineLength) continue;
    apply_line(line, cfg);
  }
}

std::string configuration_text(const Configuration& cfg, int window_width, int window_height) {
  std::string out;
  auto put = [&out](std::string_view key, std::string_view value) {
    out.append(key);
    out += '=';
    out.append(value);
    out += "\r\n";
  };
  auto put_int = [&put](std::string_view key, int value) { put(key, std::to_string(value)); };

  put_int("Width", window_width);
  put_int("Height", window_height);
  put_int("UIMode", cfg.UIMode);
  put_int("FontSize", cfg.FontSize);
  put("FontName", cfg.FontName);
  put_int("Port", cfg.Port);
  put_int("Type", cfg.Type);
  put_int("AutoReconnect", cfg.AutoReconnect);
  put_int("Language", cfg.Language);
  put_int("MultiByte", cfg.MultiByte);
  for (std::size_t i = 0; i < cfg.GroupName.size(); ++i)
    put("GroupName" + std::to_string(i), cfg.GroupName[i]);
  put_int("Method", cfg.Method);
  for (std::size_t i = 0; i < cfg.ColumnWidth.size(); ++i)
    put_int("Width" + std::to_string(i), cfg.ColumnWidth[i]);
  put_int("SMSC", cfg.SMSC);
  for (std::size_t i = 0; i < cfg.SMSCNumber.size(); ++i) {
    if (!cfg.SMSCNumber[i].empty()) put("SMSC" + std::to_string(i), cfg.SMSCNumber[i]);
  }
  put_int("TimeStart", cfg.TimeStart);
  put_int("TimeEnd", cfg.TimeEnd);
  put_int("DelConfirm", cfg.DelConfirm);
  put_int("WriteConfirm", cfg.WriteConfirm);
  put_int("BasicLevel", cfg.BasicLevel);
  put_int("ShowComError", cfg.ShowComError);
  put("Device", cfg.Device);
  return out;
}

void load_configuration() {
  texts().load_english();
  Configuration& cfg = config();
  cfg = Configuration{};
  std::string content;
  if (read_file(configuration_path(), content)) read_configuration_text(content, cfg);
  select_language(cfg.Language);
  complete_group_names(cfg);
}

bool save_configuration(int window_width, int window_height) {
  const std::string& path = configuration_path();
  if (!make_private_folders(std::filesystem::path(path).parent_path())) return false;
  return save_configuration(config(), window_width, window_height, path);
}

bool save_configuration_or_report(Prompt& prompt, int window_width, int window_height) {
  if (save_configuration(window_width, window_height)) return true;
  std::string text = tx(3683);
  if (const std::size_t at = text.find("%1"); at != std::string::npos) text.replace(at, 2, configuration_path());
  prompt.message(text);
  return false;
}

bool save_configuration(const Configuration& cfg, int window_width, int window_height,
                        const std::string& path) {
  const std::string data = configuration_text(cfg, window_width, window_height);
  return replace_file(path, path + ".new", data.data(), data.size());
}

void complete_group_names(Configuration& cfg) {
  for (std::size_t i = 0; i < cfg.GroupName.size(); ++i) {
    if (cfg.GroupName[i].empty()) cfg.GroupName[i] = tx(420 + static_cast<int>(i));
  }
}

void reset_group_names(Configuration& cfg) {
  for (std::size_t i = 0; i < cfg.GroupName.size(); ++i)
    cfg.GroupName[i] = tx(420 + static_cast<int>(i));
}

std::array<int, 8> settle_column_widths(Configuration& cfg) {
  for (int& width : cfg.ColumnWidth) {
    if (width == 0) width = 1;
  }
  return cfg.ColumnWidth;
}

}  // namespace phondeck
