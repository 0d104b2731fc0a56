// The contacts export: names split as a person's name is, numbers in
// international form by the network's country, the merges of one person's
// entries, stable UIDs, and the vCard 3.0 and 4.0 it writes read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/text_table.h"
#include "phonebook/contact_export.h"
#include "phonebook/contact_names.h"
#include "phonebook/phone_numbers.h"
#include "phonebook/vcard.h"

namespace phondeck {
namespace {

class ContactExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    config() = Configuration{};
    complete_group_names(config());
    set_active_code_page(CodePage::Windows1252);
  }
};

PhoneBookEntry entry(std::string name, std::string phone, std::string type = "Phone", std::string pos = "1",
                     std::string group = "No Group") {
  return PhoneBookEntry{std::move(name), "", std::move(phone), std::move(type), std::move(pos),
                        std::move(group), "Auto", ""};
}

TEST_F(ContactExportTest, NamesSplitWhereTheyReadAsAPersonsName) {
  struct Case {
    const char* name;
    PersonName split;
  };
  const Case cases[] = {
      {"Alice Smith", {"Alice", "Smith"}},
      {"Anna Maria Virtanen", {"Anna Maria", "Virtanen"}},
      {"Anna-Liisa O'Brien", {"Anna-Liisa", "O'Brien"}},
      {"J. Smith", {"J.", "Smith"}},
      {"Ludwig van Beethoven", {"Ludwig", "van Beethoven"}},
      {"Jan van der Berg", {"Jan", "van der Berg"}},
      {"J\u00fcrgen M\u00fcller", {"J\u00fcrgen", "M\u00fcller"}},
      {"\u00c5sa \u00d6berg", {"\u00c5sa", "\u00d6berg"}},
      {"Ivan Petrov", {"Ivan", "Petrov"}},
      {"\u0418\u0432\u0430\u043d \u041f\u0435\u0442\u0440\u043e\u0432",
       {"\u0418\u0432\u0430\u043d", "\u041f\u0435\u0442\u0440\u043e\u0432"}},
      {"  Alice   Smith ", {"Alice", "Smith"}},
      {"Smith, Alice", {"Alice", "Smith"}},
      {"van der Berg, Jan", {"Jan", "van der Berg"}},
      {"Smith, Alice, Bob", {"Smith, Alice, Bob", ""}},
      {"Pizza, Hut", {"Pizza, Hut", ""}},
      // Kept whole.
      {"Mum", {"Mum", ""}},
      {"Doctor", {"Doctor", ""}},
      {"Dr Who", {"Dr Who", ""}},
      {"Dr. Smith", {"Dr. Smith", ""}},
      {"Uncle Bob", {"Uncle Bob", ""}},
      {"Pizza Hut", {"Pizza Hut", ""}},
      {"Taxi Helsinki", {"Taxi Helsinki", ""}},
      {"IBM", {"IBM", ""}},
      {"BOB SMITH", {"BOB SMITH", ""}},
      {"bob smith", {"bob smith", ""}},
      {"Bob K", {"Bob K", ""}},
      {"Agent 007", {"Agent 007", ""}},
      {"Tom & Jerry", {"Tom & Jerry", ""}},
      {"Bob H", {"Bob H", ""}},
      {"One Two Three Four Five", {"One Two Three Four Five", ""}},
      {"\u9673\u7f8e\u73b2", {"\u7f8e\u73b2", "\u9673"}},            // family name first
      {"\u6b50\u967d\u660e", {"\u660e", "\u6b50\u967d"}},            // a compound family name
      {"\u5abd\u5abd", {"\u5abd\u5abd", ""}},                         // "Mum": no family name
      {"\u9673", {"\u9673", ""}},
      {"\u9673 \u7f8e\u73b2", {"\u9673 \u7f8e\u73b2", ""}},
      {"", {"", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(split_person_name(c.name), c.split) << c.name;
}

TEST_F(ContactExportTest, TrailingMarkersTellTheNumber) {
  struct Case {
    const char* name;
    std::optional<MarkedName> marked;
  };
  const Case cases[] = {
      {"Bob H", MarkedName{"Bob", "HOME", true}},
      {"Bob W", MarkedName{"Bob", "WORK", true}},
      {"Bob M", MarkedName{"Bob", "CELL", true}},
      {"Bob (home)", MarkedName{"Bob", "HOME", false}},
      {"Bob Smith (Work)", MarkedName{"Bob Smith", "WORK", false}},
      {"Bob [mob]", MarkedName{"Bob", "CELL", false}},
      {"Bob/w", MarkedName{"Bob", "WORK", true}},
      {"Bob mobile", MarkedName{"Bob", "CELL", false}},
      {"Bob h", std::nullopt},
      {"Bob K", std::nullopt},
      {"Home", std::nullopt},
      {"(home)", std::nullopt},
      {"Bob (friend)", std::nullopt},
      {"Anna-Maria", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(marked_name(c.name), c.marked) << c.name;
}

TEST_F(ContactExportTest, NumbersInInternationalFormByCountry) {
  struct Case {
    const char* number;
    const char* country;
    const char* international;
  };
  const Case cases[] = {
      {"0401000002", "FI", "+358401000002"},
      {"091234567", "fi", "+35891234567"},
      {"00358401000002", "FI", "+358401000002"},
      {"+358401000002", "FI", "+358401000002"},
      {"+4915112345678", "FI", "+4915112345678"},
      {"015112345678", "DE", "+4915112345678"},
      {"03012345678", "DE", "+493012345678"},
      {"2015550123", "US", "+12015550123"},
      {"07400123456", "GB", "+447400123456"},
      {"02079460000", "GB", "+442079460000"},
      {"0912345678", "TW", "+886912345678"},
      {"0223456789", "TW", "+886223456789"},
      // As they are: short codes, service codes, pauses, no country.
      {"*100#", "FI", "*100#"},
      {"112", "FI", "112"},
      {"911", "US", "911"},
      {"999", "GB", "999"},
      {"0401000002p123", "FI", "0401000002p123"},
      {"0401000002w1", "FI", "0401000002w1"},
      {"12", "FI", "12"},
      {"0401000002", "", "0401000002"},
      {"0401000002", "XX", "0401000002"},
      {"", "FI", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(international_number(c.number, c.country), c.international) << c.number << " " << c.country;
  }
  EXPECT_TRUE(same_number("0401000002", "+358401000002", "FI"));
  EXPECT_TRUE(same_number("0401000002", "+358401000002", ""));
  EXPECT_TRUE(same_number("*100#", "*100#", "FI"));
  EXPECT_FALSE(same_number("0401000002", "0401000003", "FI"));
  EXPECT_FALSE(same_number("0401000002", "+49401000002", "FI"));
  EXPECT_TRUE(mobile_number("0401000002", "FI"));
  EXPECT_FALSE(mobile_number("091234567", "FI"));
  EXPECT_FALSE(mobile_number("*100#", "FI"));
}

TEST_F(ContactExportTest, CountriesOfNetworkCodesAndLocales) {
  EXPECT_EQ(country_of_mcc(244), "FI");
  EXPECT_EQ(country_of_mcc(262), "DE");
  EXPECT_EQ(country_of_mcc(310), "US");
  EXPECT_EQ(country_of_mcc(234), "GB");
  EXPECT_EQ(country_of_mcc(466), "TW");
  EXPECT_EQ(country_of_mcc(999), "");
  EXPECT_EQ(country_of_mcc(0), "");
  struct Case {
    const char* all;
    const char* messages;
    const char* lang;
    const char* country;
  };
  const Case cases[] = {
      {"", "", "fi_FI.UTF-8", "FI"}, {"de_DE@euro", "", "fi_FI", "DE"}, {"", "en_GB.UTF-8", "C", "GB"},
      {"", "", "C", ""},             {"", "", "en", ""},                {"", "", "", ""},
  };
  for (const Case& c : cases) {
    ::setenv("LC_ALL", c.all, 1);
    ::setenv("LC_MESSAGES", c.messages, 1);
    ::setenv("LANG", c.lang, 1);
    EXPECT_EQ(country_of_locale(), c.country) << c.all << "|" << c.messages << "|" << c.lang;
  }
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  ::unsetenv("LANG");
}

TEST_F(ContactExportTest, OnePersonInBothMemoriesIsOneContact) {
  const std::vector<PhoneBookEntry> entries{
      entry("Alice Smith", "0401000002", "Phone", "1", "Family"),
      entry("Alice Smith", "+358401000002", "SIM", "4", "Friends"),
      entry("Bob", "0401000010", "Phone", "2"),  // two different Bobs
      entry("Bob", "0501000011", "SIM", "5"),
      entry("Mum", "091234567", "SIM", "6", "Family"),
      entry("", "0401", "SIM", "7"),
      entry("Nobody", "", "SIM", "8"),
      PhoneBookEntry{"Dialled", "", "0401000099", "Dialled", "1", "No Group", "Auto", "2026-12-01 10:00"},
  };
  ContactExportOptions options;
  options.country = "FI";
  options.group_names[0] = "Perhe";  // the handset's name of group 0
  const ContactPlan plan = plan_contacts(entries, options);
  EXPECT_EQ(plan.merged_duplicates, 1);
  EXPECT_TRUE(plan.offers.empty());
  ASSERT_EQ(plan.contacts.size(), 4u);
  const ExportContact& alice = plan.contacts[0];
  EXPECT_EQ(alice.formatted, "Alice Smith");
  EXPECT_EQ(alice.given, "Alice");
  EXPECT_EQ(alice.family, "Smith");
  EXPECT_EQ(alice.numbers, (std::vector<ContactNumber>{{"+358401000002", "CELL"}}));
  EXPECT_EQ(alice.categories, (std::vector<std::string>{"Perhe", "Friends"}));
  EXPECT_EQ(alice.entries, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(alice.uid, entry_uid(entries[0], ""));
  EXPECT_EQ(plan.contacts[1].numbers, (std::vector<ContactNumber>{{"+358401000010", "CELL"}}));
  EXPECT_EQ(plan.contacts[2].numbers, (std::vector<ContactNumber>{{"+358501000011", "CELL"}}));
  EXPECT_NE(plan.contacts[1].uid, plan.contacts[2].uid);
  EXPECT_EQ(plan.contacts[3].given, "Mum");
  EXPECT_EQ(plan.contacts[3].numbers, (std::vector<ContactNumber>{{"+35891234567", ""}}));
  ASSERT_EQ(plan.left_out.size(), 3u);
  EXPECT_EQ(plan.left_out[0].entry, 5u);
  EXPECT_EQ(plan.left_out[0].reason, LeftOutReason::NoName);
  EXPECT_EQ(plan.left_out[1].reason, LeftOutReason::NoNumber);
  EXPECT_EQ(plan.left_out[2].reason, LeftOutReason::CallRegister);
}

TEST_F(ContactExportTest, MarkedEntriesAreOfferedAndMergedOnlyWhenAsked) {
  const std::vector<PhoneBookEntry> entries{
      entry("Bob H", "091234567", "Phone", "1"),        entry("Carol Jones", "0401000005", "Phone", "2"),
      entry("Bob W", "0201234567", "Phone", "3", "Colleagues"), entry("Bob M", "0401000003", "SIM", "1"),
      entry("Dave (home)", "091111111", "SIM", "2"),    entry("Eve H", "091111112", "SIM", "3"),
  };
  ContactExportOptions options;
  options.country = "FI";
  const ContactPlan offered = plan_contacts(entries, options);
  ASSERT_EQ(offered.offers.size(), 1u);
  EXPECT_EQ(offered.offers[0].name, "Bob");
  EXPECT_EQ(offered.offers[0].entries, (std::vector<std::size_t>{0, 2, 3}));
  ASSERT_EQ(offered.contacts.size(), 6u);
  EXPECT_EQ(offered.contacts[0].formatted, "Bob H");
  EXPECT_EQ(offered.contacts[0].given, "Bob H");  // told from the other Bobs
  EXPECT_EQ(offered.contacts[0].numbers, (std::vector<ContactNumber>{{"+35891234567", "HOME"}}));
  // A lone word marker types the number; a lone letter does not ("Eve H").
  EXPECT_EQ(offered.contacts[4].given, "Dave (home)");
  EXPECT_EQ(offered.contacts[4].numbers, (std::vector<ContactNumber>{{"+35891111111", "HOME"}}));
  EXPECT_EQ(offered.contacts[5].given, "Eve H");
  EXPECT_EQ(offered.contacts[5].numbers, (std::vector<ContactNumber>{{"+35891111112", ""}}));

  options.merge_marked = true;
  const ContactPlan merged = plan_contacts(entries, options);
  ASSERT_EQ(merged.contacts.size(), 4u);
  const ExportContact& bob = merged.contacts[0];
  EXPECT_EQ(bob.formatted, "Bob");
  EXPECT_EQ(bob.given, "Bob");
  EXPECT_EQ(bob.numbers, (std::vector<ContactNumber>{
                             {"+35891234567", "HOME"}, {"+358201234567", "WORK"}, {"+358401000003", "CELL"}}));
  EXPECT_EQ(bob.categories, std::vector<std::string>{"Colleagues"});
  EXPECT_EQ(bob.entries, (std::vector<std::size_t>{0, 2, 3}));
  EXPECT_EQ(bob.uid, offered.contacts[0].uid);
  EXPECT_EQ(merged.contacts[1].formatted, "Carol Jones");
}

TEST_F(ContactExportTest, UidsAreStableAndDifferByHandsetAndEntry) {
  const PhoneBookEntry a = entry("Alice", "0401", "Phone", "1");
  PhoneBookEntry renamed = a;
  renamed.Name = "Alice Smith";
  const std::string uid = entry_uid(a, "356789012345678");
  EXPECT_EQ(uid, entry_uid(a, "356789012345678"));
  EXPECT_EQ(uid, entry_uid(renamed, "356789012345678"));  // the same entry, renamed
  EXPECT_NE(uid, entry_uid(a, "356789012345679"));
  EXPECT_NE(uid, entry_uid(entry("Alice", "0401", "SIM", "1"), "356789012345678"));
  EXPECT_NE(uid, entry_uid(entry("Alice", "0401", "Phone", "2"), "356789012345678"));
  ASSERT_EQ(uid.size(), 36u);
  EXPECT_EQ(uid[8], '-');
  EXPECT_EQ(uid[14], '8');
  // Without a position, the name and number tell entries apart.
  EXPECT_NE(entry_uid(entry("Alice", "0401", "Phone", ""), ""), entry_uid(entry("Bob", "0401", "Phone", ""), ""));
}

// The lines of a vCard text, unfolded, with each fold checked.
std::vector<std::string> unfolded(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos);
    if (end == std::string::npos) break;
    const std::string line = text.substr(start, end - start);
    EXPECT_LE(line.size(), 75u);
    if (line.starts_with(" ") && !lines.empty()) {
      lines.back() += line.substr(1);
    } else {
      lines.push_back(line);
    }
    start = end + 2;
  }
  return lines;
}

TEST_F(ContactExportTest, VCardsOfVersion3And4) {
  const std::vector<PhoneBookEntry> entries{
      entry("Alice Smith", "0401000002", "Phone", "1", "Family"),
      entry("Bob H", "091234567", "Phone", "2"),
      entry("Bob W", "0201234567", "SIM", "3", "Colleagues"),
      entry("Balance", "*100#", "SIM", "4"),
      entry("Voicemail", "0401000000p1234", "Phone", "5"),
      entry("Tom; Jerry, \\ Co", "0401000009", "Phone", "6", "VIP"),
  };
  ContactExportOptions options;
  options.country = "FI";
  options.uid_seed = "356789012345678";
  options.merge_marked = true;
  options.group_names = {"Perhe", "", "Kaverit, ja muut", "", ""};
  const ContactPlan plan = plan_contacts(entries, options);
  ASSERT_EQ(plan.contacts.size(), 5u);

  const std::vector<std::string> three = unfolded(write_contacts_vcf(plan, options));
  const std::vector<std::string> alice3{"BEGIN:VCARD", "VERSION:3.0", "UID:" + plan.contacts[0].uid,
                                        "FN:Alice Smith", "N:Smith;Alice;;;", "TEL;TYPE=CELL:+358401000002",
                                        "CATEGORIES:Perhe", "END:VCARD"};
  ASSERT_GE(three.size(), alice3.size());
  EXPECT_EQ(std::vector<std::string>(three.begin(), three.begin() + 8), alice3);
  auto has = [](const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has(three, "FN:Bob"));
  EXPECT_TRUE(has(three, "TEL;TYPE=HOME:+35891234567"));
  EXPECT_TRUE(has(three, "TEL;TYPE=WORK:+358201234567"));
  EXPECT_TRUE(has(three, "TEL:*100#"));
  EXPECT_TRUE(has(three, "TEL:0401000000p1234"));
  EXPECT_TRUE(has(three, "FN:Tom\\; Jerry\\, \\\\ Co"));

  options.vcard_version = 4;
  const std::vector<std::string> four = unfolded(write_contacts_vcf(plan, options));
  EXPECT_TRUE(has(four, "VERSION:4.0"));
  EXPECT_TRUE(has(four, "UID:urn:uuid:" + plan.contacts[0].uid));
  EXPECT_TRUE(has(four, "TEL;VALUE=uri;TYPE=cell:tel:+358401000002"));
  EXPECT_TRUE(has(four, "TEL;VALUE=uri;TYPE=home:tel:+35891234567"));
  EXPECT_TRUE(has(four, "TEL:*100#"));
  EXPECT_TRUE(has(four, "TEL:0401000000p1234"));

  // Read back by the importer: the names and the numbers.
  for (int version : {3, 4}) {
    options.vcard_version = version;
    const std::vector<ContactRecord> back = read_vcards(write_contacts_vcf(plan, options));
    ASSERT_EQ(back.size(), plan.contacts.size()) << version;
    EXPECT_EQ(back[0].Name, "Alice Smith");
    EXPECT_EQ(back[0].numbers, std::vector<std::string>{"+358401000002"});
    EXPECT_EQ(back[1].Name, "Bob");
    EXPECT_EQ(back[1].numbers, (std::vector<std::string>{"+35891234567", "+358201234567"}));
    EXPECT_EQ(back[4].Name, "Tom; Jerry, \\ Co");
  }
}

// File > Export and the backup: the rules apply, and the import gives back
// exactly what the handset held.
TEST_F(ContactExportTest, PhoneBookVCardsKeepWhatARestoreNeeds) {
  std::vector<PhoneBookEntry> entries{
      entry("Alice Smith", "0401000002", "Phone", "1", "Family"),
      entry("Bob H", "091234567", "Phone", "2"),
      entry("Bob W", "0201234567", "SIM", "3", "Colleagues"),
      entry("Balance", "*100#", "SIM", "4"),
      entry("Alice Smith", "+358401000002", "SIM", "5", "VIP"),
      PhoneBookEntry{"Dialled", "", "0401000099", "Dialled", "1", "No Group", "Auto", ""},
  };
  ContactExportOptions options;
  options.country = "FI";
  const std::string text = write_vcards(entries, options);
  const std::vector<std::string> lines = unfolded(text);
  auto has = [&lines](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has("N:Smith;Alice;;;"));
  EXPECT_TRUE(has("TEL;TYPE=CELL:+358401000002"));
  EXPECT_TRUE(has("X-PHONDECK-NUMBER:0401000002"));
  EXPECT_TRUE(has("TEL;TYPE=HOME:+35891234567"));  // beside "Bob W", the letter is a marker
  EXPECT_TRUE(has("N:;Bob H;;;"));
  EXPECT_TRUE(has("TEL:*100#"));
  EXPECT_TRUE(has("CATEGORIES:Family"));
  EXPECT_TRUE(has("X-PHONDECK-GROUP:Family"));
  EXPECT_FALSE(has("CATEGORIES:No Group"));
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("UID:"); }), 6);
  const ContactFallback fallback{"Phone", "No Group", "Auto"};
  const ImportedEntries back = entries_from_records(read_vcards(text), false, fallback);
  EXPECT_EQ(back.entries, entries);
  EXPECT_EQ(write_vcards(entries, options), text);  // the same UIDs again
}

}  // namespace
}  // namespace phondeck
