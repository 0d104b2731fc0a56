#include "app/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace phondeck {
namespace {

using namespace std::string_literals;

TEST(CodePageTest, Windows1252RoundTripsItsLettersAndEuro) {
  const std::string text = "Ärger é € ß";
  const std::string bytes = to_code_page(text, CodePage::Windows1252);
  EXPECT_EQ(bytes, "\xC4rger \xE9 \x80 \xDF"s);
  EXPECT_EQ(from_code_page(bytes, CodePage::Windows1252), text);
}

TEST(CodePageTest, UnmappableCharactersBecomeQuestionMarksAndConversionGoesOn) {
  EXPECT_EQ(to_code_page("a中b", CodePage::Windows1252), "a?b");
  EXPECT_EQ(to_code_page("中\U0001F600x", CodePage::Windows1252), "??x");
  // Undefined Windows-1252 bytes.
  EXPECT_EQ(from_code_page("a\x81" "b\x9D", CodePage::Windows1252), "a?b?");
}

TEST(CodePageTest, ChineseCodePagesUseTwoBytesPerCharacter) {
  const std::string big5 = to_code_page("中文", CodePage::Big5);
  EXPECT_EQ(big5, "\xA4\xA4\xA4\xE5"s);
  EXPECT_EQ(from_code_page(big5, CodePage::Big5), "中文");
  const std::string gbk = to_code_page("中文", CodePage::GBK);
  EXPECT_EQ(gbk, "\xD6\xD0\xCE\xC4"s);
  EXPECT_EQ(from_code_page(gbk, CodePage::GBK), "中文");
  // A lead byte cut at the end, and an invalid pair, never stop the conversion.
  EXPECT_EQ(from_code_page("ab\xA4"s, CodePage::Big5), "ab?");
  EXPECT_EQ(from_code_page("\xFF\xFFz"s, CodePage::GBK).back(), 'z');
}

TEST(CodePageTest, InvalidUtf8IsReplacedNeverLoopsOrCrashes) {
  EXPECT_EQ(to_code_page("a\xC3"s, CodePage::Windows1252), "a?");          // cut sequence
  EXPECT_EQ(to_code_page("\x80\xBFz"s, CodePage::Windows1252), "??z");     // stray continuations
  EXPECT_EQ(to_code_page("\xC0\xAF"s, CodePage::Windows1252), "??");       // overlong
  EXPECT_EQ(to_code_page("\xED\xA0\x80"s, CodePage::Windows1252), "???");  // surrogate
  EXPECT_EQ(utf8_to_code_points("\xF4\x90\x80\x80"s), std::u32string(4, 0xFFFD));  // > U+10FFFF
  EXPECT_EQ(to_code_page(""), "");
}

TEST(CodePageTest, ActiveCodePageSelectsTheConversion) {
  set_active_code_page(CodePage::GBK);
  EXPECT_EQ(active_code_page(), CodePage::GBK);
  EXPECT_EQ(to_code_page("中"), "\xD6\xD0"s);
  set_active_code_page(CodePage::Windows1252);
  EXPECT_EQ(to_code_page("中"), "?");
  EXPECT_EQ(from_code_page("\xE9"s), "é");
}

TEST(Ucs2Test, EncodesBigEndianAndReplacesCharactersBeyond16Bits) {
  EXPECT_EQ(utf8_to_ucs2be("Aé中"), "\x00\x41\x00\xE9\x4E\x2D"s);
  EXPECT_EQ(utf8_to_ucs2be("\U0001F600"), "\xFF\xFD"s);
  EXPECT_EQ(utf8_to_ucs2be("\xFF"s), "\xFF\xFD"s);
}

TEST(Ucs2Test, DecodesPairsLoneSurrogatesAndOddLengths) {
  EXPECT_EQ(ucs2be_to_utf8("\x00\x41\x4E\x2D"s), "A中");
  EXPECT_EQ(ucs2be_to_utf8("\xD8\x3D\xDE\x00"s), "\U0001F600");
  EXPECT_EQ(ucs2be_to_utf8("\xD8\x3D\x00\x41"s), "\uFFFDA");
  EXPECT_EQ(ucs2be_to_utf8("\xDE\x00"s), "\uFFFD");
  EXPECT_EQ(ucs2be_to_utf8("\x00\x41\x00"s), "A");
  EXPECT_EQ(ucs2be_to_utf8(""), "");
}

TEST(Utf16Test, RoundTripsSupplementaryCharacters) {
  const std::string text = "x\U0001F600y";
  EXPECT_EQ(utf8_to_utf16(text).size(), 4u);
  EXPECT_EQ(utf16_to_utf8(utf8_to_utf16(text)), text);
  EXPECT_TRUE(has_non_ascii("é"));
  EXPECT_FALSE(has_non_ascii("plain ~"));
}

}  // namespace
}  // namespace phondeck
