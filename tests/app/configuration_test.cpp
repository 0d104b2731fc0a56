#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "app/conversion.h"
#include "app/start_up.h"
#include "app_test_support.h"

namespace phondeck {
namespace {

Configuration read_text(const std::string& text) {
  Configuration cfg;
  read_configuration_text(text, cfg);
  return cfg;
}

std::string conversion_message(const std::string& text) {
  try {
    read_text(text);
  } catch (const ConversionError& e) {
    return e.what();
  }
  return "no error";
}

TEST(IntegerConversion, AcceptsOnlyDecimalWithOptionalSignWithin32Bits) {
  EXPECT_EQ(try_decimal_to_int("+7"), 7);
  EXPECT_EQ(try_decimal_to_int("2147483647"), 2147483647);
  EXPECT_EQ(try_decimal_to_int("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(try_decimal_to_int("000000000000000000042"), 42);
  for (const char* bad : {"", "+", "-", " 5", "5 ", "0x10", "$10", "2147483648", "-2147483649",
                          "99999999999999999999", "--1", "4\r"}) {
    EXPECT_FALSE(try_decimal_to_int(bad).has_value()) << '"' << bad << '"';
  }
}

// ---- reader ------------------------------------------------------------

TEST(ConfigurationReader, LineForm) {
  // Values are kept unchanged after the first "="; CR LF and LF both end a line.
  Configuration cfg = read_text("FontName=Arial=Bold\r\nGroupName1= Best  \nPort=3\r\n");
  EXPECT_EQ(cfg.FontName, "Arial=Bold");
  EXPECT_EQ(cfg.GroupName[1], " Best  ");
  EXPECT_EQ(cfg.Port, 3);
  // A last line without a line break is not applied, nor even converted.
  cfg = read_text("DelConfirm=0\nShowComError=1");
  EXPECT_EQ(cfg.DelConfirm, 0);
  EXPECT_EQ(cfg.ShowComError, 0);
  EXPECT_EQ(read_text("FontSize=abc").FontSize, 8);
  // A later line replaces an earlier one.
  EXPECT_EQ(read_text("TimeStart=6\nTimeStart=9\n").TimeStart, 9);
}

TEST(ConfigurationReader, MatchingOrderAndExactKeys) {
  // "Width" alone is the window width; with a digit it is a column width.
  Configuration cfg = read_text("Width=800\nWidth3=0\nSMSC=4\nSMSC0=123\nDevice=/dev/ttyS1\n");
  EXPECT_EQ(cfg.Width, 800);
  EXPECT_EQ(cfg.ColumnWidth[3], 0);
  EXPECT_EQ(cfg.ColumnWidth[0], 50);
  EXPECT_EQ(cfg.SMSC, 4);
  EXPECT_EQ(cfg.SMSCNumber[0], "123");
  EXPECT_EQ(cfg.Device, "/dev/ttyS1");
  // Keys are case-sensitive; unknown keys and lines without "=" are ignored.
  cfg = read_text("width=1\nPORT=5\nColour=red\njust text\n=7\nPort=9\n");
  EXPECT_EQ(cfg.Width, 630);
  EXPECT_EQ(cfg.Port, 9);
  // A key containing a slot word takes its index from a fixed character,
  // wherever the word stands in the key.
  EXPECT_EQ(read_text("GroupName4x=Club\n").GroupName[4], "Club");
  EXPECT_EQ(conversion_message("MyGroupName1=a\n"), "'m' is not a valid integer value");
  EXPECT_EQ(conversion_message("ColWidth1=5\n"), "'d' is not a valid integer value");
}

TEST(ConfigurationReader, BadIntegersFailWithTheirText) {
  EXPECT_EQ(conversion_message("FontSize=abc\n"), "'abc' is not a valid integer value");
  EXPECT_EQ(conversion_message("Port= 1\n"), "' 1' is not a valid integer value");
  EXPECT_EQ(conversion_message("Width2=4294967296\n"), "'4294967296' is not a valid integer value");
  EXPECT_EQ(conversion_message("SMSC=\n"), "'' is not a valid integer value");
  EXPECT_EQ(conversion_message("FontName=abc\nSMSC1=abc\nGroupName0=\n"), "no error");
  // A missing or non-digit index character is a conversion error too.
  EXPECT_EQ(conversion_message("GroupName=x\n"), "'' is not a valid integer value");
  EXPECT_EQ(conversion_message("GroupNameA=x\n"), "'A' is not a valid integer value");
  EXPECT_EQ(conversion_message("Width-=1\n"), "'-' is not a valid integer value");
}

TEST(ConfigurationReader, IndexDigitsBeyondTheSlotsAreIgnored) {
  const Configuration cfg =
      read_text("GroupName6=x\nGroupName9=x\nWidth8=1\nWidth9=1\nSMSC6=1\nSMSC9=1\nGroupName5=Last\n");
  const std::array<std::string, 6> names{"", "", "", "", "", "Last"};
  EXPECT_EQ(cfg.GroupName, names);
  EXPECT_EQ(cfg.ColumnWidth, Configuration{}.ColumnWidth);
  EXPECT_EQ(cfg.SMSCNumber, Configuration{}.SMSCNumber);
}

TEST(ConfigurationReader, LinesLongerThan254CharactersAreSkippedWhole) {
  const std::string fits = "FontName=" + std::string(254 - 9, 'f');
  EXPECT_EQ(read_text(fits + "\r\n").FontName, std::string(245, 'f'));
  const Configuration cfg = read_text(fits + "g\nFontSize=12\n");
  EXPECT_EQ(cfg.FontName, "MS Sans Serif");
  EXPECT_EQ(cfg.FontSize, 12);
  EXPECT_EQ(read_text(std::string(300, 'x') + "Port=5\n").Port, 1);
}

// ---- writer ------------------------------------------------------------

TEST(ConfigurationWriter, WritesEveryItemInOrderWithCrLf) {
  Configuration cfg;
  cfg.GroupName = {"Family", "VIP", "Friends", "Colleagues", "Other", "No Group"};
  cfg.SMSCNumber[1] = "+886932400821";
  cfg.SMSCNumber[4] = "0912";
  cfg.UIMode = -3;
  cfg.CableOption = 5;  // never stored
  cfg.Width = 1;        // the window's size is written, not the field
  EXPECT_EQ(configuration_text(cfg, 700, 480),
            "Width=700\r\nHeight=480\r\nUIMode=-3\r\nFontSize=8\r\nFontName=MS Sans Serif\r\n"
            "Port=1\r\nType=1\r\nAutoReconnect=0\r\nLanguage=0\r\nMultiByte=0\r\n"
            "GroupName0=Family\r\nGroupName1=VIP\r\nGroupName2=Friends\r\nGroupName3=Colleagues\r\n"
            "GroupName4=Other\r\nGroupName5=No Group\r\nMethod=1\r\n"
            "Width0=50\r\nWidth1=60\r\nWidth2=80\r\nWidth3=45\r\nWidth4=40\r\nWidth5=40\r\n"
            "Width6=40\r\nWidth7=110\r\nSMSC=0\r\nSMSC1=+886932400821\r\nSMSC4=0912\r\n"
            "TimeStart=8\r\nTimeEnd=20\r\nDelConfirm=1\r\nWriteConfirm=1\r\nBasicLevel=0\r\n"
            "ShowComError=0\r\nDevice=\r\n");
}

TEST(ConfigurationWriter, ReadingBackGivesTheSameRecord) {
  Configuration cfg;
  cfg.UIMode = 6;
  cfg.FontName = "Arial=Bold";
  cfg.Port = 7;
  cfg.Type = 0;
  cfg.AutoReconnect = cfg.MultiByte = cfg.BasicLevel = cfg.ShowComError = 1;
  cfg.Language = 4;
  cfg.GroupName = {"a", "", "c=d", " e ", "f", "g"};
  cfg.ColumnWidth = {1, -2, 3, 0, 5, 6, 7, 2147483647};
  cfg.Method = cfg.DelConfirm = cfg.WriteConfirm = 0;
  cfg.SMSCNumber = {"", "1", "", "3", "", "5"};
  cfg.SMSC = 6;
  cfg.TimeStart = 7;
  cfg.Device = "virtual";
  const std::string text = configuration_text(cfg, cfg.Width, cfg.Height);
  EXPECT_EQ(configuration_text(read_text(text), cfg.Width, cfg.Height), text);
}

TEST(ConfigurationWriter, EmptyCentreNumbersAreDroppedAndZeroWidthsSettleToOne) {
  Configuration cfg = read_text("SMSC0=\nWidth3=0\n");
  EXPECT_EQ(cfg.ColumnWidth[3], 0);
  EXPECT_EQ(settle_column_widths(cfg)[3], 1);  // the lists lay the column out
  const std::string text = configuration_text(cfg, 630, 440);
  EXPECT_EQ(text.find("SMSC0="), std::string::npos);
  EXPECT_NE(text.find("\r\nSMSC=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nWidth3=1\r\n"), std::string::npos);
}

// ---- tv.dat on disk --------------------------------------------------------

class ConfigurationFile : public testing::AppStateTest {};

TEST_F(ConfigurationFile, SavingTwiceGivesIdenticalFilesAtTheInjectedPath) {
  config().FontName = "Tahoma";
  ASSERT_TRUE(save_configuration(640, 480));
  const std::string first = folder.read("tv.dat");
  EXPECT_EQ(first, configuration_text(config(), 640, 480));
  ASSERT_TRUE(save_configuration(640, 480));
  EXPECT_EQ(folder.read("tv.dat"), first);
  EXPECT_FALSE(std::filesystem::exists(folder.file("tv.dat.new")));
}

TEST_F(ConfigurationFile, FailedSaveLeavesThePreviousFileWhole) {
  folder.write("tv.dat", "FontSize=12\r\n");
  std::filesystem::create_directory(folder.file("tv.dat.new"));  // the new file cannot be made
  EXPECT_FALSE(save_configuration(630, 440));
  EXPECT_EQ(folder.read("tv.dat"), "FontSize=12\r\n");
  EXPECT_FALSE(save_configuration(config(), 630, 440, folder.file("none/tv.dat")));
}

TEST_F(ConfigurationFile, MissingOrEmptyFileGivesDefaultsAndEnglishGroupNames) {
  const std::array<std::string, 6> english{"Family", "VIP", "Friends", "Colleagues", "Other", "No Group"};
  config().FontSize = 99;
  load_configuration();
  EXPECT_EQ(config().FontSize, 8);
  EXPECT_EQ(config().GroupName, english);
  folder.write("tv.dat", "");
  load_configuration();
  EXPECT_EQ(config().GroupName, english);
}

TEST_F(ConfigurationFile, OneGroupNameKeepsItsTextAndTheOthersComeFromTheTexts) {
  folder.write("tv.dat", "Language=1\r\nGroupName2=Work\r\nMultiByte=1\r\n");
  texts().set(421, "Very Important");  // the load refills the texts first
  load_configuration();
  const std::array<std::string, 6> expected{"Family", "VIP", "Work", "Colleagues", "Other", "No Group"};
  EXPECT_EQ(config().GroupName, expected);
  EXPECT_EQ(config().MultiByte, 0);  // English replaces the stored value
}

TEST_F(ConfigurationFile, BadIntegerStopsTheLoad) {
  folder.write("tv.dat", "FontSize=abc\nPort=4\n");
  struct RecordingPrompt : Prompt {
    void message(const std::string& text) override { messages.push_back(text); }
    bool ask_yes_no(const std::string&) override { return true; }
    std::vector<std::string> messages;
  } prompt;
  EXPECT_FALSE(load_configuration_at_start(prompt));
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"'abc' is not a valid integer value"});
  EXPECT_EQ(config().Port, 1);  // reading stopped at the bad line
  folder.write("tv.dat", "FontSize=abc");  // not applied: no line break
  EXPECT_TRUE(load_configuration_at_start(prompt));
  EXPECT_EQ(prompt.messages.size(), 1u);
}

// ---- where tv.dat lives ----------------------------------------------------

TEST_F(ConfigurationFile, StartFolderFirstThenTheUsersConfigurationFolder) {
  const std::string start = folder.file("start");
  std::filesystem::create_directory(start);
  const std::string home = folder.path();
  const std::string local = start + "/tv.dat";
  const std::string in_home = home + "/.config/phondeck/tv.dat";
  struct Case {
    bool local_file;
    const char* xdg;
    const char* home;
    std::string expected;
  };
  const Case cases[] = {
      {true, "/xdg", home.c_str(), local},
      {false, "/xdg", home.c_str(), "/xdg/phondeck/tv.dat"},
      {false, nullptr, home.c_str(), in_home},
      {false, "", home.c_str(), in_home},
      {false, "relative/xdg", home.c_str(), in_home},  // only an absolute path counts
      {false, nullptr, nullptr, local},
      {false, nullptr, "", local},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(local);
    if (c.local_file) folder.write("start/tv.dat", "");
    EXPECT_EQ(locate_configuration(start, c.xdg, c.home), c.expected)
        << c.local_file << " " << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
  EXPECT_EQ(locate_configuration("", nullptr, nullptr), "tv.dat");

  // A first save makes the user's folder, private to the user; the next start
  // reads the file back from there.
  std::filesystem::remove(local);
  set_configuration_path(locate_configuration(start, nullptr, home.c_str()));
  config().FontSize = 12;
  ASSERT_TRUE(save_configuration(640, 480));
  struct stat info {};
  ASSERT_EQ(::stat((home + "/.config/phondeck").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(configuration_path(), in_home);
  config() = Configuration{};
  set_configuration_path(locate_configuration(start, nullptr, home.c_str()));
  load_configuration();
  EXPECT_EQ(config().FontSize, 12);
}

}  // namespace
}  // namespace phondeck
