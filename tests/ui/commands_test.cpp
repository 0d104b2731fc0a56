#include <gtest/gtest.h>

#include <set>

#include "ui/commands.h"

namespace phondeck {
namespace {

TEST(MenuTable, EveryCommandHasItsTextIdAndShortcut) {
  struct Expect {
    Command c;
    int id;
    const char* shortcut;
  };
  const Expect table[] = {
      {Command::FileNew, 101, "Ctrl+N"},       {Command::Print, 105, "Ctrl+P"},
      {Command::PrintSetup, 106, ""},          {Command::Exit, 107, "Ctrl+F4"},
      {Command::Edit, 111, "F4"},              {Command::Insert, 112, "F7"},
      {Command::Delete, 113, "F8"},            {Command::Find, 114, ""},
      {Command::SortName, 116, ""},            {Command::SortTypeAndPosition, 121, ""},
      {Command::SortWriteAs, 123, ""},         {Command::SerializeByType, 125, ""},
      {Command::SerializeByOrder, 126, ""},    {Command::SerializeDuplicated, 127, ""},
      {Command::Connect, 131, ""},             {Command::Reset, 132, ""},
      {Command::HardwareInfo, 135, ""},        {Command::NetworkInfo, 136, ""},
      {Command::NetMonitorOpen, 154, ""},      {Command::NetMonitorClose, 155, ""},
      {Command::ReadPhoneBook, 138, ""},       {Command::ClearThenWrite, 139, ""},
      {Command::Messages, 148, ""},            {Command::Profiles, 156, ""},
      {Command::Font, 162, ""},                {Command::Options, 163, ""},
      {Command::SaveConfiguration, 164, ""},   {Command::Help, 171, ""},
      {Command::About, 174, ""},
  };
  for (const Expect& e : table) {
    const MenuItem* m = find_menu_item(e.c);
    ASSERT_NE(m, nullptr) << e.id;
    EXPECT_EQ(m->text_id, e.id);
    EXPECT_STREQ(m->shortcut, e.shortcut) << e.id;
  }
}

TEST(MenuTable, TopLevelMenusInOrder) {
  std::vector<int> ids;
  for (const MenuItem& m : main_menu()) ids.push_back(m.text_id);
  EXPECT_EQ(ids, (std::vector<int>{100, 110, 130, 133, 160, 170}));
}

TEST(MenuTable, OnlyFourViewModesAreVisible) {
  const int ids[] = {1163, 191, 192, 193, 194, 195, 196, 197, 198};
  std::set<int> visible;
  for (int mode = 0; mode <= 8; ++mode) {
    const MenuItem* m = find_menu_item(Command::ViewMode, mode);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->text_id, ids[mode]);
    if (m->visible) visible.insert(mode);
  }
  EXPECT_EQ(visible, (std::set<int>{0, 4, 6, 7}));
}

TEST(MenuTable, ToolBarOrderWithSeparators) {
  const auto bar = tool_bar();
  const std::vector<Command> got(bar.begin(), bar.end());
  const std::vector<Command> want{
      Command::FileNew,       Command::None,          Command::Reset,       Command::Connect,
      Command::None,          Command::ReadPhoneBook, Command::None,        Command::ClearThenWrite,
      Command::None,          Command::Messages,      Command::Calendar,    Command::RingingTone,
      Command::GroupGraphics, Command::StartupGraphic, Command::Profiles};
  EXPECT_EQ(got, want);
  for (Command c : bar) {
    if (c != Command::None) {
      EXPECT_NE(find_menu_item(c), nullptr);
    }
  }
}

TEST(MenuTable, FKeysAndPopup) {
  const auto keys = fkey_buttons();
  ASSERT_EQ(keys.size(), 6u);
  for (std::size_t k = 0; k < keys.size(); ++k) EXPECT_EQ(keys[k].text_id, 180 + static_cast<int>(k));
  EXPECT_EQ(keys[1].command, Command::CopyToOther);
  EXPECT_EQ(keys[5].command, Command::Exit);
  const auto popup = popup_menu();
  ASSERT_EQ(popup.size(), 4u);
  EXPECT_EQ(popup[3].text_id, 186);
  EXPECT_EQ(popup[3].command, Command::DropToSms);
}

TEST(Keys, TwoPaneAndTreeModes) {
  for (bool tree : {false, true}) {
    EXPECT_EQ(command_for_key(Key::Insert, false, tree), Command::Insert);
    EXPECT_EQ(command_for_key(Key::Delete, false, tree), Command::Delete);
    EXPECT_EQ(command_for_key(Key::A, true, tree), Command::SelectAll);
    EXPECT_EQ(command_for_key(Key::A, false, tree), Command::None);
    EXPECT_EQ(command_for_key(Key::F4, false, tree), Command::Edit);
    EXPECT_EQ(command_for_key(Key::F4, true, tree), Command::Exit);
    EXPECT_EQ(command_for_key(Key::F7, false, tree), Command::Insert);
    EXPECT_EQ(command_for_key(Key::F8, false, tree), Command::Delete);
  }
  EXPECT_EQ(command_for_key(Key::F5, false, false), Command::CopyToOther);
  EXPECT_EQ(command_for_key(Key::F6, false, false), Command::MoveToOther);
  EXPECT_EQ(command_for_key(Key::F5, false, true), Command::None);
  EXPECT_EQ(command_for_key(Key::F6, false, true), Command::None);
}

TEST(EditMenu, EnablingFollowsEntriesAndSelection) {
  const EditMenuState empty = edit_menu_state(false, false);
  EXPECT_FALSE(empty.find || empty.sort || empty.edit || empty.delete_entry);
  const EditMenuState some = edit_menu_state(true, false);
  EXPECT_TRUE(some.find && some.sort && some.serialize_all && some.serialize_duplicated);
  EXPECT_FALSE(some.edit || some.delete_entry);
  const EditMenuState selected = edit_menu_state(true, true);
  EXPECT_TRUE(selected.edit && selected.delete_entry);
}

TEST(HeaderSort, TimeColumnAndOutOfRangeDoNothing) {
  EXPECT_EQ(sort_command_for_column(0), Command::SortName);
  EXPECT_EQ(sort_command_for_column(4), Command::SortPosition);
  EXPECT_EQ(sort_command_for_column(6), Command::SortWriteAs);
  EXPECT_EQ(sort_command_for_column(7), Command::None);
  EXPECT_EQ(sort_command_for_column(-1), Command::None);
}

}  // namespace
}  // namespace phondeck
