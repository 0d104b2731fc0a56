// The vCard and CSV readers on files as phones, address books and
// spreadsheets write them, the vCard writer's folding, and which numbers a
// handset can store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/text_table.h"
#include "phonebook/contact_record.h"
#include "phonebook/csv.h"
#include "phonebook/vcard.h"

namespace phondeck {
namespace {

using Row = std::vector<std::string>;

Row row(const PhoneBookEntry& e) { return {e.Name, e.UNICODE, e.Phone, e.Type, e.Pos, e.Group, e.WriteAs}; }

class ContactFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    config() = Configuration{};
    complete_group_names(config());
    set_active_code_page(CodePage::Windows1252);
  }
  const ContactFallback fallback{"Phone", "No Group", "Auto"};
};

TEST_F(ContactFilesTest, VCard21WithQuotedPrintableCharsetsAndSeveralNumbers) {
  const std::string file =
      "BEGIN:VCARD\r\nVERSION:2.1\r\n"
      "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen;;;\r\n"
      "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller, Ber=\r\nlin\r\n"
      "TEL;CELL;PREF:+49 (170) 123-4567\r\n"
      "item1.TEL;HOME:030 1234567\r\n"
      "END:VCARD\r\n"
      "BEGIN:VCARD\nVERSION:2.1\nN:Virtanen;Anna\nTEL;WORK;QUOTED-PRINTABLE:09=2012\n"
      "PHOTO;ENCODING=BASE64;TYPE=JPEG:\n /9j/4AAQ\n SkZJRg\n\nEND:VCARD\n"
      "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=BIG5:\xB3\xAF\r\nTEL:0912\r\n 345\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Reception\r\nTEL:ask the desk\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Nobody\r\nEMAIL:n@example.org\r\n";  // no END
  const std::vector<ContactRecord> records = read_vcards(file);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].Name, "J\u00fcrgen M\u00fcller, Berlin");
  EXPECT_EQ(records[0].numbers, (Row{"+49 (170) 123-4567", "030 1234567"}));
  EXPECT_EQ(records[1].Name, "Anna Virtanen");  // from N
  EXPECT_EQ(records[2].UNICODE, "\u9673");      // the code page cannot hold it
  EXPECT_EQ(records[2].numbers, Row{"0912 345"});  // 2.1 keeps the folding blank

  const std::vector<Row> first_numbers{
      {"J\u00fcrgen M\u00fcller, Berlin", "", "+491701234567", "Phone", "", "No Group", "Auto"},
      {"Anna Virtanen", "", "0912", "Phone", "", "No Group", "Auto"},
      {"", "\u9673", "0912345", "Phone", "", "No Group", "Auto"},
  };
  const ImportedEntries first = entries_from_records(records, false, fallback);
  ASSERT_EQ(first.entries.size(), first_numbers.size());
  for (std::size_t i = 0; i < first_numbers.size(); ++i) EXPECT_EQ(row(first.entries[i]), first_numbers[i]);
  ASSERT_EQ(first.skipped.size(), 2u);
  EXPECT_EQ(first.skipped[0].record, 4u);
  EXPECT_EQ(first.skipped[0].reason, SkipReason::BadNumber);
  EXPECT_EQ(first.skipped[1].name, "Nobody");
  EXPECT_EQ(first.skipped[1].reason, SkipReason::NoNumber);

  const ImportedEntries each = entries_from_records(records, true, fallback);
  ASSERT_EQ(each.entries.size(), 4u);
  EXPECT_EQ(each.entries[1].Name, each.entries[0].Name);
  EXPECT_EQ(each.entries[1].Phone, "0301234567");
}

TEST_F(ContactFilesTest, CsvWithByteOrderMarkQuotesAndItsOwnColumnOrder) {
  const std::string file =
      "\xEF\xBB\xBF" "Phone,Name,UNICODE,Group,Type,Position,WriteAs\r\n"
      "\"+358 40 123\",\"Virtanen, Anna\",,Friends,SIM,3,Name\r\n"
      "0401,\"Say \"\"hi\"\"\r\nthere\",\u9673\u7f8e\u73b2,vip,sim,x,both\r\n"
      ",,,,,,\r\n"
      "12,Bob";
  const std::vector<ContactRecord> records = read_csv(file);
  ASSERT_EQ(records.size(), 3u);
  const std::vector<Row> expect{
      {"Virtanen, Anna", "", "+35840123", "SIM", "3", "Friends", "Name"},
      {"Say \"hi\"  there", "\u9673\u7f8e\u73b2", "0401", "SIM", "", "VIP", "Both"},
      {"Bob", "", "12", "Phone", "", "No Group", "Auto"},
  };
  const ImportedEntries imported = entries_from_records(records, false, fallback);
  ASSERT_EQ(imported.entries.size(), expect.size());
  for (std::size_t i = 0; i < expect.size(); ++i) EXPECT_EQ(row(imported.entries[i]), expect[i]);

  // Without a header, in the written order; semicolons as a spreadsheet in
  // some languages writes them; bytes that are not UTF-8 in the code page.
  const std::vector<ContactRecord> plain = read_csv("J\xFCrgen;;0301;SIM;4\n");
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0].Name, "J\u00fcrgen");
  EXPECT_EQ(plain[0].numbers, Row{"0301"});
  EXPECT_EQ(plain[0].Pos, "4");
}

// Cells a spreadsheet would run as formulas are written as text and come
// back unchanged; a cell that holds only what a number may is written as it
// is, and read back from files that guarded numbers too.
TEST_F(ContactFilesTest, CsvCellsASpreadsheetWouldRunComeBackUnchanged) {
  const std::vector<std::string> names{"=HYPERLINK(\"http://x\",\"y\")", "+358-40", "-5", "@home",
                                       "'=quoted", "''+two", "'plain", "a=b", "\tTab", "+1 (555)"};
  std::vector<PhoneBookEntry> entries;
  for (const std::string& name : names) {
    PhoneBookEntry e;
    e.Name = name;
    e.Phone = "0301";
    e.Group = "@team";
    entries.push_back(e);
  }
  const std::string file = write_csv(entries);
  for (const char* formula : {"\n=", ",=", "\n+", ",+", "\n-", "\n@", ",@", "\n'=", "\n\t"}) {
    EXPECT_EQ(file.find(formula), std::string::npos) << "a cell starts a formula: " << formula;
  }
  const std::vector<ContactRecord> back = read_csv(file);
  ASSERT_EQ(back.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(back[i].Name, names[i]);
    EXPECT_EQ(back[i].numbers, std::vector<std::string>{entries[i].Phone});
    EXPECT_EQ(back[i].Group, "@team");
  }

  struct Number {
    const char* phone;
    const char* written;
  };
  for (const Number& n : {Number{"+358401000001", ",+358401000001,"}, {"*31#0401p12w3", ",*31#0401p12w3,"},
                          {"+358 40 100", ",+358 40 100,"}, {"+", ",+,"}, {"++358", ",'++358,"}, {"+35P", ",'+35P,"}}) {
    PhoneBookEntry e;
    e.Name = "Anna";
    e.Phone = n.phone;
    const std::string one = write_csv({e});
    EXPECT_NE(one.find(n.written), std::string::npos) << one;
  }
  // An earlier export's guarded numbers, and this one's, read as numbers.
  const std::vector<ContactRecord> both = read_csv("Name,Phone\nAnna,'+358401000001\nBo,+358401000002\n");
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].numbers, std::vector<std::string>{"+358401000001"});
  EXPECT_EQ(both[1].numbers, std::vector<std::string>{"+358401000002"});
}

TEST_F(ContactFilesTest, NumbersAHandsetCanStore) {
  struct Case {
    const char* raw;
    const char* number;
    bool valid;
  };
  for (const Case& c : {Case{"+49 (170) 123-4567", "+491701234567", true},
                        Case{"*31#0401P12W3", "*31#0401p12w3", true}, Case{"09/555.12", "0955512", true},
                        Case{"", "", false}, Case{" - ", "", false}, Case{"040+1", "040+1", false},
                        Case{"++1", "++1", false}, Case{"0401 ext 5", "0401ext5", false},
                        Case{"\xEF\xBC\x91", "\xEF\xBC\x91", false}}) {
    const CleanNumber n = clean_number(c.raw);
    EXPECT_EQ(n.number, c.number) << c.raw;
    EXPECT_EQ(n.valid, c.valid) << c.raw;
  }
}

TEST_F(ContactFilesTest, LongNamesFoldWithoutSplittingACharacter) {
  PhoneBookEntry e{"Plain; name, with \\ marks", "", "+1", "SIM", "9", "VIP", "Both", ""};
  for (int i = 0; i < 40; ++i) e.UNICODE += "\u9673";
  const std::string text = write_vcards({e});
  std::size_t start = 0;
  int continued = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(start, end - start);
    EXPECT_LE(line.size(), 75u);
    EXPECT_TRUE(is_utf8(line)) << line;
    continued += line.starts_with(" ");
    start = end + 2;
  }
  EXPECT_GE(continued, 2);
  const ImportedEntries back = entries_from_records(read_vcards(text), false, fallback);
  ASSERT_EQ(back.entries.size(), 1u);
  EXPECT_EQ(back.entries[0], e);
}

// Cards as an export writes them for entries read from the handset, and as
// a user may have changed them since: the kept name bytes are taken only
// while the card still names what they hold.
TEST_F(ContactFilesTest, HandsetNameBytesComeBackWhileTheCardStillNamesThem) {
  struct Case {
    const char* what;
    std::string card;  // the lines between VERSION and END
    Row entry;
    bool bytes_kept;
  };
  const std::string u = "\u9673\u7f8e\u73b2";
  const std::string tail = "X-PHONDECK-MEMORY:Phone\r\nX-PHONDECK-POSITION:7\r\nX-PHONDECK-GROUP:VIP\r\n";
  const Case cases[] = {
      {"UCS-2 name", "FN:" + u + "\r\nX-PHONDECK-NAME:\r\nX-PHONDECK-NAME-BYTES:04FF96737F8E73B2\r\n" + tail +
           "X-PHONDECK-WRITEAS:Auto\r\n",
       {"", u, "7", "Phone", "7", "VIP", "Auto"}, true},
      {"UCS-2 name without its bytes takes Name from FN",
       "FN:" + u + "\r\nX-PHONDECK-NAME:\r\n" + tail + "X-PHONDECK-WRITEAS:Auto\r\n",
       {u, u, "7", "Phone", "7", "VIP", "Auto"}, false},
      {"an empty Name said to be one", "FN:" + u + "\r\nX-PHONDECK-NAME;X-PHONDECK-EMPTY=TRUE:\r\n" + tail +
           "X-PHONDECK-WRITEAS:Auto\r\n",
       {"", u, "7", "Phone", "7", "VIP", "Auto"}, false},
      {"renamed in the file", "FN:Chen\r\nX-PHONDECK-NAME-BYTES:04FF96737F8E73B2\r\n" + tail +
           "X-PHONDECK-WRITEAS:Auto\r\n",
       {"Chen", "", "7", "Phone", "7", "VIP", "Auto"}, false},
      {"write-as changed in the file",
       "FN:" + u + "\r\nX-PHONDECK-NAME:\r\nX-PHONDECK-NAME-BYTES:04FF96737F8E73B2\r\n" + tail +
           "X-PHONDECK-WRITEAS:Both\r\n",
       {u, u, "7", "Phone", "7", "VIP", "Both"}, false},
      {"code-page name", "FN:J\u00fcrgen\r\nX-PHONDECK-NAME-BYTES:4AFC7267656E\r\n" + tail +
           "X-PHONDECK-WRITEAS:Name\r\n",
       {"J\u00fcrgen", "", "7", "Phone", "7", "VIP", "Name"}, true},
      {"Name beside UCS-2", "FN:C\r\nX-PHONDECK-NAME:AB\r\nX-PHONDECK-NAME-BYTES:04FF2041204200430000\r\n" +
           tail + "X-PHONDECK-WRITEAS:Both\r\n",
       {"AB", "C", "7", "Phone", "7", "VIP", "Both"}, true},
      {"group icon", "FN:\r\nX-PHONDECK-NAME-BYTES:040105\r\n" + tail + "X-PHONDECK-WRITEAS:Group\r\n",
       {"", "", "7", "Phone", "7", "VIP", "Group"}, true},
      {"bytes that are no hex", "FN:Mum\r\nX-PHONDECK-NAME-BYTES:4D756\r\n" + tail + "X-PHONDECK-WRITEAS:Name\r\n",
       {"Mum", "", "7", "Phone", "7", "VIP", "Name"}, false},
  };
  for (const Case& c : cases) {
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nTEL:7\r\n" + c.card + "END:VCARD\r\n";
    const ImportedEntries in = entries_from_records(read_vcards(card), false, fallback);
    ASSERT_EQ(in.entries.size(), 1u) << c.what;
    const PhoneBookEntry& e = in.entries[0];
    EXPECT_EQ(row(e), c.entry) << c.what;
    EXPECT_EQ(e.unchanged_handset_name() != nullptr, c.bytes_kept) << c.what;
    if (!c.bytes_kept) continue;
    // Exported again, the card keeps the bytes.
    const std::string again = write_vcards({e});
    const ImportedEntries back = entries_from_records(read_vcards(again), false, fallback);
    ASSERT_EQ(back.entries.size(), 1u) << c.what;
    EXPECT_EQ(back.entries[0], e) << c.what;
    EXPECT_EQ(back.entries[0].handset_name, e.handset_name) << c.what;
  }
}

}  // namespace
}  // namespace phondeck
