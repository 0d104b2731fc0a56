#include "ui/commands.h"

#include <array>

namespace phondeck {
namespace {

MenuItem item(int id, Command c, const char* shortcut = "") {
  MenuItem m;
  m.text_id = id;
  m.command = c;
  m.shortcut = shortcut;
  return m;
}

MenuItem mode(int id, int m, bool visible) {
  MenuItem i = item(id, Command::ViewMode);
  i.argument = m;
  i.visible = visible;
  return i;
}

MenuItem submenu(int id, std::vector<MenuItem> children) {
  MenuItem m;
  m.text_id = id;
  m.children = std::move(children);
  return m;
}

MenuItem separator() { return MenuItem{}; }

std::vector<MenuItem> build_menu() {
  using C = Command;
  return {
      submenu(100, {item(101, C::FileNew, "Ctrl+N"), separator(), item(102, C::Import),
                    item(103, C::Export), separator(), item(3730, C::BackupHandset),
                    item(3731, C::RestoreHandset), item(3800, C::ExportForNewPhone), separator(),
                    item(105, C::Print, "Ctrl+P"), item(106, C::PrintSetup), separator(),
                    item(107, C::Exit, "Ctrl+F4")}),
      submenu(110, {item(111, C::Edit, "F4"), item(112, C::Insert, "F7"),
                    item(113, C::Delete, "F8"), separator(), item(114, C::Find, "Ctrl+F"),
                    submenu(115, {item(116, C::SortName), item(117, C::SortUnicode),
                                  item(118, C::SortPhone), item(119, C::SortType),
                                  item(120, C::SortPosition), item(121, C::SortTypeAndPosition),
                                  item(122, C::SortGroup), item(123, C::SortWriteAs)}),
                    submenu(124, {item(125, C::SerializeByType), item(126, C::SerializeByOrder)}),
                    item(127, C::SerializeDuplicated)}),
      submenu(130, {item(131, C::Connect), item(132, C::Reset)}),
      submenu(133, {submenu(134, {item(135, C::HardwareInfo), item(136, C::NetworkInfo)}),
                    submenu(153, {item(154, C::NetMonitorOpen), item(155, C::NetMonitorClose)}),
                    submenu(137, {item(138, C::ReadPhoneBook), item(139, C::ClearThenWrite),
                                  item(3630, C::WriteAll)}),
                    separator(), item(148, C::Messages), item(149, C::Calendar),
                    item(150, C::RingingTone), item(151, C::GroupGraphics),
                    item(152, C::StartupGraphic), item(156, C::Profiles)}),
      submenu(160, {submenu(161, {mode(1163, 0, true), mode(191, 1, false), mode(192, 2, false),
                                  mode(193, 3, false), mode(194, 4, true), mode(195, 5, false),
                                  mode(196, 6, true), mode(197, 7, true), mode(198, 8, false)}),
                    item(162, C::Font), item(163, C::Options), separator(),
                    item(164, C::SaveConfiguration)}),
      submenu(170, {item(171, C::Help), separator(), item(3305, C::LinkLog), item(3306, C::CopyDiagnostics),
                    separator(), item(174, C::About)}),
  };
}

const MenuItem* find_in(const std::vector<MenuItem>& items, Command c, int argument) {
  for (const MenuItem& m : items) {
    if (m.command == c && (c != Command::ViewMode || m.argument == argument)) return &m;
    if (const MenuItem* found = find_in(m.children, c, argument)) return found;
  }
  return nullptr;
}

constexpr std::array kToolBar{
    Command::FileNew,        Command::None,         Command::Reset,        Command::Connect,
    Command::None,           Command::ReadPhoneBook, Command::None,        Command::ClearThenWrite,
    Command::WriteAll,
    Command::None,           Command::Messages,     Command::Calendar,     Command::RingingTone,
    Command::GroupGraphics,  Command::StartupGraphic, Command::Profiles,
};

constexpr std::array kFKeys{
    FKey{180, Command::Edit},        FKey{181, Command::CopyToOther},
    FKey{182, Command::MoveToOther}, FKey{183, Command::Insert},
    FKey{184, Command::Delete},      FKey{185, Command::Exit},
};

constexpr std::array kPopup{
    FKey{111, Command::Edit},
    FKey{112, Command::Insert},
    FKey{113, Command::Delete},
    FKey{186, Command::DropToSms},
};

}  // namespace

const std::vector<MenuItem>& main_menu() {
  static const std::vector<MenuItem> menu = build_menu();
  return menu;
}

const MenuItem* find_menu_item(Command command, int argument) {
  return find_in(main_menu(), command, argument);
}

std::span<const Command> tool_bar() { return kToolBar; }
std::span<const FKey> fkey_buttons() { return kFKeys; }
std::span<const FKey> popup_menu() { return kPopup; }

Command command_for_key(Key key, bool control, bool tree_mode) {
  switch (key) {
    case Key::Insert: return control ? Command::None : Command::Insert;
    case Key::Delete: return control ? Command::None : Command::Delete;
    case Key::A: return control ? Command::SelectAll : Command::None;
    case Key::F4: return control ? Command::Exit : Command::Edit;
    case Key::F5: return control || tree_mode ? Command::None : Command::CopyToOther;
    case Key::F6: return control || tree_mode ? Command::None : Command::MoveToOther;
    case Key::F7: return control ? Command::None : Command::Insert;
    case Key::F8: return control ? Command::None : Command::Delete;
    case Key::Other: break;
  }
  return Command::None;
}

EditMenuState edit_menu_state(bool has_entries, bool has_selection) {
  EditMenuState s;
  s.find = s.sort = s.serialize_all = s.serialize_duplicated = has_entries;
  s.edit = s.delete_entry = has_entries && has_selection;
  return s;
}

Command sort_command_for_column(int column) {
  static constexpr std::array kSort{Command::SortName,  Command::SortUnicode,
                                    Command::SortPhone, Command::SortType,
                                    Command::SortPosition, Command::SortGroup,
                                    Command::SortWriteAs};
  if (column < 0 || column >= static_cast<int>(kSort.size())) return Command::None;
  return kSort[column];
}

}  // namespace phondeck
