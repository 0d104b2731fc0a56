#include <gtest/gtest.h>

#include "ui/main_window_logic.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

using testing::FakeEditor;
using testing::FakeHandset;
using testing::FakePrompt;
using testing::make_entry;
using testing::names;

class MainWindowLogicTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::fresh_texts_and_configuration(); }

  void fill_left() {
    PhoneBookList& left = logic.book().left();
    left.append(make_entry("Anna", "111", "Phone", "1", "Family"));
    left.append(make_entry("Bert", "222", "SIM", "1", "VIP"));
    left.append(make_entry("Cleo", "333", "SIM", "2", "Family"));
    left.append(make_entry("Dora", "444", "Phone", "2", "Friends"));
  }

  std::vector<std::string> third_names() {
    std::vector<std::string> out;
    for (std::size_t r = 0; r < logic.third_size(); ++r) {
      out.push_back(logic.third_view().entry(r).Name);
    }
    return out;
  }

  FakePrompt prompt;
  FakeEditor editor;
  FakeHandset handset;
  PhoneBook book{prompt};
  MainWindowLogic logic{prompt, editor, handset, book};
};

TEST_F(MainWindowLogicTest, ModeSwitchBuildsTheTreeAndSplits) {
  fill_left();
  logic.activate(ListSide::Right);
  EXPECT_TRUE(logic.set_mode(kModeType, 800));
  EXPECT_EQ(logic.book().active_side(), ListSide::Left);
  EXPECT_EQ(logic.tree_root(), "PhoneBook");
  EXPECT_EQ(logic.tree_children(),
            (std::vector<std::string>{"Phone", "SIM", "...", "Dialled", "Received", "Missed"}));
  EXPECT_EQ(logic.split_numerator(), 1);
  EXPECT_EQ(logic.split_denominator(), 4);
  EXPECT_EQ(logic.selected_category(), -1);
  EXPECT_EQ(third_names(), (std::vector<std::string>{"Anna", "Bert", "Cleo", "Dora"}));

  EXPECT_FALSE(logic.set_mode(kModeType, 800));  // same mode: nothing
  EXPECT_TRUE(logic.set_mode(42, 800));           // out of range: Default
  EXPECT_EQ(logic.mode(), kModeDefault);
  EXPECT_EQ(logic.split_numerator(), 400);
  EXPECT_EQ(logic.split_denominator(), 800);
  EXPECT_EQ(logic.third_size(), 0u);
}

TEST_F(MainWindowLogicTest, ModeSwitchIsWhatASaveWritesAsUIMode) {
  logic.set_mode(kModeGroup, 800);
  EXPECT_EQ(config().UIMode, kModeGroup);
  logic.run(Command::FileNew, 0, 800);  // back to two panes
  EXPECT_EQ(config().UIMode, kModeDefault);
  logic.set_mode(kModeWriteAs, 800);
  logic.set_mode(-3, 800);  // out of range: Default
  EXPECT_EQ(config().UIMode, kModeDefault);
}

TEST_F(MainWindowLogicTest, TreeNodesFilterTheThirdList) {
  fill_left();
  logic.set_mode(kModeType, 800);
  logic.select_tree_node(1);  // SIM
  EXPECT_EQ(third_names(), (std::vector<std::string>{"Bert", "Cleo"}));
  logic.select_tree_node(-1);
  EXPECT_EQ(logic.third_size(), 4u);

  logic.set_mode(kModeGroup, 800);
  EXPECT_EQ(logic.tree_children().size(), 6u);
  EXPECT_EQ(logic.tree_children()[0], "Family");
  logic.select_tree_node(0);
  EXPECT_EQ(third_names(), (std::vector<std::string>{"Anna", "Cleo"}));

  logic.set_mode(kModeWriteAs, 800);
  EXPECT_EQ(logic.tree_children().size(), 5u);
  logic.set_mode(1, 800);  // Name: a root only
  EXPECT_TRUE(logic.tree_children().empty());
  EXPECT_EQ(logic.third_size(), 4u);
}

TEST_F(MainWindowLogicTest, EntriesWithUnknownTextsCountAsCategoryZero) {
  logic.book().left().append(make_entry("Hans", "9", "Handy", "3"));
  logic.set_mode(kModeType, 800);
  logic.select_tree_node(0);
  EXPECT_EQ(third_names(), std::vector<std::string>{"Hans"});
}

TEST_F(MainWindowLogicTest, SimplifiedModeSortsTheLeftListWhenAChildIsShown) {
  config().BasicLevel = 1;
  fill_left();
  logic.set_mode(kModeType, 800);
  logic.select_tree_node(0);
  EXPECT_EQ(names(logic.book().left()), (std::vector<std::string>{"Anna", "Dora", "Bert", "Cleo"}));
  EXPECT_EQ(third_names(), (std::vector<std::string>{"Anna", "Dora"}));
}

TEST_F(MainWindowLogicTest, SortRefreshesTheTreeView) {
  fill_left();
  logic.set_mode(kModeType, 800);
  logic.run(Command::SortPhone);
  logic.header_clicked(ListPane::Third, 0);  // by name, descending order never exists
  EXPECT_EQ(third_names(), (std::vector<std::string>{"Anna", "Bert", "Cleo", "Dora"}));
  logic.book().left().entry(0).Name = "Zeno";
  logic.header_clicked(ListPane::Third, 0);
  EXPECT_EQ(third_names(), (std::vector<std::string>{"Bert", "Cleo", "Dora", "Zeno"}));
}

TEST_F(MainWindowLogicTest, HeaderClicksSortByColumnExceptTime) {
  PhoneBookList& right = logic.book().right();
  right.append(make_entry("A", "1", "Phone", "10"));
  right.append(make_entry("B", "2", "Phone", "9"));
  right.entry(0).Time = "2";
  right.entry(1).Time = "1";
  logic.activate(ListSide::Right);

  logic.header_clicked(ListPane::Right, 7);  // Time: nothing
  EXPECT_EQ(names(right), (std::vector<std::string>{"A", "B"}));
  logic.header_clicked(ListPane::Right, 4);  // Pos: numerically, 10 after 9
  EXPECT_EQ(names(right), (std::vector<std::string>{"B", "A"}));
  // The clicked (left) list is empty: nothing, though the active list is not.
  logic.header_clicked(ListPane::Left, 0);
  EXPECT_EQ(names(right), (std::vector<std::string>{"B", "A"}));
}

TEST_F(MainWindowLogicTest, DroppingRowsOnAGroupNodeRegroupsTheirEntries) {
  fill_left();
  logic.set_mode(kModeGroup, 800);
  logic.select_tree_node(2);  // Friends: Dora
  ASSERT_EQ(logic.third_size(), 1u);
  logic.set_third_selected(0, true);
  logic.drop_rows_on_node(0);  // Family
  EXPECT_EQ(logic.book().left().entry(3).Group, "Family");
  EXPECT_EQ(logic.book().defaults().group, 0);
  EXPECT_EQ(logic.third_size(), 0u);  // Friends is empty now
  logic.select_tree_node(0);
  EXPECT_EQ(third_names(), (std::vector<std::string>{"Anna", "Cleo", "Dora"}));
}

TEST_F(MainWindowLogicTest, DroppingMessagesOnANodeUsesItsCategory) {
  fill_left();
  logic.set_mode(kModeType, 800);
  logic.drop_messages_on_node(1, {{"+4912345", "Max"}, {"555", "Moritz"}});
  const PhoneBookList& left = logic.book().left();
  ASSERT_EQ(left.size(), 6u);
  EXPECT_EQ(left.entry(4).Type, "SIM");
  EXPECT_EQ(left.entry(4).Pos, "3");
  EXPECT_EQ(left.entry(5).Pos, "4");  // the first drop already holds 3
  EXPECT_EQ(left.entry(5).Name, "Moritz");
  EXPECT_EQ(logic.third_size(), 6u);  // root still selected
}

TEST_F(MainWindowLogicTest, DroppingMessagesOnTheThirdListUsesTheSelectedCategory) {
  fill_left();
  logic.set_mode(kModeGroup, 800);
  logic.select_tree_node(1);  // VIP
  logic.drop_messages_on_third_list({{"777", "Vera"}});
  EXPECT_EQ(logic.book().left().entry(4).Group, "VIP");
  EXPECT_EQ(third_names(), (std::vector<std::string>{"Bert", "Vera"}));
}

TEST_F(MainWindowLogicTest, DroppingBetweenPanesInsertsCopiesBeforeTheTarget) {
  fill_left();
  PhoneBookList& right = logic.book().right();
  right.append(make_entry("X", "9", "Phone", "9"));
  right.append(make_entry("Y", "8", "Phone", "8"));
  logic.book().left().set_selected(1, true);
  logic.book().left().set_selected(3, true);
  logic.drop_entries_on_pane(ListSide::Right, 1);
  EXPECT_EQ(names(right), (std::vector<std::string>{"X", "Bert", "Dora", "Y"}));
  logic.drop_entries_on_pane(ListSide::Right, std::nullopt);
  EXPECT_EQ(names(right).back(), "Dora");
  EXPECT_EQ(logic.book().left().size(), 4u);
}

TEST_F(MainWindowLogicTest, FileNewInTreeModeClearsAndReturnsToTwoPanes) {
  fill_left();
  logic.set_mode(kModeType, 800);
  logic.run(Command::FileNew, 0, 800);
  EXPECT_EQ(prompt.questions, std::vector<std::string>{"Are you sure to clear all ?"});
  EXPECT_TRUE(logic.book().left().empty());
  EXPECT_EQ(logic.mode(), kModeDefault);
}

TEST_F(MainWindowLogicTest, NewEntryGoesBeforeTheSelectedEntryAndJoinsTheSelection) {
  fill_left();
  editor.on_edit = [](EntryDefaults& d) {
    d.Name = "New";
    return true;
  };
  PhoneBookList& left = logic.book().left();
  left.set_selected(2, true);
  logic.run(Command::Insert);
  ASSERT_EQ(left.size(), 5u);
  EXPECT_EQ(left.entry(2).Name, "New");
  EXPECT_EQ(left.entry(2).Pos, "3");  // Phone 1 and 2 are used
  EXPECT_EQ(left.entry(2).Type, "Phone");
  EXPECT_EQ(left.entry(2).Group, "No Group");
  EXPECT_EQ(left.entry(2).WriteAs, "Auto");
  EXPECT_TRUE(left.is_selected(2));
  EXPECT_TRUE(left.is_selected(3));  // Cleo stays selected
  // The Editor saw the reset defaults completed by the new-entry rules.
  ASSERT_EQ(editor.shown.size(), 1u);
  EXPECT_EQ(editor.shown[0].type, 0);
  EXPECT_EQ(editor.shown[0].group, 5);
  EXPECT_EQ(editor.shown[0].write_as, 0);
}

TEST_F(MainWindowLogicTest, NewEntryWithFullMemoryWarnsAndProposesZero) {
  logic.book().memory().capacity[0] = 2;
  logic.book().left().append(make_entry("A", "1", "Phone", "1"));
  logic.book().left().append(make_entry("B", "2", "Phone", "2"));
  editor.on_edit = [this](EntryDefaults&) {
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Not enough memory on phone"});
    return false;  // cancelled: nothing added
  };
  logic.new_entry();
  ASSERT_EQ(editor.shown.size(), 1u);
  EXPECT_EQ(editor.shown[0].Pos, "0");
  EXPECT_EQ(logic.book().left().size(), 2u);
}

TEST_F(MainWindowLogicTest, NewEntryInTreeModePresetsTheCategory) {
  fill_left();
  logic.set_mode(kModeType, 800);
  logic.select_tree_node(1);  // SIM
  editor.on_edit = [](EntryDefaults& d) {
    d.Name = "Sid";
    return true;
  };
  logic.new_entry();
  EXPECT_EQ(editor.shown.at(0).type, 1);
  EXPECT_EQ(third_names(), (std::vector<std::string>{"Bert", "Cleo", "Sid"}));
  EXPECT_TRUE(logic.third_selected(2));
}

TEST_F(MainWindowLogicTest, EditWritesBackOnOkOnly) {
  fill_left();
  PhoneBookList& left = logic.book().left();
  left.entry(1).Time = "12:00";
  left.set_selected(1, true);
  editor.on_edit = [](EntryDefaults& d) {
    d.Name = "Berta";
    d.group = 0;
    return false;
  };
  logic.run(Command::Edit);
  EXPECT_EQ(left.entry(1).Name, "Bert");
  EXPECT_EQ(logic.book().defaults().Name, "Bert");  // loaded, kept on Cancel

  editor.on_edit = [](EntryDefaults& d) {
    d.Name = "Berta";
    d.group = 0;
    return true;
  };
  logic.run(Command::Edit);
  EXPECT_EQ(left.entry(1).Name, "Berta");
  EXPECT_EQ(left.entry(1).Group, "Family");
  EXPECT_EQ(left.entry(1).Time, "12:00");
}

TEST_F(MainWindowLogicTest, EditWithoutSelectionDoesNothing) {
  fill_left();
  logic.run(Command::Edit);
  EXPECT_TRUE(editor.shown.empty());
  logic.set_mode(kModeType, 800);
  logic.run(Command::Edit);
  EXPECT_TRUE(editor.shown.empty());
}

TEST_F(MainWindowLogicTest, EditInTreeModeEditsTheRowsEntry) {
  fill_left();
  logic.book().left().set_selected(0, true);
  logic.set_mode(kModeType, 800);
  logic.select_tree_node(1);
  logic.set_third_selected(1, true);  // Cleo
  editor.on_edit = [](EntryDefaults& d) {
    d.type = 0;  // moves to Phone: leaves the SIM view
    return true;
  };
  logic.run(Command::Edit);
  EXPECT_EQ(editor.shown.at(0).Name, "Cleo");
  EXPECT_EQ(logic.book().left().entry(2).Type, "Phone");
  EXPECT_FALSE(logic.book().left().is_selected(0));
  EXPECT_EQ(third_names(), std::vector<std::string>{"Bert"});
}

TEST_F(MainWindowLogicTest, DeleteInTreeModeRemovesOnlyThePickedRows) {
  fill_left();
  logic.book().left().set_selected(0, true);  // left over from two-pane mode
  logic.set_mode(kModeType, 800);
  logic.select_tree_node(1);
  logic.set_third_selected(0, true);  // Bert
  logic.run(Command::Delete);
  EXPECT_EQ(names(logic.book().left()), (std::vector<std::string>{"Anna", "Cleo", "Dora"}));
  EXPECT_EQ(third_names(), std::vector<std::string>{"Cleo"});
}

TEST_F(MainWindowLogicTest, MoveAnsweredNoLeavesEntriesInBothLists) {
  fill_left();
  logic.book().left().set_selected(0, true);
  prompt.answers = {false};
  logic.run(Command::MoveToOther);
  EXPECT_EQ(logic.book().left().size(), 4u);
  EXPECT_EQ(names(logic.book().right()), std::vector<std::string>{"Anna"});
  logic.run(Command::CopyToOther);
  EXPECT_EQ(logic.book().right().size(), 2u);
  EXPECT_EQ(prompt.questions.size(), 1u);  // copying never asks
}

TEST_F(MainWindowLogicTest, SelectAllFollowsTheMode) {
  fill_left();
  logic.run(Command::SelectAll);
  EXPECT_EQ(logic.book().left().selected_indices().size(), 4u);
  logic.book().left().clear_selection();
  logic.set_mode(kModeType, 800);
  logic.select_tree_node(1);
  logic.run(Command::SelectAll);
  EXPECT_EQ(logic.third_view().selected_rows().size(), 2u);
  EXPECT_FALSE(logic.book().left().has_selection());
}

TEST_F(MainWindowLogicTest, DoubleClicksEditARowOrStartANewEntry) {
  fill_left();
  editor.on_edit = [](EntryDefaults&) { return false; };
  logic.double_clicked(ListPane::Right, std::nullopt);
  ASSERT_EQ(editor.shown.size(), 1u);
  EXPECT_EQ(editor.shown[0].Name, "");
  logic.double_clicked(ListPane::Left, 3);
  ASSERT_EQ(editor.shown.size(), 2u);
  EXPECT_EQ(editor.shown[1].Name, "Dora");
}

TEST_F(MainWindowLogicTest, MenuStatesFollowTheLists) {
  EXPECT_FALSE(logic.edit_menu().find);
  EXPECT_FALSE(logic.popup_has_selection());
  fill_left();
  EXPECT_TRUE(logic.edit_menu().sort);
  EXPECT_FALSE(logic.edit_menu().edit);
  logic.book().left().set_selected(0, true);
  EXPECT_TRUE(logic.edit_menu().delete_entry);
  EXPECT_TRUE(logic.popup_has_selection());
  logic.set_mode(kModeType, 800);
  EXPECT_FALSE(logic.popup_has_selection());  // third list has none
}

TEST_F(MainWindowLogicTest, HandsetCommandsGoThroughTheSeam) {
  logic.run(Command::Connect);
  logic.run(Command::ReadPhoneBook);
  logic.run(Command::ClearThenWrite);
  logic.run(Command::NetMonitorOpen);
  logic.run(Command::NetMonitorClose);
  logic.book().memory().capacity = {10, 20};
  logic.run(Command::Reset);
  EXPECT_EQ(handset.calls, (std::vector<std::string>{"connect", "read", "clear then write",
                                                     "monitor open", "monitor close", "reset"}));
  EXPECT_EQ(logic.book().memory().capacity[0], 200);
  EXPECT_EQ(logic.book().memory().capacity[1], 200);
  EXPECT_FALSE(logic.run(Command::Print));  // the window's own
}

}  // namespace
}  // namespace phondeck
