#pragma once
// The Options dialog's logic (TPagesDlg): seven pages filled from the
// Configuration at every showing and written back only on OK, in the eleven
// steps below; the caller-group names and the message centre read from and
// written to the handset.
#include <array>
#include <string>
#include <vector>

#include "link/operation_result.h"

namespace phondeck {

struct Configuration;

// What OK changes outside the Configuration, in the main window and the
// other windows.
class OptionsHost {
 public:
  virtual ~OptionsHost() = default;
  // 1. A new port or device: the link finishes or resets ("Disconnected"
  // shown) before the port is opened again on the new one.
  virtual void reopen_port() = 0;
  // 2. The link's frame identifier for the configuration's Type.
  virtual void switch_frame_type() = 0;
  // 4. Texts loaded again: every window takes its captions again, the
  // profiles get their defaults, the main window rebuilds its view.
  virtual void language_changed() = 0;
  // 6. Entries of group old_name in both lists move to new_name.
  virtual void rename_group(const std::string& old_name, const std::string& new_name) = 0;
  // 6. The Profiles window's caller-group boxes take the new names.
  virtual void group_names_changed() = 0;
  // 7. The main window's view again when it is not the two-pane view.
  virtual void rebuild_view() = 0;
  // 11. The main window lays out its lists again.
  virtual void arrange() = 0;
  // Get Width: the pixel widths of the eight columns of the list the main
  // window shows now.
  virtual std::array<int, 8> shown_column_widths() = 0;
};

// The four handset exchanges the Group and SMS pages start; each false when
// the command guard refused it, and each tells `options.done` how it ended.
class OptionsExchanges {
 public:
  virtual ~OptionsExchanges() = default;
  virtual bool read_groups(StartOptions options) = 0;
  // names: the five names as the handset is to store them.
  virtual bool write_groups(const std::array<std::vector<std::uint8_t>, 5>& names, StartOptions options) = 0;
  virtual bool read_smsc(StartOptions options) = 0;
  virtual bool write_smsc(const std::string& number, StartOptions options) = 0;
};

// Name of caller group `row` as Write Groups sends it: empty when it equals
// the row's default text; else its first 10 bytes in the handset's code page
// (never half a character), and with the Multi-byte option on and a byte of
// 0x80 or above among them 04 FF and at most 8 bytes of UCS-2.
std::vector<std::uint8_t> group_name_for_handset(const std::string& name, const std::string& default_name,
                                                 bool multibyte);
inline constexpr std::size_t kGroupWriteNameBytes = 10;
inline constexpr std::size_t kGroupWriteUcs2Bytes = 8;

// Part of `utf8` whose code-page form fits in `bytes`, cut between characters.
std::string cut_to_code_page_bytes(const std::string& utf8, std::size_t bytes);

class OptionsDialogLogic {
 public:
  static constexpr int kGroupRows = 6;
  static constexpr int kWidthRows = 8;
  static constexpr int kSmscSettings = 6;
  static constexpr int kLanguageAuto = 0;
  static constexpr int kTypeCable = 1;

  OptionsDialogLogic(OptionsHost& host, OptionsExchanges& exchanges) : host_(host), exchanges_(exchanges) {}

  // Every control from the Configuration; New columns = Current.
  void show(const Configuration& cfg);
  void show();

  // -- Port page.
  int port = 1;           // 0..7
  int type = 1;           // Media: 0 InfraRed, 1 Cable
  bool auto_reconnect = false;
  int cable_option = 0;   // hidden; always the first setting
  std::string device;     // "" for the COM port, "virtual", or a device path
  bool auto_reconnect_enabled() const { return type == kTypeCable; }

  // -- Locale page.
  int language = 0;
  bool multibyte = false;
  bool multibyte_enabled() const { return language != kLanguageAuto; }
  // Auto Detect disables Multi-Byte; English and French set it to No, the
  // Chinese items to Yes.
  void choose_language(int selection);

  // -- Group page (rows 0..5).
  static std::string default_group(int row);
  std::array<std::string, kGroupRows> group_current{};
  std::array<std::string, kGroupRows> group_new{};
  void groups_default();
  bool read_groups(StartOptions options = {}) { return exchanges_.read_groups(std::move(options)); }
  bool write_groups(StartOptions options = {});
  // Read Groups with this dialog's purpose completed: the first five New
  // names show the names read (an empty one the row's default).
  void groups_read(const std::array<std::string, 5>& names);

  // -- Width page.
  int method = 1;
  static int default_width(int row);
  std::array<int, kWidthRows> width_current{};
  std::array<std::string, kWidthRows> width_new{};
  void widths_default();
  void get_width();

  // -- SMS page: 0 "Default", 1..6 the settings.
  int smsc_choice = 0;
  std::array<std::string, kSmscSettings> smsc{};
  std::string smsc_read;  // the read-only field
  bool read_smsc(StartOptions options = {}) { return exchanges_.read_smsc(std::move(options)); }
  // Writes the chosen setting's number; with "Default" nothing is sent (and
  // false, the completion told done). The choice and the six numbers go into
  // the Configuration at once, as the handset now holds that setting.
  bool write_smsc(StartOptions options = {});
  void smsc_number_read(const std::string& number) { smsc_read = number; }

  // -- Calendar page: the sliders cannot pass each other.
  int time_start = 8;
  int time_end = 20;
  void move_start(int hour);
  void move_end(int hour);
  static std::string hour_label(int hour);

  // -- Misc. page.
  bool del_confirm = true;
  bool write_confirm = true;
  bool basic_level = false;
  bool show_com_error = false;

  // OK: the eleven steps into `cfg`. A width that is not an integer stops
  // OK before anything changes (ConversionError with the offending text).
  void ok(Configuration& cfg);
  void ok();

 private:
  OptionsHost& host_;
  OptionsExchanges& exchanges_;
  bool auto_detect_shown_ = false;
};

}  // namespace phondeck
