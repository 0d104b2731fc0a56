#pragma once
// The main window's commands: the menu tree with its text ids and shortcuts,
// the tool bar, the F-key buttons and the keys the window sees before its
// controls.
#include <span>
#include <vector>

namespace phondeck {

enum class Command {
  None,
  // File
  FileNew, Import, Export, BackupHandset, RestoreHandset, ExportForNewPhone, Print, PrintSetup, Exit,
  // Edit
  Edit, Insert, Delete, Find,
  SortName, SortUnicode, SortPhone, SortType, SortPosition, SortTypeAndPosition, SortGroup,
  SortWriteAs,
  SerializeByType, SerializeByOrder, SerializeDuplicated,
  SelectAll,
  // Link
  Connect, Reset,
  // Function
  HardwareInfo, NetworkInfo, NetMonitorOpen, NetMonitorClose, ReadPhoneBook, ClearThenWrite,
  WriteAll,
  Messages, Calendar, RingingTone, GroupGraphics, StartupGraphic, Profiles,
  // Configuration
  ViewMode,  // with the mode 0..8 as argument
  Font, Options, SaveConfiguration,
  // Help
  Help, LinkLog, CopyDiagnostics, About,
  // F-keys and pop-up menu
  CopyToOther, MoveToOther, DropToSms,
};

struct MenuItem {
  int text_id = 0;           // 0 for a separator
  Command command = Command::None;
  int argument = 0;          // the view mode of a ViewMode item
  const char* shortcut = ""; // in portable key-sequence form ("Ctrl+N", "F4")
  bool visible = true;
  std::vector<MenuItem> children;

  bool is_separator() const { return text_id == 0; }
};

// The menu bar: File, Edit, Link, Function, Configuration, Help.
const std::vector<MenuItem>& main_menu();
// Finds the menu item of a command (and argument); nullptr when none.
const MenuItem* find_menu_item(Command command, int argument = 0);

// The tool bar, in order; Command::None marks a separator. Each button's hint
// is its menu item's caption, cleaned.
std::span<const Command> tool_bar();

// The F-key buttons: F4 Edit, F5 Copy, F6 Move, F7 Insert, F8 Delete,
// Ctrl+F4 Exit, with their caption ids 180 .. 185.
struct FKey {
  int text_id;
  Command command;
};
std::span<const FKey> fkey_buttons();

// Pop-up menu of the lists: Edit, New, Delete, Drop to SMS (captions of the
// menu items 111, 112, 113 and text 186).
std::span<const FKey> popup_menu();

// Keys the window handles before its controls.
enum class Key { Insert, Delete, A, F4, F5, F6, F7, F8, Other };
Command command_for_key(Key key, bool control, bool tree_mode);

// Enabled states of the Edit menu when it opens: Find, Sort and the two
// Serialize items need entries in the active list, Edit... and Delete also
// a selection.
struct EditMenuState {
  bool find = false, sort = false, serialize_all = false, serialize_duplicated = false;
  bool edit = false, delete_entry = false;
};
EditMenuState edit_menu_state(bool has_entries, bool has_selection);

// The command a sortable column header runs (Name .. WriteAs); None for Time.
Command sort_command_for_column(int column);

}  // namespace phondeck
