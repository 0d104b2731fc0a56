// The message codecs at their edges: both text forms, the limit, the
// trailing-septet and UCS-2 decodes, number fields, time stamps, validity
// labels and the byte layout of a send request.
#include <gtest/gtest.h>

#include "app/configuration.h"
#include "app/text_table.h"
#include "organiser/sms_codec.h"
#include "phonebook/gsm_alphabet.h"

namespace phondeck {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SmsCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    config() = Configuration{};
  }
};

TEST_F(SmsCodec, EncodesSevenBitOrUcs2) {
  struct Case {
    std::string text;
    Bytes bytes;
    bool ucs2;
    int characters;
    std::string unsupported;
  };
  const std::vector<Case> cases{
      {"abc", {0x61, 0xF1, 0x18}, false, 3, ""},
      {"@$", {0x00, 0x01}, false, 2, ""},
      {"AAAAAAAA", {0xC1, 0x60, 0x30, 0x18, 0x0C, 0x06, 0x83}, false, 8, ""},
      {"a\r\nb", {0xE1, 0x86, 0x42, 0x0C}, false, 4, ""},
      {"A[", {0x00, 0x41, 0x00, 0x5B}, true, 4, ""},
      {"x~", {0x00, 0x78, 0x00, 0x7E}, true, 4, ""},
      {"\u00e9", {0x00, 0xE9}, true, 2, ""},
      {"\u4f60", {0x4F, 0x60}, true, 2, ""},
      // Beyond UCS-2: replaced and reported, never a surrogate pair.
      {"a\U0001F600\U0001F600", {0x00, 0x61, 0xFF, 0xFD, 0xFF, 0xFD}, true, 6, "\U0001F600"},
      {"", {}, false, 0, ""},
  };
  for (const Case& c : cases) {
    const EncodedMessage m = encode_message_text(c.text);
    EXPECT_EQ(m.bytes, c.bytes) << c.text;
    EXPECT_EQ(m.ucs2, c.ucs2) << c.text;
    EXPECT_EQ(m.characters, c.characters) << c.text;
    EXPECT_EQ(m.length, static_cast<int>(c.bytes.size())) << c.text;
    EXPECT_EQ(m.unsupported, c.unsupported) << c.text;
  }
}

TEST_F(SmsCodec, LimitFallsBetween140And141Bytes) {
  EXPECT_EQ(encode_message_text(std::string(160, 'a')).length, 140);
  EXPECT_EQ(encode_message_text(std::string(161, 'a')).length, 141);
  std::string seventy;
  for (int i = 0; i < 70; ++i) seventy += "\u00e9";
  EXPECT_EQ(encode_message_text(seventy).length, 140);
  EXPECT_EQ(encode_message_text(seventy + "e").length, 142);

  OutgoingSms sms;
  fill_outgoing(sms, encode_message_text("abc"));
  EXPECT_EQ(sms.data_coding, 0x00);
  EXPECT_EQ(sms.user_data_length, 3);
  EXPECT_EQ(sms.byte_count, 3);
  fill_outgoing(sms, encode_message_text("A["));
  EXPECT_EQ(sms.data_coding, 0x08);
  EXPECT_EQ(sms.user_data_length, 4);
  EXPECT_EQ(sms.first_octet, 0x11);
  // Room for the graphics writes' staging, never written past.
  EXPECT_GE(OutgoingSms::kCapacity, 510u);
  EXPECT_FALSE(sms.set_user_data(Bytes(OutgoingSms::kCapacity + 1, 0x55)));
  EXPECT_EQ(sms.byte_count, static_cast<int>(OutgoingSms::kCapacity));
}

TEST_F(SmsCodec, DecodesByTheMessagesOwnCodingAndLength) {
  config().MultiByte = 0;  // UCS-2 is decoded whatever the language option
  const Bytes seven = encode_message_text("On way!").bytes;
  ASSERT_EQ(seven.size(), 7u);
  const Bytes aerger_euro = pack_septets(Bytes{0x5B, 'r', 'g', 'e', 'r', 0x1B, 0x65});
  struct Case {
    Bytes data;
    std::uint8_t coding;
    int length;
    std::string text;
  };
  const std::vector<Case> cases{
      {seven, 0x00, 7, "On way!"},
      {seven, 0x00, -1, "On way!@"},  // no length: the top bits read as "@"
      {{0x61, 0xF1, 0x18}, 0x00, 3, "abc"},
      {{0x00, 0x41, 0x00, 0xE9}, 0x08, 4, "A\u00e9"},
      {{0x4F, 0x60, 0x59, 0x7D}, 0x08, 4, "\u4f60\u597d"},
      {{0x4F, 0x60, 0x59, 0x7D}, 0x08, 2, "\u4f60"},
      {{0x4F, 0x60, 0x59, 0x7D}, 0x18, 4, "\u4f60\u597d"},  // with a message class
      {{0x24, 0x2A}, 0xF5, 2, "24 2A"},                    // 8-bit data
      {{0x61, 0xF1, 0x18}, 0x00, 200, "abc"},               // a length beyond the data
      {Bytes(8, 0x00), 0x00, -1, "@@@@@@@@@"},              // 8 octets hold 9 septets
      {{0x41}, 0x00, 0, ""},
      {{0x00, 0x41}, 0x08, 0, ""},
      {{}, 0x00, -1, ""},
      // The length counts septets, an escape pair as two: cut inside one, the
      // escape alone shows as a blank.
      {aerger_euro, 0x00, 7, "\u00c4rger\u20ac"},
      {aerger_euro, 0x00, 6, "\u00c4rger "},
      {{0x4E, 0x2D, 0x00, 0x0D, 0x00, 0x0A, 0x00, 0x41}, 0x08, 8, "\u4e2d\r\nA"},
      {{0x4E, 0x2D, 0x00, 0x0D, 0x00, 0x0A, 0x00, 0x41}, 0x08, 3, "\u4e2d"},  // half a character dropped
  };
  for (const Case& c : cases) EXPECT_EQ(decode_user_data(c.data, c.coding, c.length), c.text) << c.text;
}

TEST_F(SmsCodec, NumberFieldsFitTwelveBytes) {
  struct Case {
    std::string number;
    AddressKind kind;
    Bytes start;  // the rest of the 12 bytes is 00
  };
  const std::vector<Case> cases{
      {"+4412345678", AddressKind::Destination, {0x0A, 0x91, 0x44, 0x21, 0x43, 0x65, 0x87}},
      {"+4412345678", AddressKind::MessageCentre, {0x06, 0x91, 0x44, 0x21, 0x43, 0x65, 0x87}},
      {"12345", AddressKind::Destination, {0x05, 0x81, 0x21, 0x43, 0xF5}},
      {"", AddressKind::Destination, {0x00, 0x81}},
      {"+12345678901234567890", AddressKind::Destination,
       {0x14, 0x91, 0x21, 0x43, 0x65, 0x87, 0x09, 0x21, 0x43, 0x65, 0x87, 0x09}},
  };
  for (const Case& c : cases) {
    const std::optional<NumberField> field = number_field(c.number, c.kind);
    ASSERT_TRUE(field) << c.number;
    Bytes expect = c.start;
    expect.resize(kNumberField, 0x00);
    EXPECT_EQ(Bytes(field->begin(), field->end()), expect) << c.number;
  }
  std::string error;
  EXPECT_FALSE(number_field("123456789012345678901", AddressKind::Destination, &error));
  EXPECT_EQ(error, "The number 123456789012345678901 is too long (at most 20 digits)");
  EXPECT_FALSE(number_field("12a", AddressKind::Destination, &error));
  EXPECT_EQ(error, "The number 12a holds \"a\": a message goes only to a number of digits, with \"+\" first for an international one");
  EXPECT_FALSE(number_field("+1+2", AddressKind::Destination, &error));
  EXPECT_EQ(error.substr(0, 25), "The number +1+2 holds \"+\"");
  // A chosen setting too long for the field is refused the same way.
  config().SMSC = 2;
  config().SMSCNumber[1] = "+1234567890123456789012";
  EXPECT_FALSE(number_field("+4412", AddressKind::MessageCentre, &error));
  EXPECT_EQ(error, "The number +1234567890123456789012 is too long (at most 20 digits)");
}

TEST_F(SmsCodec, TimeStampsAndValidityLabels) {
  EXPECT_EQ(format_time_stamp(Bytes{0x00, 0x21, 0x70, 0x20, 0x34, 0x44, 0x80}), "00.12.07 02:43:44");
  EXPECT_EQ(format_time_stamp(Bytes{0x00, 0x21}), "");
  const std::vector<std::pair<int, std::string>> labels{
      {0, "5 Min(s)"},         {11, "1 Hour(s) "},       {142, "11 Hour(s) 55 Min(s)"},
      {143, "12 Hour(s) "},    {166, "23 Hour(s) 30 Min(s)"}, {167, "1 Day(s)"},
      {196, "30 Day(s)"},      {197, "5 Week(s)"},       {200, "8 Week(s)"},
  };
  for (const auto& [code, label] : labels) EXPECT_EQ(validity_label(code), label) << code;
}

TEST_F(SmsCodec, RequestsCarryTheExactLayout) {
  OutgoingSms sms;
  fill_outgoing(sms, encode_message_text("abc"));
  const MessageRequest send = send_request_payload(sms, "+4412345678", "12345", 167);
  Bytes expect{0x00, 0x01, 0x00, 0x01, 0x02, 0x00,
               0x06, 0x91, 0x44, 0x21, 0x43, 0x65, 0x87, 0, 0, 0, 0, 0,  // 6..17
               0x11, 0x00, 0x00, 0x00, 0x03,                             // 18..22
               0x05, 0x81, 0x21, 0x43, 0xF5, 0, 0, 0, 0, 0, 0, 0,        // 23..34
               167, 0, 0, 0, 0, 0, 0,                                    // 35..41
               0x61, 0xF1, 0x18};
  EXPECT_EQ(send.payload, expect);
  const MessageRequest outbox = outbox_write_payload(sms, "+4412345678", 167);
  ASSERT_EQ(outbox.payload.size(), expect.size() + 2);
  EXPECT_EQ(Bytes(outbox.payload.begin(), outbox.payload.begin() + 8),
            (Bytes{0x00, 0x01, 0x00, 0x04, 0x07, 0x02, 0x00, 0x02}));
  EXPECT_EQ(Bytes(outbox.payload.begin() + 25, outbox.payload.begin() + 27), (Bytes{0x00, 0x81}));
  // A centre write sends back the record as read with its number replaced;
  // a record cut short still gets a whole number field.
  Bytes record(40, 0x5A);
  record[0] = 0x01;
  const MessageRequest smsc = smsc_write_payload(record, "+4412345678");
  ASSERT_EQ(smsc.payload.size(), 45u);
  EXPECT_EQ(Bytes(smsc.payload.begin(), smsc.payload.begin() + 6), (Bytes{0x00, 0x01, 0x00, 0x30, 0x64, 0x01}));
  EXPECT_EQ(Bytes(smsc.payload.begin() + 22, smsc.payload.begin() + 34),
            (Bytes{0x06, 0x91, 0x44, 0x21, 0x43, 0x65, 0x87, 0, 0, 0, 0, 0}));
  EXPECT_EQ(smsc.payload[21], 0x5A);
  EXPECT_EQ(smsc.payload[34], 0x5A);
  EXPECT_EQ(smsc_write_payload(Bytes{0x01}, "+4412345678").payload.size(), 35u);
  EXPECT_TRUE(send_request_payload(sms, "+44", std::string(21, '1'), 0).payload.empty());

  // Parsing the handset's answers: a record too short is refused, the
  // message centre is read from its stated length.
  ReceivedSms received;
  EXPECT_FALSE(parse_sms_record(Bytes(42, 0x00), received));
  Bytes reply(26, 0x00);
  reply[21] = 4;
  reply[22] = 0x91;
  reply[23] = 0x21;
  reply[24] = 0x43;
  reply[25] = 0xF5;
  EXPECT_EQ(parse_smsc_reply(reply), "+12345");
  reply[21] = 9;
  EXPECT_FALSE(parse_smsc_reply(reply));
}

}  // namespace
}  // namespace phondeck
