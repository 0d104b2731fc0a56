// File > Import and File > Export on real files: the questions, appending
// before an entry or replacing the list, free positions for contacts that
// bring none, the report of skipped contacts, and the failures.
#include "phonebook/phone_book_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "media/temp_dir.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

using testing::make_entry;
using Row = std::vector<std::string>;

std::vector<Row> rows(const PhoneBookList& list) {
  std::vector<Row> out;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const PhoneBookEntry& e = list.entry(i);
    out.push_back({e.Name, e.Phone, e.Type, e.Pos, list.is_selected(i) ? "selected" : ""});
  }
  return out;
}

TEST(PhoneBookFilesTest, ImportAppendsOrReplacesFillsPositionsAndReportsSkips) {
  testing::fresh_texts_and_configuration();
  testing::FakePrompt prompt;
  PhoneBook book(prompt);
  book.memory().capacity = {3, 100};
  book.left().append(make_entry("Anna", "111", "Phone", "1"));
  book.left().append(make_entry("Bert", "222", "Phone", "3"));
  book.left().set_selected(0, true);
  mediatest::TempDir dir;
  const std::string cards = dir.write(
      "cards.VCF",
      "BEGIN:VCARD\r\nFN:Cleo\r\nTEL:333\r\nTEL:334\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nFN:Dora\r\nTEL:444\r\nX-PHONDECK-MEMORY:SIM\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nFN:Eve\r\nEND:VCARD\r\n");
  PhoneBookFiles files(book, prompt);

  // One entry per number, not replacing: inserted before Bert, selected,
  // in the free positions of their memory (Phone holds only 2 more: 0).
  prompt.answers = {true, false};
  EXPECT_EQ(files.import_files(ListSide::Left, {cards}, 1), 3u);
  EXPECT_EQ(rows(book.left()), (std::vector<Row>{{"Anna", "111", "Phone", "1", ""},
                                                 {"Cleo", "333", "Phone", "2", "selected"},
                                                 {"Cleo", "334", "Phone", "0", "selected"},
                                                 {"Dora", "444", "SIM", "1", "selected"},
                                                 {"Bert", "222", "Phone", "3", ""}}));
  EXPECT_EQ(prompt.questions, (Row{tx(kTextOnePerNumber), tx(kTextReplaceList)}));
  EXPECT_EQ(prompt.messages, Row{"3 entries imported, 1 skipped:\n#3 Eve: no number"});

  // Exported and imported again, replacing the list: nothing is lost.
  const std::vector<PhoneBookEntry> before = book.left().entries();
  for (const char* name : {"book.csv", "book.vcf"}) {
    const std::string path = dir.file(name);
    ASSERT_TRUE(files.export_active(path, *contact_format_of(path)));
    prompt.answers = {true};
    EXPECT_EQ(files.import_files(ListSide::Left, {path}), before.size());
    EXPECT_EQ(book.left().entries(), before) << name;
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
  }

  // A file that cannot be read, one without entries, and a file that cannot
  // be written (the list and the old file stay as they were).
  prompt.messages.clear();
  EXPECT_EQ(files.import_files(ListSide::Left, {dir.file("missing.vcf"), dir.write("empty.csv", "")}), 0u);
  EXPECT_FALSE(files.export_active(dir.file("no/such/folder.vcf"), ContactFormat::VCard));
  EXPECT_EQ(prompt.messages, (Row{tx(kTextAccessError) + "\n" + dir.file("missing.vcf"), tx(kTextNoEntries),
                                  tx(kTextAccessError) + "\n" + dir.file("no/such/folder.vcf")}));
  EXPECT_EQ(book.left().entries(), before);
}

}  // namespace
}  // namespace phondeck
