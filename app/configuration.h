#pragma once
// The process-wide settings record, kept in tv.dat.
#include <array>
#include <string>
#include <string_view>

namespace phondeck {

struct Configuration {
  int UIMode = 0;
  int Width = 630;
  int Height = 440;
  int FontSize = 8;
  std::string FontName = "MS Sans Serif";
  int Port = 1;
  int Type = 1;           // 0 infrared, 1 cable
  int CableOption = 0;    // synchronisation burst setting 0..6; never stored
  int AutoReconnect = 0;
  int Language = 0;
  int MultiByte = 0;
  std::array<std::string, 6> GroupName{};
  std::array<int, 8> ColumnWidth{50, 60, 80, 45, 40, 40, 40, 110};  // Width0..Width7
  int Method = 1;
  std::array<std::string, 6> SMSCNumber{};                          // SMSC0..SMSC5
  int SMSC = 0;
  int TimeStart = 8;
  int TimeEnd = 20;
  int DelConfirm = 1;
  int WriteConfirm = 1;
  int BasicLevel = 0;
  int ShowComError = 0;
  std::string Device;     // serial device path; "virtual" for the built-in handset
};

// The process-wide record.
Configuration& config();

// Where tv.dat is read and written; "tv.dat" in the working directory unless
// set otherwise.
void set_configuration_path(std::string path);
const std::string& configuration_path();

// Where Telvane keeps tv.dat: the tv.dat in `start_folder` (the working
// directory when empty) when one is there; otherwise phondeck/tv.dat in the
// user's configuration folder, $XDG_CONFIG_HOME when that is an absolute path
// and $HOME/.config otherwise; "tv.dat" in `start_folder` when neither
// variable names a folder. The arguments are the two variables' values
// (null when unset).
std::string locate_configuration(const std::string& start_folder, const char* xdg_config_home,
                                 const char* home);

// Applies the lines of a tv.dat text to `cfg` (which holds the defaults or
// earlier values). Lines end in LF or CR LF; a last line without a line break
// is not used, nor is a line longer than kConfigurationLineLength. Throws
// ConversionError (app/conversion.h) for a value or index character that is
// not a decimal integer where one is needed.
inline constexpr std::size_t kConfigurationLineLength = 254;
void read_configuration_text(std::string_view text, Configuration& cfg);

// The whole record as written to tv.dat (CR LF line ends). Width= and
// Height= carry the main window's present outer size, not the fields.
std::string configuration_text(const Configuration& cfg, int window_width, int window_height);

// Start-up: English texts, defaults, tv.dat (a missing or unreadable file
// keeps the defaults), the language of `Language`, then empty group names
// from the language's defaults. Throws ConversionError like the reader.
void load_configuration();

// Writes the record to tv.dat through a new file that then replaces the old
// one, so a failed save leaves the previous file whole. Returns false (and
// reports nothing) when the file cannot be written. The first overload saves
// to configuration_path() and makes its missing folders (private to the
// user) first.
bool save_configuration(int window_width, int window_height);
bool save_configuration(const Configuration& cfg, int window_width, int window_height,
                        const std::string& path);

// save_configuration, telling the user through `prompt` (text 3683, with the
// file's path) when the file cannot be written; the old file stays whole.
class Prompt;
bool save_configuration_or_report(Prompt& prompt, int window_width, int window_height);

// Fills every empty group name with the language's default (texts 420..425).
void complete_group_names(Configuration& cfg);
// Sets all six group names to the language's defaults (a language change).
void reset_group_names(Configuration& cfg);

// The eight column widths as the lists lay them out: a 0 becomes 1, and is
// stored back so that the next save writes 1.
std::array<int, 8> settle_column_widths(Configuration& cfg);

}  // namespace phondeck
