// Messages in parts: how a text is split and packed (7-bit with the fill
// bit after the header, UCS-2, the extension table, each limit), read back
// through the header, and joined in the store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/text_table.h"
#include "organiser/long_message.h"
#include "organiser/message_store.h"
#include "organiser/sms_codec.h"

namespace phondeck {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(LongMessage, SplitsPacksAndReadsBack) {
  struct Case {
    std::string text;
    bool header;
    bool ucs2;
    std::vector<int> lengths;  // user-data length of each part
    std::string count;         // parts, units, capacity
  };
  const Case cases[] = {
      // One message as today: 160 septets fit, 161 take two parts.
      {repeat("a", 160), false, false, {160}, "1 140 140"},
      {repeat("a", 161), true, false, {7 + 153, 7 + 8}, "2 161 306"},
      {repeat("a", 153 * 6), true, false, std::vector<int>(6, 160), "6 918 918"},
      {repeat("a", 153 * 6 + 1), false, false, {}, "0 919 918"},
      // "[" counts two; an escape is never cut from its character.
      {repeat("a", 152) + "[" + repeat("b", 10), true, false, {7 + 152, 7 + 12}, "2 164 306"},
      {repeat("a", 80) + "[", false, false, {82}, "1 72 140"},
      // UCS-2: 70 characters in one message, then parts of 67.
      {repeat("\u00e9", 71) + "\u4f60", true, true, {6 + 134, 6 + 10}, "2 72 134"},
      {repeat("\u4f60", 67 * 6 + 1), false, true, {}, "0 403 402"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 12) + " " + std::to_string(c.text.size()));
    const PartCount count = count_message_text(c.text);
    EXPECT_EQ(std::to_string(count.parts) + " " + std::to_string(count.units) + " " + std::to_string(count.capacity),
              c.count);
    const std::optional<LongText> text = split_long_text(c.text, 0x2A);
    ASSERT_EQ(text.has_value(), !c.lengths.empty());
    if (!text) continue;
    EXPECT_EQ(text->header, c.header);
    EXPECT_EQ(text->ucs2, c.ucs2);
    ASSERT_EQ(std::vector<int>(text->lengths.begin(), text->lengths.end()), c.lengths);
    std::string joined;
    for (std::size_t k = 0; k < text->parts.size(); ++k) {
      const Bytes& part = text->parts[k];
      const std::uint8_t coding = c.ucs2 ? 0x08 : 0x00;
      if (!c.header) {
        joined += decode_user_data(part, coding, text->lengths[k]);
        continue;
      }
      ASSERT_GE(part.size(), 7u);
      EXPECT_EQ(Bytes(part.begin(), part.begin() + 6),
                (Bytes{0x05, 0x00, 0x03, 0x2A, static_cast<std::uint8_t>(text->parts.size()),
                       static_cast<std::uint8_t>(k + 1)}));
      if (!c.ucs2) {
        EXPECT_EQ(part[6] & 0x01, 0) << "the fill bit";
      }
      EXPECT_LE(part.size(), 140u);
      EXPECT_EQ(read_concat_header(part), (ConcatInfo{0x2A, static_cast<int>(text->parts.size()), static_cast<int>(k + 1)}));
      joined += decode_after_header(part, coding, text->lengths[k]);
    }
    EXPECT_EQ(joined, c.text);
  }
  // The first text septet sits at bit 49: "a" (0x61) shifted by one.
  EXPECT_EQ(split_long_text(repeat("a", 161), 1)->parts[0][6], 0xC2);
}

TEST(LongMessage, HeadersAreReadWithinTheirLength) {
  struct Case {
    Bytes data;
    std::optional<ConcatInfo> concat;
  };
  const Case cases[] = {
      {{0x05, 0x00, 0x03, 0x07, 0x03, 0x02, 0x41}, ConcatInfo{7, 3, 2}},
      {{0x06, 0x08, 0x04, 0x01, 0x02, 0x02, 0x01}, ConcatInfo{0x0102, 2, 1}},               // 16-bit reference
      {{0x08, 0x05, 0x04, 0x15, 0x82, 0x00, 0x00, 0x00, 0x03, 0x01}, std::nullopt},       // runs past the data
      {{0x0B, 0x05, 0x04, 0x15, 0x82, 0x00, 0x00, 0x00, 0x03, 0x09, 0x02, 0x02}, ConcatInfo{9, 2, 2}},
      {{0x05, 0x00, 0x03, 0x07, 0x03, 0x04}, std::nullopt},                              // part past the total
      {{0x05, 0x00, 0x09, 0x07, 0x03, 0x01}, std::nullopt},                              // element past the header
      {{}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(read_concat_header(c.data), c.concat);
}

TEST(LongMessage, PartsOfOneMessageAreJoinedWithGapsShown) {
  texts().load_english();
  auto part = [](std::string phone, std::string text, int ref, int total, int n, std::string pos) {
    SmsRecord r;
    r.Phone = std::move(phone);
    r.Text = std::move(text);
    r.Type = "1";
    r.Pos = std::move(pos);
    r.ConcatRef = ref;
    r.ConcatTotal = total;
    r.ConcatPart = n;
    return r;
  };
  MessageStore store;
  store.append(part("+1", "c", 5, 3, 3, "1"));
  store.append(part("+1", "whole", 0, 0, 0, "2"));
  store.append(part("+1", "a", 5, 3, 1, "3"));
  store.append(part("+2", "x", 5, 2, 1, "4"));  // another sender, same reference
  store.append(part("+1", "b", 5, 3, 2, "5"));
  store.append(part("+2", "y", 5, 2, 1, "6"));  // part 1 again: another message
  const std::vector<JoinedMessage> rows = store.joined(SmsFolder::Inbox);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].text, "abc");
  EXPECT_EQ(rows[0].records, (std::vector<std::size_t>{2, 4, 0}));
  EXPECT_EQ(rows[0].mark(), "[3]");
  EXPECT_EQ(rows[1].text, "whole");
  EXPECT_EQ(rows[1].mark(), "");
  EXPECT_EQ(rows[2].text, "x [part 2 missing]");
  EXPECT_EQ(rows[2].mark(), "[1/2]");
  EXPECT_EQ(rows[3].records, (std::vector<std::size_t>{5}));
}

}  // namespace
}  // namespace phondeck
