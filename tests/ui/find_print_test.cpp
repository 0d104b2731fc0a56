#include <gtest/gtest.h>

#include "ui/find_print.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

using testing::FakePrompt;
using testing::make_entry;

class FindPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::fresh_texts_and_configuration();
    list.append(make_entry("Anna", "0301234567", "Phone", "1", "Family"));
    list.append(make_entry("Bert", "0409876", "SIM", "1", "VIP"));
    list.append(make_entry("cleo", "0301111", "SIM", "2", "Friends"));
    list.append(make_entry("Dora", "0891", "Phone", "2", "Family"));
    list.append(make_entry("Emil", "555", "Phone", "3", "Other"));
  }
  PhoneBookList list;
  ListEntryView view{list};
  FakePrompt prompt;
};

TEST_F(FindPrintTest, LowerCaseSearchWithoutMatchCaseFindsAnyColumn) {
  FindOptions o;
  o.text = "vip";
  o.match_case = false;
  EXPECT_EQ(find_next(view, o, prompt), 1u);
  EXPECT_EQ(list.selected_indices(), std::vector<std::size_t>{1});
  o.match_case = true;
  list.clear_selection();
  EXPECT_EQ(find_next(view, o, prompt), std::nullopt);
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"Not found"});
}

TEST_F(FindPrintTest, SearchingOnFromTheSelectionAndWrappingAfterNotFound) {
  FindOptions o;
  o.text = "030";
  EXPECT_EQ(find_next(view, o, prompt), 0u);
  EXPECT_EQ(find_next(view, o, prompt), 2u);
  EXPECT_EQ(find_next(view, o, prompt), std::nullopt);  // nothing after cleo
  EXPECT_FALSE(list.has_selection());
  EXPECT_EQ(find_next(view, o, prompt), 0u);  // starts again at the top
}

TEST_F(FindPrintTest, SearchingDownFromTheLastEntry) {
  FindOptions o;
  o.text = "555";
  list.set_selected(4, true);
  EXPECT_EQ(find_next(view, o, prompt), std::nullopt);
  EXPECT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(find_next(view, o, prompt), 4u);
}

TEST_F(FindPrintTest, SearchingUpStartsAtTheEnd) {
  FindOptions o;
  o.text = "Family";
  o.down = false;
  EXPECT_EQ(find_next(view, o, prompt), 3u);
  EXPECT_EQ(find_next(view, o, prompt), 0u);
  EXPECT_EQ(find_next(view, o, prompt), std::nullopt);
}

TEST_F(FindPrintTest, WholeWordNeedsTheWholeColumn) {
  FindOptions o;
  o.text = "0301";
  o.whole_word = true;
  EXPECT_EQ(find_next(view, o, prompt), std::nullopt);
  o.whole_word = false;
  EXPECT_EQ(find_next(view, o, prompt), 0u);
  o.whole_word = true;
  o.text = "0891";
  EXPECT_EQ(find_next(view, o, prompt), 3u);
}

TEST_F(FindPrintTest, EmptyListSaysNotFound) {
  PhoneBookList none;
  ListEntryView empty(none);
  EXPECT_EQ(find_next(empty, FindOptions{"x"}, prompt), std::nullopt);
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"Not found"});
}

TEST(LowerText, FoldsBeyondAscii) {
  EXPECT_EQ(lower_text("ABC xyz 123"), "abc xyz 123");
  // A malformed byte passes through unchanged.
  EXPECT_EQ(lower_text(std::string("A\xC3", 2)), std::string("a\xC3", 2));
}

TEST_F(FindPrintTest, PrintTakesAsManyEntriesAsSelectedFromTheFirstSelected) {
  list.set_selected(1, true);
  list.set_selected(4, true);
  const auto lines = print_lines(view, "Phondeck v3.3");
  const std::vector<std::string> want{
      "Phondeck v3.3", "", "Name:  Bert", "Phone: 0409876", "", "Name:  cleo", "Phone: 0301111",
      ""};
  EXPECT_EQ(lines, want);
}

TEST_F(FindPrintTest, PrintLinesForUnicodeAndEmptyNames) {
  PhoneBookList other;
  PhoneBookEntry e = make_entry("  ", "123", "Phone", "1");
  other.append(e);
  e.Name = " Ann ";
  e.UNICODE = "\xE5\xAE\x89";
  other.append(e);
  ListEntryView v(other);
  const auto lines = print_lines(v, "T");
  const std::vector<std::string> want{"T",          "",
                                      "Phone: 123", "",
                                      "Name:   Ann ", "UNICODE:  \xE5\xAE\x89",
                                      "Phone: 123", ""};
  EXPECT_EQ(lines, want);
  PhoneBookList none;
  ListEntryView empty(none);
  EXPECT_TRUE(print_lines(empty, "T").empty());
}

}  // namespace
}  // namespace phondeck
