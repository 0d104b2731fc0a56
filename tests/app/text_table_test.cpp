#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "app/text_lines.h"
#include "app/text_table.h"

namespace phondeck {
namespace {

TEST(EnglishTexts, WellKnownIdsHoldTheirTexts) {
  TextTable table;
  table.load_english();
  EXPECT_EQ(table.get(5), "Phondeck");
  EXPECT_EQ(table.get(10), "&OK");
  const char* groups[] = {"Family", "VIP", "Friends", "Colleagues", "Other", "No Group"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(table.get(420 + i), groups[i]);
  EXPECT_EQ(table.get(3200), "Are you sure to clear ?");
  EXPECT_EQ(table.get(3201), "Are you sure to clear all ?");
  EXPECT_EQ(table.get(3202), "Sure to write to the first record ?");
  EXPECT_EQ(table.get(3204), "Are you sure to write into the phone ?");
  EXPECT_EQ(table.get(3000), "Disconnected");
  EXPECT_EQ(table.get(3059), "Write Profiles (Completed)");
  EXPECT_EQ(table.get(3402), "Aceess file error");
  EXPECT_EQ(table.get(150), "Ringing &Tone...");
  // Ids no source holds, and ids out of range, read as the empty text.
  for (int id : {0, 400, 3203, 3999, -1, 4000}) EXPECT_EQ(table.get(id), "") << id;
}

TEST(EnglishTexts, ResourceFileIsUniqueShortAndEmbeddedAsItStands) {
  std::ifstream in(std::string(PHONDECK_SOURCE_DIR) + "/resources/texts_en.txt", std::ios::binary);
  std::stringstream source;
  source << in.rdbuf();
  TextTable table;
  table.load_english();
  std::set<int> seen;
  parse_text_lines(source.str(), 9999, [&](int id, std::string text) {
    EXPECT_TRUE(seen.insert(id).second) << "id " << id << " repeats";
    EXPECT_LT(id, TextTable::kCount);
    EXPECT_LE(text.size(), TextTable::kMaxBytes) << "id " << id;
    EXPECT_EQ(table.get(id), text) << "id " << id;
  });
  std::size_t lines = 0;
  for (std::string line; std::getline(source, line);) lines += !line.empty();
  EXPECT_EQ(seen.size(), lines);  // every line of the file is a text line
  int held = 0;
  for (int id = 0; id < TextTable::kCount; ++id) held += !table.get(id).empty();
  EXPECT_EQ(static_cast<std::size_t>(held), seen.size());
}

TEST(TextTableStore, CutsLongTextsAtACharacterBoundary) {
  TextTable table;
  table.set(7, std::string(300, 'x'));
  EXPECT_EQ(table.get(7).size(), 254u);
  // A three-byte character that would end past byte 254 is left out whole.
  table.set(8, std::string(253, 'a') + "\xE4\xB8\xAD");
  EXPECT_EQ(table.get(8), std::string(253, 'a'));
  table.set(9, std::string(251, 'a') + "\xE4\xB8\xAD");
  EXPECT_EQ(table.get(9).size(), 254u);
  table.set(4000, "ignored");
  EXPECT_EQ(table.get(4000), "");
}

TEST(TextTableStore, WindowTitleCutsAtParenthesisAndDropsAccelerators) {
  EXPECT_EQ(window_title("Ringing &Tone..."), "Ringing Tone");
  EXPECT_EQ(window_title("\xE7\xB7\xA8\xE8\xBC\xAF(&E)..."), "\xE7\xB7\xA8\xE8\xBC\xAF");
  EXPECT_EQ(window_title("Misc."), "Misc");
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
