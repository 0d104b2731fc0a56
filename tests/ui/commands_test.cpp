#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "app/text_table.h"
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

// Every menu path the README names ("Function › PhoneBook › Read") is one
// the menu bar has, from its top.
TEST(MenuTable, TheReadmeNamesMenuPathsAsTheMenusShowThem) {
  texts().load_english();
  std::ifstream file(std::string(PHONDECK_SOURCE_DIR) + "/README.md", std::ios::binary);
  ASSERT_TRUE(file);
  std::string readme;
  for (std::string line; std::getline(file, line);) {
    const std::size_t from = line.find_first_not_of(' ');
    readme += (readme.empty() ? "" : " ") + (from == std::string::npos ? std::string() : line.substr(from));
  }
  auto caption = [](const MenuItem& item) {
    std::string text;
    for (char c : tx(item.text_id)) {
      if (c != '&') text += c;
    }
    return text.ends_with("...") ? text.substr(0, text.size() - 3) : text;
  };
  const std::string arrow = " \u203a ";
  std::set<std::size_t> walked;  // arrows that are part of a path from the top
  int paths = 0;
  for (const MenuItem& top : main_menu()) {
    const std::string head = caption(top) + arrow;
    for (std::size_t at = readme.find(head); at != std::string::npos; at = readme.find(head, at + 1)) {
      const MenuItem* menu = &top;
      std::size_t next = at + caption(top).size();
      while (readme.compare(next, arrow.size(), arrow) == 0) {
        walked.insert(next);
        next += arrow.size();
        const MenuItem* found = nullptr;
        for (const MenuItem& child : menu->children) {
          if (child.is_separator() || readme.compare(next, caption(child).size(), caption(child)) != 0) continue;
          if (found == nullptr || caption(child).size() > caption(*found).size()) found = &child;
        }
        ASSERT_NE(found, nullptr) << "no item of " << caption(*menu) << " at: " << readme.substr(at, 60);
        menu = found;
        next += caption(*found).size();
      }
      ++paths;
    }
  }
  EXPECT_GE(paths, 10);
  for (std::size_t at = readme.find(arrow); at != std::string::npos; at = readme.find(arrow, at + 1)) {
    EXPECT_TRUE(walked.contains(at)) << "a path that does not start at the menu bar: "
                                     << readme.substr(at < 30 ? 0 : at - 30, 60);
  }
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
