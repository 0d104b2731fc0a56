// Every language library of resources/ against the English table: the check
// itself on broken libraries first, then each library that ships.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "language_check.h"

namespace phondeck::language_check {
namespace {

std::string read_file(const std::string& path, bool& found) {
  std::ifstream in(path, std::ios::binary);
  found = static_cast<bool>(in);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

Texts english_table() {
  bool found = false;
  const std::string content = read_file(std::string(PHONDECK_SOURCE_DIR) + "/resources/texts_en.txt", found);
  EXPECT_TRUE(found) << "resources/texts_en.txt";
  return read_texts(content, false);
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

TEST(LanguageCheck, NamesTheIdAndTheRuleOfEachFault) {
  const Texts english = read_texts(
      "10\t&OK\n11\t&Cancel\n100\t&File\n110\t&Edit\n3412\tThe number %s is too long\n"
      "3624\t%1 entries imported, %2 skipped:\n3842\tfor SMS Backup & Restore\n",
      false);
  const std::vector<Menu> menus{{"the menu bar", {100, 110}}};
  const std::string good =
      "PHONDECK-LANGUAGE 1\n10\t&OK\n11\tA&nnuler\n100\t&Fichier\n110\tÉ&dition\n"
      "3412\tLe numéro %s est trop long\n3624\t%2 ignorées, %1 importées :\n3842\tpour SMS Backup & Restore\n";
  EXPECT_EQ(joined(check_library("l_xx.dll", good, english, menus, false)), "");
  auto with = [&good](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const struct {
    std::string library;
    bool insert_buttons;
    std::string report;
  } cases[] = {
      {with("PHONDECK-LANGUAGE 1", "PHONDECK 1"), false, "l_xx.dll: line 1 is not the marker line\n"},
      {with("11\tA&nnuler\n", ""), false, "l_xx.dll id 11: missing (English \"&Cancel\")\n"},
      {good + "12\t&Oui\n", false, "l_xx.dll id 12: not an id of the English table\n"},
      {good + "10\t&OK\n", false, "l_xx.dll: id 10 appears twice\n"},
      {good + "x\ty\n", false, "l_xx.dll: line 9 is no text line\n"},
      {with("%s est", "%d est"), false, "l_xx.dll id 3412: placeholders %d, the English has %s\n"},
      {with("%2 ignorées", "ignorées"), false, "l_xx.dll id 3624: placeholders %1, the English has %1 %2\n"},
      {with("A&nnuler", "Annuler"), false, "l_xx.dll id 11: no & accelerator, the English has one\n"},
      {with("É&dition", "&Fédition"), false,
       "l_xx.dll id 110: accelerator 'f' is also id 100's in the menu bar\n"},
      {with("É&dition", "&Édition"), false, ""},
      {with("É&dition", "&Édition").replace(good.find("&Fichier"), 8, "&éfichier"), false,
       "l_xx.dll id 110: accelerator 'é' is also id 100's in the menu bar\n"},
      {with("&OK", "&" + std::string(254, 'o')), false, "l_xx.dll id 10: 255 bytes, more than 254\n"},
      {with("&OK", "&\xC3"), false, "l_xx.dll id 10: not valid UTF-8\n"},
      {with("&OK", ""), false, "l_xx.dll id 10: empty\n"},
      {good, true, std::string("l_xx.dll id 400: missing (an insert button of the entry editor)\n")},
  };
  for (const auto& c : cases) {
    std::vector<std::string> report = check_library("l_xx.dll", c.library, english, menus, c.insert_buttons);
    if (c.insert_buttons) report.resize(std::min<std::size_t>(report.size(), 1));
    EXPECT_EQ(joined(report), c.report) << c.library;
  }
  // Upper and lower case are one accelerator, accented capitals too.
  EXPECT_EQ(accelerator("&Édition"), accelerator("&édition"));
  EXPECT_EQ(accelerator("檔案(&F)"), U'f');
  EXPECT_EQ(accelerator("Tom && Jerry"), 0u);
}

// The program's menus as the check sees them: every menu the main window
// builds, with its items.
TEST(LanguageCheck, KnowsEveryMenuOfTheMainWindow) {
  const std::vector<Menu> menus = program_menus();
  std::map<std::string, std::vector<int>> by_name;
  for (const Menu& m : menus) by_name[m.name] = m.items;
  EXPECT_EQ(by_name["the menu bar"], (std::vector<int>{100, 110, 130, 133, 160, 170}));
  EXPECT_EQ(by_name["the menu Edit (110) > Sort (115)"],
            (std::vector<int>{116, 117, 118, 119, 120, 121, 122, 123}));
  EXPECT_EQ(by_name["the lists' pop-up menu"], (std::vector<int>{111, 112, 113, 186}));
}

class LanguageLibrary : public ::testing::TestWithParam<const char*> {};

TEST_P(LanguageLibrary, HoldsEveryEnglishTextUnderItsRules) {
  const std::string name = GetParam();
  bool found = false;
  const std::string content = read_file(std::string(PHONDECK_SOURCE_DIR) + "/resources/" + name, found);
  ASSERT_TRUE(found) << "resources/" << name << " is missing";
  const bool chinese = name.find("zh") != std::string::npos;
  for (const std::string& problem : check_library(name, content, english_table(), program_menus(), chinese))
    ADD_FAILURE() << problem;
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageLibrary, ::testing::Values("l_fr.dll", "l_zh_tw.dll", "l_zh_cn.dll"),
                         [](const auto& library) {
                           std::string n = library.param;
                           return n.substr(2, n.size() - 6);
                         });

}  // namespace
}  // namespace phondeck::language_check
