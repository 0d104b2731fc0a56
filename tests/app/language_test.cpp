#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/help.h"
#include "app/program_folder.h"
#include "app_test_support.h"

namespace phondeck {
namespace {

using testing::AppStateTest;
using testing::EnvVar;

// ---- detection ----------------------------------------------------------

TEST(LocaleDetection, MapsLocaleNamesToIdsAndOnlyThreeIdsSelectALibrary) {
  const std::pair<const char*, const char*> ids[] = {
      {"zh_TW", "0404"}, {"zh_CN.GB18030", "0804"}, {"fr_FR.UTF-8@euro", "040C"}, {"zh_HK.UTF-8", "0C04"},
      {"en_US.UTF-8", "0409"}, {"en_GB", "0809"}, {"fr_CA", "0C0C"}, {"fr_BE", "080C"}, {"fr_CH", "100C"},
      {"de_DE", "0407"}, {"FR_fr", "040C"}, {"C", "0409"}, {"C.UTF-8", "0409"}, {"", "0409"},
      {"fr_SN", "1000"}, {"xx_YY", "1000"}};
  for (const auto& [name, id] : ids) EXPECT_EQ(locale_code_for(name), id) << name;
  EXPECT_EQ(selection_for_locale_code("0404"), 2);
  EXPECT_EQ(selection_for_locale_code("0804"), 3);
  EXPECT_EQ(selection_for_locale_code("040C"), 4);
  EXPECT_EQ(selection_for_locale_code("040c"), 4);
  for (const char* other : {"0C04", "1004", "0C0C", "0409", ""})
    EXPECT_EQ(selection_for_locale_code(other), 1) << other;
}

TEST(LocaleDetection, LcAllThenLcMessagesThenLang) {
  EnvVar all("LC_ALL", "zh_TW.UTF-8");
  EnvVar messages("LC_MESSAGES", "fr_FR.UTF-8");
  EnvVar lang("LANG", "zh_CN.UTF-8");
  EXPECT_EQ(user_locale_code(), "0404");
  {
    EnvVar empty_all("LC_ALL", "");
    EXPECT_EQ(user_locale_code(), "040C");
    EnvVar no_messages("LC_MESSAGES", nullptr);
    EXPECT_EQ(user_locale_code(), "0804");
    EnvVar no_lang("LANG", nullptr);
    EXPECT_EQ(user_locale_code(), "0409");
  }
}

// ---- selection ----------------------------------------------------------

class LanguageSelection : public AppStateTest {};

TEST_F(LanguageSelection, AutomaticDetectionLoadsTaiwanButNotHongKongChinese) {
  write_library("l_zh_tw.dll", {{5, "\xE9\x9B\xBB"}});
  EnvVar all("LC_ALL", "zh_HK.UTF-8");
  config().MultiByte = 1;
  select_language(0);
  EXPECT_EQ(language().locale_code, "0C04");
  EXPECT_EQ(language().number, 1);
  EXPECT_EQ(config().MultiByte, 0);
  EXPECT_EQ(tx(5), "Phondeck");

  EnvVar taiwan("LC_ALL", "zh_TW.Big5");
  select_language(0);
  EXPECT_EQ(language().locale_code, "0404");
  EXPECT_EQ(language().number, 2);
  EXPECT_EQ(language().code, "zh_tw");
  EXPECT_EQ(language().name, "Traditional Chinese");
  EXPECT_EQ(config().MultiByte, 1);
  EXPECT_EQ(active_code_page(), CodePage::Big5);
  EXPECT_EQ(tx(5), "\xE9\x9B\xBB");
}

TEST_F(LanguageSelection, LibraryOverwritesAllIds) {
  write_library("l_fr.dll", {{10, "&Valider"}, {420, "Famille"}});
  config().MultiByte = 1;
  select_language(4);
  EXPECT_EQ(language().number, 4);
  EXPECT_EQ(language().name, "France");
  EXPECT_EQ(language().code, "fr");
  EXPECT_EQ(config().MultiByte, 0);
  EXPECT_EQ(active_code_page(), CodePage::Windows1252);
  EXPECT_EQ(tx(10), "&Valider");
  EXPECT_EQ(tx(420), "Famille");
  EXPECT_EQ(tx(5), "");  // not in the library: empty, not English
  EXPECT_EQ(tx(3200), "");
}

TEST_F(LanguageSelection, MissingOrForeignLibraryFallsBackToEnglishAndItsCodePage) {
  write_library("l_zh_cn.dll", {{5, "\xE7\x94\xB5"}});
  select_language(3);
  EXPECT_EQ(language().code, "zh_cn");
  EXPECT_EQ(config().MultiByte, 1);
  EXPECT_EQ(active_code_page(), CodePage::GBK);
  std::filesystem::remove(folder.file("l_zh_cn.dll"));
  select_language(3);  // no l_zh_cn.dll anywhere on the path
  EXPECT_EQ(language().number, 1);
  EXPECT_EQ(language().name, "English");
  EXPECT_EQ(config().MultiByte, 0);
  EXPECT_EQ(active_code_page(), CodePage::Windows1252);
  EXPECT_EQ(tx(3201), "Are you sure to clear all ?");

  folder.write("l_zh_tw.dll", "MZ\x90\x00 not a text library\n5\tX\n");
  select_language(2);
  EXPECT_EQ(language().number, 1);
  EXPECT_EQ(tx(5), "Phondeck");

  std::filesystem::create_directory(folder.file("l_fr.dll"));
  select_language(4);
  EXPECT_EQ(language().number, 1);
}

TEST_F(LanguageSelection, OtherValuesActAsEnglishAndKeepTheLocaleCode) {
  write_library("l_fr.dll", {{5, "Phondeck FR"}});
  language().locale_code = "040C";
  for (int selection : {1, 5, -1, 1000}) {
    select_language(4);
    ASSERT_EQ(tx(5), "Phondeck FR");
    select_language(selection);
    EXPECT_EQ(language().number, 1) << selection;
    EXPECT_EQ(tx(5), "Phondeck") << selection;
  }
  EXPECT_EQ(language().locale_code, "040C");
}

TEST_F(LanguageSelection, RunTimeChangeResetsGroupNames) {
  write_library("l_fr.dll", {{420, "Famille"}, {421, "VIP"}, {422, "Amis"}, {423, "Coll\xC3\xA8gues"},
                             {424, "Autres"}, {425, "Aucun"}});
  config().GroupName = {"Mine", "", "Pals", "", "", ""};
  change_language(4);
  EXPECT_EQ(config().Language, 4);
  const std::array<std::string, 6> french{"Famille", "VIP", "Amis", "Coll\xC3\xA8gues", "Autres", "Aucun"};
  EXPECT_EQ(config().GroupName, french);
  change_language(1);
  EXPECT_EQ(config().GroupName[0], "Family");
}

TEST_F(LanguageSelection, StartUpCompletesOnlyEmptyGroupNamesFromTheLibrary) {
  write_library("l_fr.dll", {{420, "Famille"}, {425, "Aucun"}});
  folder.write("tv.dat", "Language=4\r\nGroupName0=Club\r\n");
  load_configuration();
  EXPECT_EQ(config().GroupName[0], "Club");
  EXPECT_EQ(config().GroupName[5], "Aucun");
  EXPECT_EQ(config().GroupName[1], "");  // the library has no text 421
}

// ---- library files --------------------------------------------------------

TEST(LanguageLibraryReader, NeedsTheMarkerLineAndOtherwiseLeavesTheTable) {
  TextTable table;
  table.load_english();
  for (const char* content : {"", "PHONDECK-LANGUAGE 2\n5\tx\n", "5\tx\n", " PHONDECK-LANGUAGE 1\n"})
    EXPECT_FALSE(read_language_library(content, table)) << content;
  EXPECT_EQ(table.get(5), "Phondeck");
  ASSERT_TRUE(read_language_library(
      "\xEF\xBB\xBFPHONDECK-LANGUAGE 1\r\n# French\r\n11\tAnnu&ler\r\n", table));
  EXPECT_EQ(table.get(11), "Annu&ler");
  EXPECT_EQ(table.get(5), "");
}

TEST(LanguageLibraryReader, EscapesLimitsAndBadBytes) {
  std::map<int, std::string> entries{{0, "zero"},
                                     {3999, "last"},
                                     {7, "tab\there\nline\\"},
                                     {8, std::string(300, 'y')}};
  std::string content = language_library_text(entries);
  content += "4000\tbeyond\n";
  content += "9\tbad \xFF byte\n";
  content += "-1\tnegative\n";
  content += "7\tlater line wins\n";
  TextTable table;
  ASSERT_TRUE(read_language_library(content, table));
  EXPECT_EQ(table.get(0), "zero");
  EXPECT_EQ(table.get(3999), "last");
  EXPECT_EQ(table.get(7), "later line wins");
  EXPECT_EQ(table.get(8), std::string(254, 'y'));
  EXPECT_EQ(table.get(9), "bad \xEF\xBF\xBD byte");

  TextTable again;
  ASSERT_TRUE(read_language_library(language_library_text({{7, "tab\there\nline\\"}}), again));
  EXPECT_EQ(again.get(7), "tab\there\nline\\");
}

class LanguageLibrarySearch : public AppStateTest {};

TEST_F(LanguageLibrarySearch, FirstFolderHoldingTheFileWins) {
  testing::ScratchFolder second;
  set_language_search_path({folder.path(), second.path()});
  second.write("l_fr.dll", language_library_text({{5, "second"}}));
  ASSERT_EQ(find_language_library("l_fr.dll"), second.file("l_fr.dll"));
  write_library("l_fr.dll", {{5, "first"}});
  EXPECT_EQ(find_language_library("l_fr.dll"), folder.file("l_fr.dll"));
  select_language(4);
  EXPECT_EQ(tx(5), "first");
  EXPECT_FALSE(find_language_library("l_zh_tw.dll").has_value());
}

TEST_F(LanguageLibrarySearch, DefaultPathStartsNextToTheProgram) {
  reset_language_search_path();
  EnvVar ld("LD_LIBRARY_PATH", "/opt/a::/opt/b");
  const std::vector<std::string> path = language_search_path();
  ASSERT_GE(path.size(), 4u);
  EXPECT_EQ(path[0], program_folder());
  // then the installed data folder: share/phondeck/ beside the bin/ folder
  EXPECT_EQ(path[1], (std::filesystem::path(program_folder()).parent_path().parent_path() /
                      "share/phondeck/").string());
  EXPECT_EQ(path[2], "/opt/a");
  EXPECT_EQ(path[3], "/opt/b");
}

// ---- help ----------------------------------------------------------------

class RecordingOpener : public HelpOpener {
 public:
  void open(const std::string& target) override { targets.push_back(target); }
  std::vector<std::string> targets;
};

TEST(HelpTarget, PageAnchorAndWebAddress) {
  EXPECT_EQ(help_target("0", "/opt/phondeck/", "en"), "/opt/phondeck/help/h_en.htm");
  EXPECT_EQ(help_target("#field", "/opt/phondeck/", "fr"), "/opt/phondeck/help/h_fr.htm#field");
  EXPECT_EQ(help_target("#mcc", "/opt/phondeck", "zh_tw"), "/opt/phondeck/help/h_zh_tw.htm#mcc");
  EXPECT_EQ(help_target("http://example.org/", "/p/", "en"), "http://example.org/");
  // "http:" needs more than five characters to count as an address.
  EXPECT_EQ(help_target("http:", "/p/", "en"), "/p/help/h_en.htm" "http:");
  EXPECT_EQ(help_target("00", "/p/", "en"), "/p/help/h_en.htm00");
  EXPECT_EQ(help_target("", "/p/", "en"), "/p/help/h_en.htm");
}

class HelpPages : public AppStateTest {};

TEST_F(HelpPages, OpensThePageOfTheActiveLanguageInTheProgramFolder) {
  RecordingOpener opener;
  set_help_opener(&opener);
  write_library("l_fr.dll", {{5, "Phondeck"}});
  select_language(4);
  open_help("0");
  open_help("#field");
  select_language(1);
  open_help("#config");
  set_help_opener(nullptr);
  open_help("0");  // no opener: nothing happens

  const std::string page = program_folder() + "help/h_";
  EXPECT_TRUE(std::filesystem::exists(program_folder() + "test_app"));
  ASSERT_EQ(opener.targets.size(), 3u);
  EXPECT_EQ(opener.targets[0], page + "fr.htm");
  EXPECT_EQ(opener.targets[1], page + "fr.htm#field");
  EXPECT_EQ(opener.targets[2], page + "en.htm#config");
}

}  // namespace
}  // namespace phondeck
