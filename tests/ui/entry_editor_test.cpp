#include <gtest/gtest.h>

#include "ui/entry_editor.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

using testing::FakePrompt;
using testing::make_entry;

class EntryEditorTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::fresh_texts_and_configuration(); }
  FakePrompt prompt;
  PhoneBook book{prompt};
  EntryEditorLogic editor{book};
};

TEST_F(EntryEditorTest, MultiByteOffDisablesUnicodeButKeepsItsText) {
  config().MultiByte = 0;
  EntryDefaults d;
  d.load_from(make_entry("Li", "1", "SIM", "4", "VIP", "Both"));
  d.UNICODE = "\xE6\x9D\x8E";
  editor.show(d);
  EXPECT_FALSE(editor.enabled().unicode);
  EXPECT_FALSE(editor.enabled().write_as);
  EXPECT_TRUE(editor.enabled().position);
  EXPECT_TRUE(editor.enabled().type);
  EntryDefaults out;
  editor.accept(out);
  EXPECT_EQ(out.UNICODE, "\xE6\x9D\x8E");
  EXPECT_EQ(out.type, 1);
  EXPECT_EQ(out.group, 1);
  EXPECT_EQ(out.write_as, 2);
  EXPECT_EQ(out.Pos, "4");

  config().MultiByte = 1;
  editor.show(d);
  EXPECT_TRUE(editor.enabled().unicode);
  EXPECT_TRUE(editor.enabled().write_as);
}

TEST_F(EntryEditorTest, SimplifiedModeDisablesPositionTypeGroupAndWriteAs) {
  config().BasicLevel = 1;
  config().MultiByte = 1;
  editor.show(EntryDefaults{});
  EXPECT_FALSE(editor.enabled().position);
  EXPECT_FALSE(editor.enabled().type);
  EXPECT_FALSE(editor.enabled().group);
  EXPECT_FALSE(editor.enabled().write_as);
  EXPECT_TRUE(editor.enabled().unicode);
}

TEST_F(EntryEditorTest, ChoicesCarryTheCurrentTexts) {
  config().GroupName[1] = "Boss";
  editor.show(EntryDefaults{});
  EXPECT_EQ(editor.type_items().size(), 6u);
  EXPECT_EQ(editor.type_items()[3], "Dialled");
  EXPECT_EQ(editor.group_items()[1], "Boss");
  EXPECT_EQ(editor.write_as_items().size(), 5u);
  EXPECT_EQ(editor.capacity_label(), "/ 200");
}

TEST_F(EntryEditorTest, ChoosingATypeUpdatesCapacityAndProposesAPosition) {
  book.memory().capacity[1] = 250;
  book.left().append(make_entry("A", "1", "SIM", "1"));
  book.left().append(make_entry("B", "2", "SIM", "2"));
  EntryDefaults d;
  d.Pos = "17";
  editor.show(d);
  editor.choose_type(1);
  EXPECT_EQ(editor.capacity_label(), "/ 250");
  EXPECT_EQ(editor.fields().pos, "3");
  editor.fields().pos = "9";
  editor.choose_type(3);  // Dialled: no capacity, position kept
  EXPECT_EQ(editor.capacity_label(), "");
  EXPECT_EQ(editor.fields().pos, "9");
}

TEST_F(EntryEditorTest, ChoosingAFullMemoryShowsTheMessageAndZero) {
  book.memory().capacity[0] = 1;
  book.left().append(make_entry("A", "1", "Phone", "1"));
  editor.show(EntryDefaults{});
  editor.choose_type(0);
  EXPECT_EQ(editor.fields().pos, "0");
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"Not enough memory on phone"});
}

TEST_F(EntryEditorTest, OkTrimsTextsButTakesThePositionAsTyped) {
  EntryDefaults d;
  d.Name = "  Anna  ";
  editor.show(d);
  EXPECT_EQ(editor.fields().name, "Anna");
  editor.fields().name = "  Berta ";
  editor.fields().phone = " 0123 ";
  editor.fields().pos = " x1";
  EntryDefaults out;
  editor.accept(out);
  EXPECT_EQ(out.Name, "Berta");
  EXPECT_EQ(out.Phone, "0123");
  EXPECT_EQ(out.Pos, " x1");
}

TEST_F(EntryEditorTest, OkRefusesANumberAHandsetCannotHold) {
  struct Case {
    const char* phone;
    bool ok;
  };
  for (const Case& c : std::vector<Case>{{"", true},
                                         {" +35840123 ", true},
                                         {"*31#0800p12w3", true},
                                         {"+", true},
                                         {"0+1", false},
                                         {"++1", false},
                                         {"040 123", false},
                                         {"040-123", false},
                                         {"12P", false},
                                         {"\xC2\xB2", false}}) {
    SCOPED_TRACE(c.phone);
    prompt.messages.clear();
    editor.show(EntryDefaults{});
    editor.fields().phone = c.phone;
    EXPECT_EQ(editor.check_before_accept(), c.ok);
    EXPECT_EQ(editor.fields().phone, c.phone);  // the field keeps its text
    EXPECT_EQ(prompt.messages.size(), c.ok ? 0u : 1u);
  }
  EXPECT_EQ(prompt.messages.back(),
            "A phone number can hold only digits, a leading \"+\", \"*\", \"#\", \"p\" and \"w\".");
}

TEST_F(EntryEditorTest, InsertButtonsInsertAtTheCaret) {
  texts().set(402, "\xE4\xB8\xAD");  // a language library's text
  editor.show(EntryDefaults{});
  editor.fields().unicode = "ab";
  EXPECT_EQ(editor.insert_text(2, 1), 4u);
  EXPECT_EQ(editor.fields().unicode, "a\xE4\xB8\xAD" "b");
  EXPECT_EQ(editor.insert_text(2, 99), 8u);  // a caret past the end appends
  EXPECT_EQ(editor.insert_text(10, 0), 0u);  // no such button
  EXPECT_TRUE(EntryEditorLogic::insert_buttons_captioned("zh_tw"));
  EXPECT_FALSE(EntryEditorLogic::insert_buttons_captioned("fr"));
}

}  // namespace
}  // namespace phondeck
