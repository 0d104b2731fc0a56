#include "phonebook/phone_book.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <locale>

#include "app/configuration.h"
#include "app/text_table.h"
#include "support/scripted_prompt.h"
#include "phonebook/value_tables.h"

namespace phondeck {
namespace {

PhoneBookEntry entry(std::string name, std::string type, std::string pos, std::string phone = "",
                     std::string unicode = "", std::string write_as = "Auto") {
  return PhoneBookEntry{std::move(name), std::move(unicode), std::move(phone), std::move(type),
                        std::move(pos), "No Group", std::move(write_as), ""};
}

class PhoneBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    config() = Configuration{};
    config().GroupName = {"Family", "VIP", "Friends", "Colleagues", "Other", "No Group"};
  }

  // "Type/Pos" of every entry, in list order.
  static std::vector<std::string> type_pos(const PhoneBookList& list) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.size(); ++i) out.push_back(list.entry(i).Type + "/" + list.entry(i).Pos);
    return out;
  }
  static std::vector<std::string> names(const PhoneBookList& list) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.size(); ++i) out.push_back(list.entry(i).Name);
    return out;
  }

  testing::ScriptedPrompt prompt;
  PhoneBook book{prompt};
};

using Strings = std::vector<std::string>;

TEST_F(PhoneBookTest, ValueTablesLookUpExactTextsAndFallBackToIndexZero) {
  EXPECT_EQ(type_index("SIM"), 1);
  EXPECT_EQ(type_index("Missed"), 5);
  EXPECT_EQ(type_index("sim"), 0);     // case-sensitive
  EXPECT_EQ(type_index("Handy"), 0);   // unknown
  EXPECT_EQ(write_as_index("Both2"), 4);
  EXPECT_EQ(group_index("Colleagues"), 3);
  EXPECT_EQ(type_text(2), "...");
  EXPECT_EQ(write_as_text(3), "Group");
  EXPECT_EQ(group_text(5), "No Group");
  EXPECT_EQ(type_text(-1), "");
  EXPECT_EQ(type_text(6), "");
  EXPECT_EQ(group_text(6), "");
  EXPECT_EQ(write_as_text(5), "");
  // Group names follow the configuration at the time of use.
  config().GroupName[1] = "Work";
  EXPECT_EQ(group_index("Work"), 1);
  EXPECT_EQ(group_index("VIP"), 0);
}

TEST_F(PhoneBookTest, EntryDefaultsResetLoadAndStore) {
  EntryDefaults& d = book.defaults();
  EXPECT_EQ(d.type, 0);
  EXPECT_EQ(d.group, 5);
  EXPECT_EQ(d.write_as, 0);
  EXPECT_EQ(d.Pos, "-1");
  d.reset();
  EXPECT_EQ(d.type, -1);
  EXPECT_EQ(d.group, -1);
  EXPECT_EQ(d.write_as, -1);
  EXPECT_EQ(d.Pos, "-1");
  PhoneBookEntry e{"Ann", "", "123", "SIM", "4", "VIP", "Both", "12:00"};
  d.load_from(e);
  EXPECT_EQ(d.type, 1);
  EXPECT_EQ(d.group, 1);
  EXPECT_EQ(d.write_as, 2);
  d.type = 0;
  d.Name = "Anna";
  d.store_into(e);
  EXPECT_EQ(e, (PhoneBookEntry{"Anna", "", "123", "Phone", "4", "VIP", "Both", "12:00"}));
  // An entry made under another language loads as index 0.
  d.load_from(PhoneBookEntry{"x", "", "", "Téléphone", "1", "Famille", "Nom", ""});
  EXPECT_EQ(d.type, 0);
  EXPECT_EQ(d.group, 0);
  EXPECT_EQ(d.write_as, 0);
}

TEST_F(PhoneBookTest, SortByIndexKeysIsStableAndUnknownTypesSortAsPhone) {
  PhoneBookList& list = book.active();
  list.append(entry("a", "SIM", "1"));
  list.append(entry("b", "Phone", "1"));
  list.append(entry("c", "Handy", "1"));
  list.append(entry("d", "Missed", "1"));
  list.append(entry("e", "Phone", "1"));
  list.set_selected(3, true);
  list.set_focused(0);
  ASSERT_TRUE(book.sort(list, SortKey::Type));
  EXPECT_EQ(names(list), (Strings{"b", "c", "e", "a", "d"}));
  // Selection and focus travel with their entries.
  EXPECT_EQ(list.selected_indices(), std::vector<std::size_t>{4});
  EXPECT_EQ(list.focused(), std::optional<std::size_t>{3});

  list.entry(0).WriteAs = "Both2";
  list.entry(2).WriteAs = "Name";
  ASSERT_TRUE(book.sort(list, SortKey::WriteAs));
  EXPECT_EQ(names(list), (Strings{"c", "a", "d", "e", "b"}));
}

TEST_F(PhoneBookTest, SortByPositionIsNumericAndStopsOnABadPos) {
  PhoneBookList& list = book.active();
  list.append(entry("a", "Phone", "10"));
  list.append(entry("b", "Phone", "9"));
  list.append(entry("c", "Phone", "-1"));
  list.append(entry("d", "Phone", "9"));
  ASSERT_TRUE(book.sort(list, SortKey::Position));
  EXPECT_EQ(names(list), (Strings{"c", "b", "d", "a"}));
  EXPECT_TRUE(prompt.messages.empty());

  list.append(entry("e", "Phone", "x1"));
  list.insert(0, entry("f", "Phone", "3"));
  EXPECT_FALSE(book.sort(list, SortKey::Position));
  EXPECT_EQ(prompt.messages, Strings{"'x1' is not a valid integer value"});
  EXPECT_EQ(names(list), (Strings{"f", "c", "b", "d", "a", "e"}));
}

TEST_F(PhoneBookTest, SortByTypeAndPositionOrdersWithinEachType) {
  PhoneBookList& list = book.active();
  list.append(entry("a", "SIM", "2"));
  list.append(entry("b", "Phone", "5"));
  list.append(entry("c", "SIM", "1"));
  list.append(entry("d", "Phone", "3"));
  ASSERT_TRUE(book.sort_by_type_and_position(list));
  EXPECT_EQ(type_pos(list), (Strings{"Phone/3", "Phone/5", "SIM/1", "SIM/2"}));
}

TEST_F(PhoneBookTest, SortByTextUsesTheUserLocaleCollation) {
  PhoneBookList& list = book.active();
  list.append(entry("banana", "Phone", "1"));
  list.append(entry("Apple", "Phone", "2"));
  list.append(entry("apple", "Phone", "3"));
  list.append(entry("Banana", "Phone", "4"));
  const char* saved = std::getenv("LC_ALL");
  const std::string restore = saved ? saved : "";
  bool english = true;
  try {
    std::locale probe("en_US.UTF-8");
  } catch (const std::exception&) {
    english = false;
  }
  if (!english) {
    // Without a linguistic locale the order is the byte order.
    ASSERT_TRUE(book.sort(list, SortKey::Name));
    EXPECT_EQ(names(list), (Strings{"Apple", "Banana", "apple", "banana"}));
    GTEST_SKIP() << "en_US.UTF-8 is not installed";
  }
  setenv("LC_ALL", "en_US.UTF-8", 1);
  ASSERT_TRUE(book.sort(list, SortKey::Name));
  if (saved) setenv("LC_ALL", restore.c_str(), 1); else unsetenv("LC_ALL");
  // Linguistic order: letters before case; lower case first within a letter.
  EXPECT_EQ(names(list), (Strings{"apple", "Apple", "banana", "Banana"}));
}

TEST_F(PhoneBookTest, SerializeAllPositionsByTypeAndByOrder) {
  PhoneBookList& list = book.active();
  list.append(entry("a", "SIM", "3"));
  list.append(entry("b", "Phone", "7"));
  list.append(entry("c", "SIM", "1"));
  list.append(entry("d", "Phone", "2"));
  ASSERT_TRUE(book.serialize_all_positions(list, true));
  EXPECT_EQ(type_pos(list), (Strings{"Phone/1", "Phone/2", "SIM/1", "SIM/2"}));
  EXPECT_EQ(names(list), (Strings{"b", "d", "a", "c"}));

  ASSERT_TRUE(book.serialize_all_positions(list, false));
  EXPECT_EQ(type_pos(list), (Strings{"Phone/1", "Phone/2", "SIM/3", "SIM/4"}));

  // The counter restarts whenever the Type text changes, even between texts
  // of the same index; renumbering never reads the old Pos texts.
  list.clear();
  list.append(entry("a", "Phone", "junk"));
  list.append(entry("b", "Handy", "1"));
  list.append(entry("c", "Phone", ""));
  ASSERT_TRUE(book.serialize_all_positions(list, true));
  EXPECT_EQ(type_pos(list), (Strings{"Phone/1", "Handy/1", "Phone/1"}));
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(PhoneBookTest, SerializeDuplicatedPositionsRaisesRunsWithinEachType) {
  PhoneBookList& list = book.active();
  list.append(entry("a", "SIM", "3"));
  list.append(entry("b", "Phone", "3"));
  list.append(entry("c", "Phone", "4"));
  list.append(entry("d", "Phone", "3"));
  ASSERT_TRUE(book.serialize_duplicated_positions(list));
  EXPECT_EQ(type_pos(list), (Strings{"Phone/3", "Phone/4", "Phone/5", "SIM/3"}));
  EXPECT_EQ(names(list), (Strings{"b", "d", "c", "a"}));

  // Fewer than two entries: nothing is read, nothing changes.
  PhoneBookList& single = book.other();
  single.append(entry("x", "Phone", "bad"));
  EXPECT_TRUE(book.serialize_duplicated_positions(single));
  EXPECT_EQ(single.entry(0).Pos, "bad");
  EXPECT_TRUE(prompt.messages.empty());

  single.append(entry("y", "Phone", "1"));
  EXPECT_FALSE(book.serialize_duplicated_positions(single));
  EXPECT_EQ(prompt.messages, Strings{"'bad' is not a valid integer value"});
}

TEST_F(PhoneBookTest, FirstFreePositionFindsGapsAndReportsAFullMemory) {
  PhoneBookList& list = book.active();
  list.append(entry("a", "Phone", "1"));
  list.append(entry("b", "Handy", "2"));  // counts as a Phone position
  list.append(entry("c", "SIM", "3"));
  list.append(entry("d", "Phone", "4"));
  EXPECT_EQ(book.first_free_position(kMemoryPhone), 3);
  EXPECT_EQ(book.first_free_position(kMemorySim), 1);
  EXPECT_TRUE(book.memory().is_occupied(0, 2));

  book.memory().capacity[0] = 2;
  EXPECT_EQ(book.first_free_position(kMemoryPhone), 0);
  EXPECT_EQ(prompt.messages, Strings{"Not enough memory on phone"});

  // Capacity 3 with positions 1..3 taken.
  book.memory().capacity[0] = 3;
  list.entry(3).Pos = "3";
  EXPECT_EQ(book.first_free_position(kMemoryPhone), 0);
  EXPECT_EQ(prompt.messages.size(), 2u);

  book.memory().capacity[1] = 0;
  EXPECT_EQ(book.first_free_position(kMemorySim), 0);
  book.memory().reset_capacities();
  EXPECT_EQ(book.first_free_position(kMemoryPhone), 4);
}

TEST_F(PhoneBookTest, FirstFreePositionIgnoresUntrackedEntriesAndStopsOnABadPos) {
  PhoneBookList& list = book.active();
  list.append(entry("a", "Phone", "0"));
  list.append(entry("b", "Phone", "255"));
  list.append(entry("c", "Dialled", "1"));
  list.append(entry("d", "...", "1"));
  EXPECT_EQ(book.first_free_position(kMemoryPhone), 1);
  EXPECT_EQ(book.first_free_position(2), 2);
  EXPECT_EQ(book.first_free_position(3), 1);   // call registers are not tracked
  EXPECT_EQ(book.first_free_position(-1), 1);
  // Entries of the other list do not count.
  book.other().append(entry("e", "Phone", "1"));
  EXPECT_EQ(book.first_free_position(kMemoryPhone), 1);
  list.append(entry("f", "Phone", "1 "));
  EXPECT_EQ(book.first_free_position(kMemoryPhone), std::nullopt);
  EXPECT_EQ(prompt.messages, Strings{"'1 ' is not a valid integer value"});
}

TEST_F(PhoneBookTest, DeleteAndClearAskOnlyWhenConfiguredAndNo) {
  PhoneBookList& list = book.active();
  list.append(entry("a", "Phone", "1"));
  list.append(entry("b", "Phone", "2"));
  list.append(entry("c", "Phone", "3"));
  EXPECT_FALSE(book.delete_selected(list));  // no selection: no question
  EXPECT_TRUE(prompt.questions.empty());

  list.set_selected(1, true);
  prompt.answers = {false};
  EXPECT_FALSE(book.delete_selected(list));
  EXPECT_EQ(prompt.questions, Strings{"Are you sure to clear ?"});
  EXPECT_EQ(list.size(), 3u);

  EXPECT_TRUE(book.delete_selected(list));
  EXPECT_EQ(names(list), (Strings{"a", "c"}));

  config().DelConfirm = 0;
  list.set_selected(0, true);
  EXPECT_TRUE(book.delete_selected(list));
  EXPECT_EQ(names(list), Strings{"c"});
  EXPECT_EQ(prompt.questions.size(), 2u);

  config().DelConfirm = 1;
  list.set_title("T");
  prompt.answers = {false};
  EXPECT_FALSE(book.clear_all(list));
  EXPECT_EQ(prompt.questions.back(), "Are you sure to clear all ?");
  EXPECT_EQ(list.size(), 1u);
  EXPECT_TRUE(book.clear_all(list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.title(), "");
  const std::size_t asked = prompt.questions.size();
  EXPECT_FALSE(book.clear_all(list));  // empty: no question
  EXPECT_EQ(prompt.questions.size(), asked);
}

TEST_F(PhoneBookTest, SimplifiedModeRenumbersByTypeAfterDeletion) {
  config().BasicLevel = 1;
  config().DelConfirm = 0;
  PhoneBookList& list = book.active();
  list.append(entry("a", "SIM", "1"));
  list.append(entry("b", "Phone", "1"));
  list.append(entry("c", "Phone", "2"));
  list.append(entry("d", "Phone", "3"));
  list.set_selected(2, true);
  ASSERT_TRUE(book.delete_selected(list));
  EXPECT_EQ(type_pos(list), (Strings{"Phone/1", "Phone/2", "SIM/1"}));
  EXPECT_EQ(names(list), (Strings{"b", "d", "a"}));

  config().BasicLevel = 0;
  list.entry(0).Pos = "9";
  ASSERT_TRUE(book.renumber_if_simplified(list));
  EXPECT_EQ(list.entry(0).Pos, "9");
}

TEST_F(PhoneBookTest, CopyAndMoveBetweenLists) {
  PhoneBookList& from = book.active();
  PhoneBookList& to = book.other();
  from.append(entry("a", "Phone", "1"));
  from.append(entry("b", "Phone", "bad"));
  from.append(entry("c", "Phone", "3"));
  to.append(entry("z", "SIM", "1"));
  from.set_selected(2, true);
  from.set_selected(1, true);
  book.memory().capacity[0] = 1;  // full memory: copying never looks for a position

  book.copy_selected(from, to);
  EXPECT_EQ(names(to), (Strings{"z", "b", "c"}));
  EXPECT_EQ(to.entry(1).Pos, "bad");
  EXPECT_FALSE(to.has_selection());
  EXPECT_TRUE(prompt.messages.empty());

  to.clear();
  prompt.answers = {false};
  EXPECT_FALSE(book.move_selected(from, to));
  EXPECT_EQ(names(to), (Strings{"b", "c"}));
  EXPECT_EQ(names(from), (Strings{"a", "b", "c"}));

  to.clear();
  EXPECT_TRUE(book.move_selected(from, to));
  EXPECT_EQ(names(to), (Strings{"b", "c"}));
  EXPECT_EQ(names(from), Strings{"a"});

  const std::size_t asked = prompt.questions.size();
  EXPECT_FALSE(book.move_selected(from, to));  // nothing selected
  EXPECT_EQ(prompt.questions.size(), asked);
  EXPECT_EQ(to.size(), 2u);
}

TEST_F(PhoneBookTest, InsertCopiesGoBeforeTheDropTargetInOrder) {
  PhoneBookList& from = book.left();
  PhoneBookList& to = book.right();
  for (const char* n : {"a", "b", "c"}) from.append(entry(n, "Phone", "1"));
  for (const char* n : {"x", "y"}) to.append(entry(n, "Phone", "1"));
  from.set_selected(0, true);
  from.set_selected(2, true);
  book.insert_copies(from, to, 1);
  EXPECT_EQ(names(to), (Strings{"x", "a", "c", "y"}));
  book.insert_copies(from, to, std::nullopt);
  EXPECT_EQ(names(to), (Strings{"x", "a", "c", "y", "a", "c"}));
  book.insert_copies(from, to, 99);
  EXPECT_EQ(to.size(), 8u);
  // Dropping a list onto itself copies what was selected before the drop.
  book.insert_copies(from, from, 0);
  EXPECT_EQ(names(from), (Strings{"a", "c", "a", "b", "c"}));
}

TEST_F(PhoneBookTest, MessagesDroppedOntoTheActiveListTakeConsecutiveFreePositions) {
  PhoneBookList& list = book.active();
  list.append(entry("a", "Phone", "1"));
  list.append(entry("b", "Phone", "3"));
  book.defaults().type = 0;
  book.defaults().group = 1;
  book.defaults().write_as = 2;
  const std::vector<MessageContact> messages{{"+4912345", "Ärger"}, {"555", "Bob"}};
  ASSERT_TRUE(book.entries_from_messages(messages, list, 1));
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list.entry(1), (PhoneBookEntry{"", "Ärger", "+4912345", "Phone", "2", "VIP", "Both", ""}));
  EXPECT_EQ(list.entry(2), (PhoneBookEntry{"Bob", "", "555", "Phone", "4", "VIP", "Both", ""}));
  EXPECT_EQ(names(list), (Strings{"a", "", "Bob", "b"}));

  // Onto the other list the search still reads the active list.
  ASSERT_TRUE(book.entries_from_messages(messages, book.other(), std::nullopt));
  EXPECT_EQ(book.other().entry(0).Pos, "5");
  EXPECT_EQ(book.other().entry(1).Pos, "5");

  book.memory().capacity[0] = 4;
  ASSERT_TRUE(book.entries_from_messages({{"1", "c"}}, list, std::nullopt));
  EXPECT_EQ(list.entry(4).Pos, "0");
  EXPECT_EQ(prompt.messages, Strings{"Not enough memory on phone"});
}

TEST_F(PhoneBookTest, RenameGroupRunsOverBothLists) {
  book.left().append(entry("a", "Phone", "1"));
  book.right().append(entry("b", "Phone", "1"));
  book.right().append(entry("c", "Phone", "1"));
  book.right().entry(1).Group = "VIP";
  book.rename_group("No Group", "Nobody");
  EXPECT_EQ(book.left().entry(0).Group, "Nobody");
  EXPECT_EQ(book.right().entry(0).Group, "Nobody");
  EXPECT_EQ(book.right().entry(1).Group, "VIP");
}

// A name only for the same number: its national and international forms
// are one in the handset network's country (or, without one, in the country
// the international form names); ending in the same digits is not enough.
TEST_F(PhoneBookTest, NameForNumberOnlyForTheSameNumberActiveListFirst) {
  EXPECT_EQ(book.name_for_number("123", "TW"), "");
  PhoneBookList& list = book.active();
  list.append(entry("Short", "Phone", "1", "12"));
  list.append(entry("Home", "Phone", "2", "0912345678"));
  list.append(entry("Ming", "Phone", "3", "0987654321", "明", "Auto"));
  list.append(entry("Lee", "Phone", "4", "0911111111", "李", "Name"));
  list.append(entry("Wu", "Phone", "5", "0922222222", "", "Both"));
  list.append(entry("Mum", "Phone", "6", "+358401234567"));
  list.append(entry("Voice", "Phone", "7", "*100#"));
  struct Case {
    const char* number;
    const char* country;
    const char* name;
  };
  const Case cases[] = {
      {"+886912345678", "TW", "Home"},    // the international form of a national entry
      {"+886912345678", "", "Home"},      // read in the country "+886" names
      {"+886987654321", "TW", "明"},      // Auto with UNICODE
      {"0911111111", "TW", "Lee"},        // Name ignores UNICODE
      {"0922222222", "TW", "Wu"},         // UNICODE empty
      {"0401234567", "FI", "Mum"},        // the national form of an international entry
      {"0401234567", "TW", ""},           // another country's national number
      {"+9991234567", "FI", ""},          // the same last digits only
      {"+358401234567", "FI", "Mum"},
      {"12345", "TW", ""},                // a part of Home's number
      {"+886912345678", "FI", ""},        // Home's national form read in Finland
      {"12", "TW", "Short"},              // the same text
      {"*100#", "FI", "Voice"},
      {"", "TW", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(book.name_for_number(c.number, c.country), c.name) << c.number;
  // With the other pane active its entries come first, the rest still
  // from the list without the focus.
  book.set_active(ListSide::Right);
  book.right().append(entry("Office", "Phone", "1", "0912345678"));
  EXPECT_EQ(book.name_for_number("+886912345678", "TW"), "Office");
  EXPECT_EQ(book.name_for_number("+886911111111", "TW"), "Lee");
  EXPECT_EQ(book.name_for_number("0999", "TW"), "");
  // The very number before another form of it, in either list.
  book.right().append(entry("Chen", "Phone", "2", "+886912345678"));
  EXPECT_EQ(book.name_for_number("+886912345678", "TW"), "Chen");
}

TEST(PhoneBookListTest, SelectionFocusAndReorderKeepTogether) {
  PhoneBookList list;
  for (const char* n : {"a", "b", "c"}) list.append(entry(n, "Phone", "1"));
  list.set_selected(2, true);
  list.set_selected(0, true);
  EXPECT_EQ(list.first_selected(), std::optional<std::size_t>{0});
  list.select_only(1);
  EXPECT_EQ(list.selected_indices(), std::vector<std::size_t>{1});
  list.set_focused(2);
  list.reorder({2, 1, 0});
  EXPECT_EQ(list.entry(0).Name, "c");
  EXPECT_EQ(list.focused(), std::optional<std::size_t>{0});
  EXPECT_EQ(list.selected_indices(), std::vector<std::size_t>{1});
  EXPECT_THROW(list.reorder({0, 0, 1}), std::invalid_argument);
  list.remove(7);
  list.insert(10, entry("d", "Phone", "1"));
  EXPECT_EQ(list.entry(3).Name, "d");
  EXPECT_FALSE(list.is_selected(3));
  list.remove_selected();
  EXPECT_EQ(list.size(), 3u);
  EXPECT_FALSE(list.has_selection());
  EXPECT_EQ(list.focused(), std::optional<std::size_t>{0});
}

}  // namespace
}  // namespace phondeck
