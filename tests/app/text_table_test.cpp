#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "app/text_lines.h"
#include "app/text_table.h"

namespace phondeck {
namespace {

std::string read_resource() {
  std::ifstream in(std::string(PHONDECK_SOURCE_DIR) + "/resources/texts_en.txt", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(EnglishTexts, WellKnownIdsHoldTheirTexts) {
  TextTable table;
  table.load_english();
  EXPECT_EQ(table.get(5), "Phondeck");
  EXPECT_EQ(table.get(10), "&OK");
  EXPECT_EQ(table.get(11), "&Cancel");
  const char* groups[] = {"Family", "VIP", "Friends", "Colleagues", "Other", "No Group"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(table.get(420 + i), groups[i]);
  EXPECT_EQ(table.get(412), "...");
  EXPECT_EQ(table.get(3200), "Are you sure to clear ?");
  EXPECT_EQ(table.get(3201), "Are you sure to clear all ?");
  EXPECT_EQ(table.get(3202), "Sure to write to the first record ?");
  EXPECT_EQ(table.get(3204), "Are you sure to write into the phone ?");
  EXPECT_EQ(table.get(3000), "Disconnected");
  EXPECT_EQ(table.get(3002), "Read PhoneBook (Processing)");
  EXPECT_EQ(table.get(3059), "Write Profiles (Completed)");
  EXPECT_EQ(table.get(3100), "Busy... Please wait");
  EXPECT_EQ(table.get(3402), "Aceess file error");
  EXPECT_EQ(table.get(150), "Ringing &Tone...");
  EXPECT_EQ(table.get(1163), "&Default");
  EXPECT_EQ(table.get(503), "Service Pro vider");
}

TEST(EnglishTexts, IdsWithoutTextReadEmpty) {
  TextTable table;
  table.load_english();
  EXPECT_EQ(table.get(0), "");
  EXPECT_EQ(table.get(400), "");   // insert-button texts exist only in Chinese
  EXPECT_EQ(table.get(3203), "");
  EXPECT_EQ(table.get(3999), "");
  EXPECT_EQ(table.get(-1), "");
  EXPECT_EQ(table.get(4000), "");
}

TEST(EnglishTexts, ResourceFileHasUniqueShortIdsWithinTheStringTable) {
  const std::string source = read_resource();
  ASSERT_FALSE(source.empty());
  std::set<int> seen;
  int lines = 0;
  parse_text_lines(source, 9999, [&](int id, std::string text) {
    ++lines;
    EXPECT_TRUE(seen.insert(id).second) << "id " << id << " repeats";
    EXPECT_LE(id, 3807);
    EXPECT_LE(text.size(), TextTable::kMaxBytes) << "id " << id;
    EXPECT_FALSE(text.empty()) << "id " << id;
  });
  // Every non-empty line of the file is a text line.
  std::size_t non_empty = 0;
  std::istringstream in(source);
  for (std::string line; std::getline(in, line);) non_empty += !line.empty();
  EXPECT_EQ(static_cast<std::size_t>(lines), non_empty);
  EXPECT_GT(lines, 300);
}

TEST(EnglishTexts, EmbeddedCopyMatchesTheResourceFile) {
  TextTable table;
  table.load_english();
  std::set<int> in_file;
  parse_text_lines(read_resource(), 3999, [&](int id, std::string text) {
    in_file.insert(id);
    EXPECT_EQ(table.get(id), text) << "id " << id;
  });
  for (int id = 0; id < TextTable::kCount; ++id) {
    if (!in_file.count(id)) {
      EXPECT_EQ(table.get(id), "") << "id " << id;
    }
  }
}

TEST(TextTableStore, CutsLongTextsAtACharacterBoundary) {
  TextTable table;
  table.set(7, std::string(300, 'x'));
  EXPECT_EQ(table.get(7).size(), 254u);
  // 253 ASCII bytes and then a three-byte character: the character does not fit.
  table.set(8, std::string(253, 'a') + "\xE4\xB8\xAD");
  EXPECT_EQ(table.get(8), std::string(253, 'a'));
  table.set(9, std::string(251, 'a') + "\xE4\xB8\xAD");
  EXPECT_EQ(table.get(9).size(), 254u);
  table.set(4000, "ignored");
  table.set(-3, "ignored");
  EXPECT_EQ(table.get(4000), "");
  table.clear();
  EXPECT_EQ(table.get(9), "");
}

TEST(TextTableStore, WindowTitleCutsAtParenthesisAndDropsAccelerators) {
  EXPECT_EQ(window_title("Ringing &Tone..."), "Ringing Tone");
  EXPECT_EQ(window_title("&Group and System Graphics..."), "Group and System Graphics");
  EXPECT_EQ(window_title("\xE7\xB7\xA8\xE8\xBC\xAF(&E)..."), "\xE7\xB7\xA8\xE8\xBC\xAF");
  EXPECT_EQ(window_title("Misc."), "Misc");
  EXPECT_EQ(window_title(""), "");
}

TEST(TextLines, EscapesRoundTripAndMalformedLinesAreSkipped) {
  const std::string text = "a\tb\nc\\d\re";
  EXPECT_EQ(unescape_text(escape_text(text)), text);
  EXPECT_EQ(unescape_text("x\\qy\\"), "x\\qy\\");
  std::string got;
  parse_text_lines("# comment\n12\tone\r\nabc\tbad\n\n99999\ttoo big\n4001\tover\nno tab\n3\tlast",
                   4000, [&](int id, std::string t) { got += std::to_string(id) + "=" + t + ";"; });
  EXPECT_EQ(got, "12=one;3=last;");
}

}  // namespace
}  // namespace phondeck
