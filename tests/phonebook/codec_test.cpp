#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/code_page.h"
#include "app/configuration.h"
#include "phonebook/gsm_alphabet.h"
#include "phonebook/number_codec.h"
#include "phonebook/text_codec.h"

namespace phondeck {
namespace {

using Bytes = std::vector<std::uint8_t>;

class CodecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config() = Configuration{};
    set_active_code_page(CodePage::Windows1252);
  }
  void TearDown() override { set_active_code_page(CodePage::Windows1252); }
};

// GSM default-alphabet values of an ASCII text that maps one to one.
Bytes septets_of(const std::string& ascii) {
  Bytes out;
  for (char c : ascii) out.push_back(c == '@' ? 0 : static_cast<std::uint8_t>(c));
  return out;
}

TEST_F(CodecTest, Ucs2EncodingHonoursTheBufferCapacity) {
  EXPECT_EQ(text_to_ucs2be("abc", 4), (Bytes{0, 'a', 0, 'b', 0, 'c'}));
  EXPECT_TRUE(text_to_ucs2be("abc", 3).empty());  // the terminator does not fit
  EXPECT_TRUE(text_to_ucs2be("abc", 0).empty());
  EXPECT_EQ(text_to_ucs2be("中文", 3), (Bytes{0x4E, 0x2D, 0x65, 0x87}));
  EXPECT_EQ(text_to_ucs2be(std::string("a\0b", 3), 10), (Bytes{0, 'a'}));
  EXPECT_EQ(text_to_ucs2be("\U0001F600", 2), (Bytes{0xFF, 0xFD}));
  EXPECT_TRUE(text_to_ucs2be("", 255).empty());
}

TEST_F(CodecTest, Ucs2DecodingStopsAtAZeroCharacter) {
  EXPECT_EQ(ucs2be_to_text(Bytes{0x4E, 0x2D, 0x00, 0x41}), "中A");
  EXPECT_EQ(ucs2be_to_text(Bytes{0x00, 0x41, 0x00, 0x00, 0x00, 0x42}), "A");
  EXPECT_EQ(ucs2be_to_text(Bytes{0x00, 0x41, 0x00}), "A");
  EXPECT_EQ(ucs2be_to_text(Bytes{}), "");
}

TEST_F(CodecTest, DecodeNameReadsTheUnicodeMarkerOrCodePageBytes) {
  EXPECT_EQ(decode_name(Bytes{0x04, 0xFF, 0x4E, 0x2D}), "中");
  EXPECT_EQ(decode_name(Bytes{' ', ' ', 'B', 'o', 'b', ' '}), "Bob");
  EXPECT_EQ(decode_name(Bytes{0x04, 0xFF, 0x00, 0x20, 0x00, 'A', 0x00, 0x20}), "A");
  EXPECT_EQ(decode_name(Bytes{}), "");
  EXPECT_EQ(decode_name(Bytes{' ', ' '}), "");
  // The marker alone is not a UNICODE name.
  EXPECT_EQ(decode_name(Bytes{0x04, 0xFF}), "\x04\u00FF");
  EXPECT_EQ(decode_name(Bytes{0x04, 0xFF, 0x4E}), "");
  // 8-bit names are in the active code page and end at a NUL.
  EXPECT_EQ(decode_name(Bytes{0xC4, 'r', 'g', 'e', 'r', 0, 'x'}), "Ärger");
  set_active_code_page(CodePage::Big5);
  EXPECT_EQ(decode_name(Bytes{0xA4, 0xA4}), "中");
  EXPECT_EQ(decode_name(Bytes{'a', 0xA4}), "a?");
}

TEST_F(CodecTest, DecodeNameIsBoundedByTheBytesGiven) {
  const Bytes name{'A', 'n', 'n', 'a'};
  EXPECT_EQ(decode_name(name, 3), "Ann");
  EXPECT_EQ(decode_name(name, 4000), "Anna");
  EXPECT_EQ(decode_name(Bytes{0x04, 0xFF, 0x00, 0x41, 0x00, 0x42}, 4), "A");
  EXPECT_EQ(decode_name(name, 0), "");
}

TEST_F(CodecTest, SeptetPackingFollowsTheCountRule) {
  const Bytes hello = septets_of("hellohello");
  const Bytes packed = pack_septets(hello);
  EXPECT_EQ(packed, (Bytes{0xE8, 0x32, 0x9B, 0xFD, 0x46, 0x97, 0xD9, 0xEC, 0x37}));
  EXPECT_EQ(septet_count(0), 0u);
  EXPECT_EQ(septet_count(7), 8u);
  EXPECT_EQ(septet_count(8), 9u);
  EXPECT_EQ(septet_count(13), 14u);
  EXPECT_EQ(septet_count(14), 16u);
  // Nine octets read as ten septets: the text comes back whole.
  EXPECT_EQ(unpack_septets(packed), hello);
  for (std::size_t n = 0; n <= 17; ++n) {
    Bytes values(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = static_cast<std::uint8_t>((i * 37 + 11) & 0x7F);
    const Bytes octets = pack_septets(values);
    EXPECT_EQ(octets.size(), (n * 7 + 7) / 8);
    const Bytes back = unpack_septets(octets);
    ASSERT_EQ(back.size(), septet_count(octets.size()));
    EXPECT_TRUE(std::equal(values.begin(), values.end(), back.begin())) << n;
  }
}

TEST_F(CodecTest, SeptetsDecodeTheWholeDefaultAlphabetAndEscapeTable) {
  const Bytes letters{0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x0C, 0x0E,
                      0x0F, 0x10, 0x11, 0x12, 0x13, 0x1C, 0x1D, 0x1E, 0x1F, 0x24, 0x40, 0x5C, 0x5D,
                      0x5E, 0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F};
  EXPECT_EQ(gsm_septets_to_utf8(letters), "@£$¥èéùìòÇØøÅåΔ_ΦΓÆæßÉ¤¡ÖÑÜ§¿äöñüà");
  const Bytes escaped{0x1B, 0x65, 0x1B, 0x3C, 0x1B, 0x3E, 0x1B, 0x28, 0x1B, 0x29, 0x1B, 0x2F,
                      0x1B, 0x14, 0x1B, 0x3D, 0x1B, 0x40};
  EXPECT_EQ(gsm_septets_to_utf8(escaped), "€[]{}\\^~|");
  // Unknown escape codes show the default character; a final escape a blank.
  EXPECT_EQ(gsm_septets_to_utf8(Bytes{0x1B, 0x41, 'b', 0x1B}), "Ab ");
  EXPECT_EQ(gsm_septets_to_utf8(Bytes{0x0D, 0x0A, 0x20, 0x7A}), "\r\n z");
}

TEST_F(CodecTest, AbstractIsTheFirstLineAtMostTwentyCharacters) {
  EXPECT_EQ(message_abstract("Hi\r\nthere"), "Hi");
  EXPECT_EQ(message_abstract("Hi\nthere"), "H");  // a carriage return is assumed
  EXPECT_EQ(message_abstract("\nthere"), "");
  EXPECT_EQ(message_abstract("abcdefghijklmnopqrstuvwxyz"), "abcdefghijklmnopqrst");
  EXPECT_EQ(message_abstract(std::string(30, 'x') + "\r\n"), std::string(20, 'x'));
  std::string accents;
  for (int i = 0; i < 25; ++i) accents += "é";
  std::string twenty;
  for (int i = 0; i < 20; ++i) twenty += "é";
  EXPECT_EQ(message_abstract(accents), twenty);
}

TEST_F(CodecTest, DecodeNumberReadsSemiOctets) {
  EXPECT_EQ(decode_number(Bytes{0x91, 0x88, 0x96, 0x10, 0xF2}), "+8869012");
  EXPECT_EQ(decode_number(Bytes{0x81, 0x21, 0xF3}), "123");
  EXPECT_EQ(decode_number(Bytes{0x81, 0x21, 0x43}), "1234");
  EXPECT_EQ(decode_number(Bytes{0x91}), "+");
  EXPECT_EQ(decode_number(Bytes{}), "");
  EXPECT_EQ(decode_number(Bytes{0xA1, 0x9C, 0x21}), "12912");   // low half-byte 12 as "12"
  EXPECT_EQ(decode_number(Bytes{0x81, 0xBA, 0x21}), "10");      // high half-byte 11 ends it
  EXPECT_EQ(decode_number(Bytes{0x81, 0x21, 0x43}, 2), "12");
  EXPECT_EQ(decode_number(Bytes{0x81, 0x21}, 99), "12");
}

TEST_F(CodecTest, EncodeNumberForDestinationsAndMessageCentres) {
  EXPECT_EQ(encode_number("+8869012", AddressKind::Destination),
            (Bytes{7, 0x91, 0x88, 0x96, 0x10, 0xF2}));
  EXPECT_EQ(encode_number("+8869012", AddressKind::MessageCentre),
            (Bytes{5, 0x91, 0x88, 0x96, 0x10, 0xF2}));
  EXPECT_EQ(encode_number("1234", AddressKind::Destination), (Bytes{4, 0x81, 0x21, 0x43}));
  EXPECT_EQ(encode_number("", AddressKind::Destination), (Bytes{0, 0x81}));
  EXPECT_EQ(encode_number("+", AddressKind::MessageCentre), (Bytes{1, 0x91}));
  // Round trip through the decoder.
  const auto field = encode_number("+491701234567", AddressKind::Destination);
  ASSERT_TRUE(field);
  EXPECT_EQ(decode_number(std::span(*field).subspan(1)), "+491701234567");
}

TEST_F(CodecTest, EncodeNumberTakesTheChosenMessageCentre) {
  config().SMSCNumber[1] = "+123";
  config().SMSC = 2;
  EXPECT_EQ(encode_number("999", AddressKind::MessageCentre), (Bytes{3, 0x91, 0x21, 0xF3}));
  EXPECT_EQ(encode_number("999", AddressKind::Destination), (Bytes{3, 0x81, 0x99, 0xF9}));
  config().SMSC = 0;
  EXPECT_EQ(encode_number("999", AddressKind::MessageCentre), (Bytes{3, 0x81, 0x99, 0xF9}));
  config().SMSC = 7;  // no such field
  EXPECT_EQ(encode_number("999", AddressKind::MessageCentre), (Bytes{3, 0x81, 0x99, 0xF9}));
}

TEST_F(CodecTest, EncodeNumberRefusesCharactersThatAreNotDigits) {
  std::string error;
  EXPECT_FALSE(encode_number("12a4", AddressKind::Destination, &error));
  EXPECT_EQ(error, "'a' is not a valid integer value");
  EXPECT_FALSE(encode_number("+12 3", AddressKind::Destination, &error));
  EXPECT_EQ(error, "' ' is not a valid integer value");
  EXPECT_FALSE(encode_number("++1", AddressKind::Destination));
}

}  // namespace
}  // namespace phondeck
