#include <gtest/gtest.h>

#include <set>

#include "ui/commands.h"

namespace phondeck {
namespace {

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
