#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "app/conversion.h"
#include "app_test_support.h"

namespace phondeck {
namespace {

using testing::AppStateTest;

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

// ---- integer conversion -------------------------------------------------

TEST(IntegerConversion, AcceptsOnlyDecimalWithOptionalSignWithin32Bits) {
  EXPECT_EQ(try_decimal_to_int("0"), 0);
  EXPECT_EQ(try_decimal_to_int("+7"), 7);
  EXPECT_EQ(try_decimal_to_int("-12"), -12);
  EXPECT_EQ(try_decimal_to_int("2147483647"), 2147483647);
  EXPECT_EQ(try_decimal_to_int("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(try_decimal_to_int("000000000000000000042"), 42);
  for (const char* bad : {"", "+", "-", " 5", "5 ", "0x10", "$10", "1e3", "2147483648",
                          "-2147483649", "99999999999999999999", "1-", "--1", "4\r"}) {
    EXPECT_FALSE(try_decimal_to_int(bad).has_value()) << '"' << bad << '"';
  }
  try {
    decimal_to_int("abc");
    FAIL() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    EXPECT_EQ(e.offending_text(), "abc");
  }
}

// ---- reader ------------------------------------------------------------

TEST(ConfigurationReader, EmptyTextKeepsDefaults) {
  const Configuration cfg = read_text("");
  const Configuration defaults;
  EXPECT_EQ(cfg.Width, 630);
  EXPECT_EQ(cfg.FontName, "MS Sans Serif");
  EXPECT_EQ(cfg.ColumnWidth, defaults.ColumnWidth);
  EXPECT_EQ(configuration_text(cfg, 1, 2), configuration_text(defaults, 1, 2));
}

TEST(ConfigurationReader, ValuesAreKeptUnchangedAfterTheFirstEquals) {
  const Configuration cfg = read_text("FontName=Arial=Bold\nGroupName1= Best  \nSMSC2=+886935\n");
  EXPECT_EQ(cfg.FontName, "Arial=Bold");
  EXPECT_EQ(cfg.GroupName[1], " Best  ");
  EXPECT_EQ(cfg.SMSCNumber[2], "+886935");
  EXPECT_EQ(read_text("FontName=\n").FontName, "");
}

TEST(ConfigurationReader, LastLineWithoutLineBreakIsNotApplied) {
  const Configuration cfg = read_text("DelConfirm=0\nShowComError=1");
  EXPECT_EQ(cfg.DelConfirm, 0);
  EXPECT_EQ(cfg.ShowComError, 0);
  // Not even a bad value in it is looked at.
  EXPECT_EQ(read_text("FontSize=abc").FontSize, 8);
}

TEST(ConfigurationReader, AcceptsCrLfAndLfAlone) {
  const Configuration cfg = read_text("Port=3\r\nType=0\nFontName=Courier\r\n");
  EXPECT_EQ(cfg.Port, 3);
  EXPECT_EQ(cfg.Type, 0);
  EXPECT_EQ(cfg.FontName, "Courier");
}

TEST(ConfigurationReader, MatchingOrderAndExactKeys) {
  // "Width" alone is the window width; with a digit it is a column width.
  Configuration cfg = read_text("Width=800\nWidth3=0\nHeight=600\nSMSC=4\nSMSC0=123\n");
  EXPECT_EQ(cfg.Width, 800);
  EXPECT_EQ(cfg.Height, 600);
  EXPECT_EQ(cfg.ColumnWidth[3], 0);
  EXPECT_EQ(cfg.ColumnWidth[0], 50);
  EXPECT_EQ(cfg.SMSC, 4);
  EXPECT_EQ(cfg.SMSCNumber[0], "123");
  // Keys are case-sensitive; unknown keys and lines without "=" are ignored.
  cfg = read_text("width=1\nPORT=5\nColour=red\njust text\n=7\nPort=9\n");
  EXPECT_EQ(cfg.Width, 630);
  EXPECT_EQ(cfg.Port, 9);
  // A later line replaces an earlier one.
  EXPECT_EQ(read_text("TimeStart=6\nTimeStart=9\n").TimeStart, 9);
  // A key containing GroupName takes its index from the 10th character,
  // wherever the word stands.
  EXPECT_EQ(read_text("GroupName4x=Club\n").GroupName[4], "Club");
  EXPECT_EQ(conversion_message("MyGroupName1=a\n"), "'m' is not a valid integer value");
  EXPECT_EQ(conversion_message("ColWidth1=5\n"), "'d' is not a valid integer value");
}

TEST(ConfigurationReader, EveryIntegerKeyIsRead) {
  const Configuration cfg = read_text(
      "UIMode=4\nFontSize=10\nAutoReconnect=1\nLanguage=2\nMultiByte=1\nMethod=0\n"
      "TimeEnd=18\nWriteConfirm=0\nBasicLevel=1\nDevice=/dev/ttyS1\n");
  EXPECT_EQ(cfg.UIMode, 4);
  EXPECT_EQ(cfg.FontSize, 10);
  EXPECT_EQ(cfg.AutoReconnect, 1);
  EXPECT_EQ(cfg.Language, 2);
  EXPECT_EQ(cfg.MultiByte, 1);
  EXPECT_EQ(cfg.Method, 0);
  EXPECT_EQ(cfg.TimeEnd, 18);
  EXPECT_EQ(cfg.WriteConfirm, 0);
  EXPECT_EQ(cfg.BasicLevel, 1);
  EXPECT_EQ(cfg.Device, "/dev/ttyS1");
}

TEST(ConfigurationReader, BadIntegerValuesFailWithTheirText) {
  EXPECT_EQ(conversion_message("FontSize=abc\n"), "'abc' is not a valid integer value");
  EXPECT_EQ(conversion_message("Port= 1\n"), "' 1' is not a valid integer value");
  EXPECT_EQ(conversion_message("Width2=4294967296\n"), "'4294967296' is not a valid integer value");
  EXPECT_EQ(conversion_message("SMSC=\n"), "'' is not a valid integer value");
  EXPECT_EQ(conversion_message("Method=1\r\r\n"), "'1\r' is not a valid integer value");
  // Text keys take anything.
  EXPECT_EQ(conversion_message("FontName=abc\nSMSC1=abc\nGroupName0=\n"), "no error");
}

TEST(ConfigurationReader, IndexCharactersStayWithinTheSlots) {
  // Digits beyond the six, eight and six slots are ignored.
  const Configuration cfg =
      read_text("GroupName6=x\nGroupName9=x\nWidth8=1\nWidth9=1\nSMSC6=1\nSMSC9=1\nGroupName5=Last\n");
  for (const auto& name : cfg.GroupName) EXPECT_TRUE(name == "" || name == "Last");
  EXPECT_EQ(cfg.GroupName[5], "Last");
  EXPECT_EQ(cfg.ColumnWidth, Configuration{}.ColumnWidth);
  for (const auto& number : cfg.SMSCNumber) EXPECT_EQ(number, "");
  // A missing or non-digit index character is a conversion error.
  EXPECT_EQ(conversion_message("GroupName=x\n"), "'' is not a valid integer value");
  EXPECT_EQ(conversion_message("GroupNameA=x\n"), "'A' is not a valid integer value");
  EXPECT_EQ(conversion_message("Width-=1\n"), "'-' is not a valid integer value");
  EXPECT_EQ(conversion_message("SMSC+=1\n"), "'+' is not a valid integer value");
}

TEST(ConfigurationReader, LinesLongerThan254CharactersAreSkipped) {
  const std::string fits = "FontName=" + std::string(254 - 9, 'f');
  EXPECT_EQ(read_text(fits + "\r\n").FontName, std::string(245, 'f'));
  const std::string too_long = "FontName=" + std::string(255 - 9, 'g');
  const Configuration cfg = read_text(too_long + "\nFontSize=12\n");
  EXPECT_EQ(cfg.FontName, "MS Sans Serif");
  EXPECT_EQ(cfg.FontSize, 12);
  // A long line is skipped whole: no tail of it is read as a line of its own.
  EXPECT_EQ(read_text(std::string(300, 'x') + "Port=5\n").Port, 1);
}

// ---- writer ------------------------------------------------------------

TEST(ConfigurationWriter, WritesEveryItemInOrderWithCrLf) {
  Configuration cfg;
  cfg.GroupName = {"Family", "VIP", "Friends", "Colleagues", "Other", "No Group"};
  cfg.SMSCNumber[1] = "+886932400821";
  cfg.SMSCNumber[4] = "0912";
  cfg.UIMode = -3;
  cfg.CableOption = 5;
  cfg.Width = 1;  // the window's size is written, not the field
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

TEST(ConfigurationWriter, RoundTripKeepsEveryStoredField) {
  Configuration cfg;
  cfg.UIMode = 6;
  cfg.FontSize = 11;
  cfg.FontName = "Arial=Bold";
  cfg.Port = 7;
  cfg.Type = 0;
  cfg.AutoReconnect = 1;
  cfg.Language = 4;
  cfg.MultiByte = 1;
  cfg.GroupName = {"a", "", "c=d", " e ", "f", "g"};
  cfg.ColumnWidth = {1, -2, 3, 0, 5, 6, 7, 2147483647};
  cfg.Method = 0;
  cfg.SMSCNumber = {"", "1", "", "3", "", "5"};
  cfg.SMSC = 6;
  cfg.TimeStart = 7;
  cfg.TimeEnd = 21;
  cfg.DelConfirm = 0;
  cfg.WriteConfirm = 0;
  cfg.BasicLevel = 1;
  cfg.ShowComError = 1;
  cfg.Device = "virtual";
  cfg.CableOption = 3;  // never stored

  const std::string text = configuration_text(cfg, 800, 600);
  Configuration back = read_text(text);
  EXPECT_EQ(back.Width, 800);
  EXPECT_EQ(back.Height, 600);
  EXPECT_EQ(back.CableOption, 0);
  back.Width = cfg.Width;
  back.Height = cfg.Height;
  back.CableOption = cfg.CableOption;
  EXPECT_EQ(configuration_text(back, 800, 600), text);
  EXPECT_EQ(back.GroupName, cfg.GroupName);
  EXPECT_EQ(back.SMSCNumber, cfg.SMSCNumber);
  EXPECT_EQ(back.ColumnWidth, cfg.ColumnWidth);
  EXPECT_EQ(back.Device, "virtual");
}

TEST(ConfigurationWriter, EmptyMessageCentreEntriesAreDroppedButTheChoiceStays) {
  const Configuration cfg = read_text("SMSC0=\nSMSC=0\n");
  const std::string text = configuration_text(cfg, 630, 440);
  EXPECT_EQ(text.find("SMSC0="), std::string::npos);
  EXPECT_NE(text.find("\r\nSMSC=0\r\n"), std::string::npos);
}

TEST(ConfigurationWriter, ZeroColumnWidthIsSavedAsOneAfterLayout) {
  Configuration cfg = read_text("Width3=0\n");
  EXPECT_EQ(cfg.ColumnWidth[3], 0);
  const auto widths = settle_column_widths(cfg);
  EXPECT_EQ(widths[3], 1);
  EXPECT_NE(configuration_text(cfg, 630, 440).find("\r\nWidth3=1\r\n"), std::string::npos);
}

class ConfigurationFile : public AppStateTest {};

TEST_F(ConfigurationFile, SavingTwiceGivesIdenticalFilesAndLeavesNoScratchFile) {
  const std::string path = folder.file("tv.dat");
  ASSERT_TRUE(save_configuration(config(), 630, 440, path));
  const std::string first = folder.read("tv.dat");
  ASSERT_TRUE(save_configuration(config(), 630, 440, path));
  EXPECT_EQ(folder.read("tv.dat"), first);
  EXPECT_EQ(first, configuration_text(config(), 630, 440));
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST_F(ConfigurationFile, FailedSaveLeavesThePreviousFileWhole) {
  folder.write("tv.dat", "FontSize=12\r\n");
  // The new file cannot be created: a folder stands in its place.
  std::filesystem::create_directory(folder.file("tv.dat.new"));
  EXPECT_FALSE(save_configuration(config(), 630, 440, folder.file("tv.dat")));
  EXPECT_EQ(folder.read("tv.dat"), "FontSize=12\r\n");
  // A folder that does not exist: nothing written, nothing thrown.
  EXPECT_FALSE(save_configuration(config(), 630, 440, folder.file("none/tv.dat")));
}

TEST_F(ConfigurationFile, SaveUsesTheInjectedPath) {
  config().FontName = "Tahoma";
  ASSERT_TRUE(save_configuration(640, 480));
  EXPECT_NE(folder.read("tv.dat").find("FontName=Tahoma\r\nPort="), std::string::npos);
  EXPECT_EQ(folder.read("tv.dat").substr(0, 23), "Width=640\r\nHeight=480\r\n");
}

TEST_F(ConfigurationFile, MissingFileGivesDefaultsAndEnglishGroupNames) {
  config().FontSize = 99;
  load_configuration();
  EXPECT_EQ(config().FontSize, 8);
  const std::array<std::string, 6> english{"Family", "VIP", "Friends", "Colleagues", "Other", "No Group"};
  EXPECT_EQ(config().GroupName, english);
}

TEST_F(ConfigurationFile, EmptyFileGivesDefaultsAndEnglishGroupNames) {
  folder.write("tv.dat", "");
  load_configuration();
  EXPECT_EQ(config().Width, 630);
  EXPECT_EQ(config().GroupName[0], "Family");
  EXPECT_EQ(config().GroupName[5], "No Group");
}

TEST_F(ConfigurationFile, OneGroupNameKeepsItsTextAndTheOthersComeFromTheTexts) {
  folder.write("tv.dat", "Language=1\r\nGroupName2=Work\r\n");
  texts().set(421, "Very Important");  // the load refills the texts first
  load_configuration();
  const std::array<std::string, 6> expected{"Family", "VIP", "Work", "Colleagues", "Other", "No Group"};
  EXPECT_EQ(config().GroupName, expected);
}

TEST_F(ConfigurationFile, MultiByteFromTheFileIsReplacedByTheLanguage) {
  folder.write("tv.dat", "Language=1\nMultiByte=1\n");
  load_configuration();
  EXPECT_EQ(config().MultiByte, 0);
  EXPECT_EQ(language().number, 1);
}

TEST_F(ConfigurationFile, BadIntegerStopsTheLoad) {
  folder.write("tv.dat", "FontSize=abc\nPort=4\n");
  try {
    load_configuration();
    FAIL() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  EXPECT_EQ(config().Port, 1);  // reading stopped at the bad line
}

TEST_F(ConfigurationFile, MissingLibraryStartsInEnglish) {
  folder.write("tv.dat", "Language=3\nMultiByte=1\n");
  load_configuration();
  EXPECT_EQ(language().number, 1);
  EXPECT_EQ(language().code, "en");
  EXPECT_EQ(config().MultiByte, 0);
  EXPECT_EQ(config().Language, 3);  // the stored choice is kept for the next save
  EXPECT_EQ(tx(5), "Phondeck");
}

}  // namespace
}  // namespace phondeck
