// The model table, the identification texts, the information dialogs'
// fields and the phone-book name encodings and decoding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/code_page.h"
#include "app/text_table.h"
#include "link/information_dialogs.h"
#include "link/model_table.h"
#include "link/phonebook_names.h"

namespace phondeck {
namespace {

using Bytes = std::vector<std::uint8_t>;

class HandsetTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    set_active_code_page(CodePage::Windows1252);
  }
  static HandsetInfo identified(const std::string& imei) {
    HandsetInfo info;
    info.imei = imei;
    identify_from_imei(info);
    return info;
  }
};

TEST_F(HandsetTexts, ModelTableKeysPrefixesAndLimits) {
  const HandsetInfo a = identified("490518100000001");
  EXPECT_EQ(a.manufacturer, "Nokia");
  EXPECT_EQ(a.model, "6110");
  EXPECT_EQ(a.frequency, "900");
  EXPECT_EQ(a.name_length_limit, 16);
  EXPECT_EQ(a.assembled_in, "Finland");

  const HandsetInfo b = identified("448902300000001");
  EXPECT_EQ(b.model, "8210");
  EXPECT_EQ(b.frequency, "900 & 1800");
  EXPECT_EQ(b.name_length_limit, 20);
  EXPECT_EQ(b.assembled_in, "Korea");

  // Second keys of the same models.
  EXPECT_EQ(identified("493006200000000").model, "6150");
  EXPECT_EQ(identified("490526500000000").model, "6110");
  EXPECT_EQ(identified("490526500000000").assembled_in, "China");

  // Known prefix, unknown key: the prefix's limit, no model.
  const HandsetInfo c = identified("449999000000000");
  EXPECT_EQ(c.manufacturer, "Nokia");
  EXPECT_EQ(c.model, "");
  EXPECT_EQ(c.name_length_limit, 20);
  EXPECT_EQ(c.assembled_in, "Unknown");

  const HandsetInfo d = identified("350000100000000");
  EXPECT_EQ(d.manufacturer, "");
  EXPECT_EQ(d.model, "");
  EXPECT_EQ(d.frequency, "");
  EXPECT_EQ(d.name_length_limit, 16);

  // Too short to hold a key or an assembly digit.
  const HandsetInfo e = identified("4905");
  EXPECT_EQ(e.model, "");
  EXPECT_EQ(e.assembled_in, "Unknown");
}

TEST_F(HandsetTexts, IdentificationReplyFieldsStopAtPaddingAndShortData) {
  Bytes data(49, 0x00);
  const std::string imei = "495503200001234";
  std::copy(imei.begin(), imei.end(), data.begin() + 9);
  const std::string type = "NSK-1";
  std::copy(type.begin(), type.end(), data.begin() + 25);
  data[39] = '0'; data[40] = '5'; data[41] = ' '; data[42] = ' ';
  const std::string firmware = "05.24";
  std::copy(firmware.begin(), firmware.end(), data.begin() + 44);
  HandsetInfo info;
  store_identification(info, data.data(), data.size());
  EXPECT_EQ(info.imei, imei);
  EXPECT_EQ(info.model, "5130");
  EXPECT_TRUE(info.model_lacks_features());
  EXPECT_EQ(info.type_designation, "NSK-1");
  EXPECT_EQ(info.hardware_version, "05");
  EXPECT_EQ(info.firmware_version, "05.24");
  EXPECT_EQ(info.assembled_in, "Germany");

  // A reply cut short leaves the missing texts empty and reads nothing beyond it.
  HandsetInfo cut;
  store_identification(cut, data.data(), 30);
  EXPECT_EQ(cut.imei, imei);
  EXPECT_EQ(cut.hardware_version, "");
  EXPECT_EQ(cut.firmware_version, "");
}

TEST_F(HandsetTexts, HardwareInformationShowsUnknownWithoutAnImei) {
  HandsetInfo info;
  info.model = "6110";  // left over: still replaced
  const HardwareFields fields = hardware_information(info);
  for (const std::string& text : fields.edit) EXPECT_EQ(text, "Unknown");
  EXPECT_EQ(info.model, "Unknown");

  HandsetInfo known = identified("490518100000001");
  known.type_designation = "NSE-3";
  const HardwareFields shown = hardware_information(known);
  EXPECT_EQ(shown.edit[0], "490518100000001");
  EXPECT_EQ(shown.edit[2], "NSE-3");
  EXPECT_EQ(shown.edit[3], "6110");
  EXPECT_EQ(shown.edit[5], "Finland");
  EXPECT_EQ(shown.edit[6], "");  // no version known: empty, not "Unknown"
}

TEST_F(HandsetTexts, NetworkAndOperatorInformation) {
  HandsetInfo info;
  info.battery = 4;
  info.signal = 0;
  const NetworkFields net = network_information(info);
  EXPECT_EQ(net.battery, "4");
  EXPECT_EQ(net.signal, "0");

  OperatorInformation op;
  op.select_line(4);
  op.network_details(466, 1);
  EXPECT_EQ(op.mcc, "466");
  EXPECT_EQ(op.mnc, "1");
  EXPECT_EQ(op.selected, 0);
  op.select_line(2);
  EXPECT_EQ(op.mnc, "01");
  op.select_line(0);  // the dashes change nothing
  EXPECT_EQ(op.mnc, "01");
  op.select_line(99);
  EXPECT_EQ(op.selected, 0);
  op.select_line(1);
  EXPECT_EQ(op.mcc, "0");
  EXPECT_EQ(OperatorInformation::operator_lines().size(), 9u);
  EXPECT_TRUE(OperatorInformation::shows_operator_list("zh_tw"));
  EXPECT_FALSE(OperatorInformation::shows_operator_list("zh_cn"));
}

NameToEncode name_input(WriteAs how, int memory = 0, int limit = 16) {
  NameToEncode in;
  in.write_as = how;
  in.memory = memory;
  in.limit = limit;
  in.multibyte = true;
  return in;
}

TEST_F(HandsetTexts, EncodesEveryWriteAsForBothMemories) {
  NameToEncode in = name_input(WriteAs::Auto);
  in.unicode = "AB";
  EXPECT_EQ(encode_name(in), (Bytes{0x04, 0xFF, 0x00, 0x41, 0x00, 0x42, 0x00, 0x00}));
  in.memory = 1;
  EXPECT_EQ(encode_name(in), (Bytes{0x04, 0xFF, 0x00, 0x41, 0x00, 0x42}));

  // Auto without a UNICODE text, and Name, write the code-page bytes.
  NameToEncode plain = name_input(WriteAs::Auto, 1);
  plain.name = "J\xc3\xbcrgen";
  EXPECT_EQ(encode_name(plain), (Bytes{'J', 0xFC, 'r', 'g', 'e', 'n'}));
  plain.write_as = WriteAs::Name;
  plain.unicode = "X";
  EXPECT_EQ(encode_name(plain), (Bytes{'J', 0xFC, 'r', 'g', 'e', 'n'}));

  // Both: pairs while 2 * pairs + |U| + 2 < limit, then U.
  NameToEncode both = name_input(WriteAs::Both, 0, 16);
  both.name = "ABCDEFG";
  both.unicode = "C";
  // |U| = 2: pairs 0..5 fit (2*5+2+2 = 14 < 16), the sixth does not.
  Bytes expect{0x04, 0xFF};
  for (char c : std::string("ABCDEF")) {
    expect.push_back(0x20);
    expect.push_back(static_cast<std::uint8_t>(c));
  }
  // 2 + 12 + 2 (U) + 2 zeros = 18, cut to 16: U is cut off.
  expect.resize(14);
  expect.push_back(0x00);
  expect.push_back(0x43);
  EXPECT_EQ(encode_name(both), expect);

  NameToEncode both2 = name_input(WriteAs::Both2, 1, 20);
  both2.name = "AB";
  both2.unicode = "C";
  EXPECT_EQ(encode_name(both2), (Bytes{0x04, 0xFF, 0x00, 0x43, 0x00, 'A', 0x00, 'B'}));

  // MultiByte off: everything is written as Name.
  NameToEncode off = name_input(WriteAs::Both, 1);
  off.multibyte = false;
  off.name = "Home";
  off.unicode = "H";
  EXPECT_EQ(encode_name(off), (Bytes{'H', 'o', 'm', 'e'}));
}

TEST_F(HandsetTexts, HandsetBytesAreWrittenAsTheyCameWhateverTheChoice) {
  const Bytes ucs2{0x04, 0xFF, 0x96, 0x73, 0x7F, 0x8E};
  for (bool multibyte : {false, true}) {
    NameToEncode in = name_input(WriteAs::Name, 1);
    in.multibyte = multibyte;
    in.name = "ignored";
    in.handset_bytes = ucs2;
    EXPECT_EQ(encode_name(in), ucs2);
    in.memory = 0;
    Bytes phone = ucs2;
    phone.insert(phone.end(), {0x00, 0x00});
    EXPECT_EQ(encode_name(in), phone);
  }
  // Still cut to the memory's size: a phone-memory name moved to the SIM.
  NameToEncode sim = name_input(WriteAs::Name, 1);
  const Bytes sixteen(16, 'x');
  sim.handset_bytes = sixteen;
  EXPECT_EQ(encode_name(sim), Bytes(12, 'x'));
}

TEST_F(HandsetTexts, CutsNamesToTheMemorySize) {
  NameToEncode sim = name_input(WriteAs::Name, 1);
  sim.name = "ABCDEFGHIJKLMNOP";
  EXPECT_EQ(encode_name(sim).size(), 12u);
  NameToEncode phone = name_input(WriteAs::Name, 0, 16);
  phone.name = sim.name;
  const Bytes cut = encode_name(phone);
  EXPECT_EQ(cut.size(), 16u);
  EXPECT_EQ(cut.back(), 'P');  // the two zeros fell off the end
  phone.limit = 20;
  const Bytes wide = encode_name(phone);
  ASSERT_EQ(wide.size(), 18u);
  EXPECT_EQ(wide[16], 0x00);
  EXPECT_EQ(wide[17], 0x00);
  // A UNICODE text longer than the buffer is not written at all.
  const std::string long_text(200, 'x');
  NameToEncode huge = name_input(WriteAs::Auto, 1);
  huge.unicode = long_text;
  EXPECT_EQ(encode_name(huge), Bytes{});
}

TEST_F(HandsetTexts, GroupIconsZeroTheSecondByteWhereTheModelWantsIt) {
  EXPECT_EQ(group_icon_bytes("6110", 0), (Bytes{0x04, 0x00, 0xFC}));
  EXPECT_EQ(group_icon_bytes("6110", 5), (Bytes{0x04, 0x01, 0x05}));
  EXPECT_EQ(group_icon_bytes("6138", 3), (Bytes{0x04, 0x00, 0xFF}));
  // Other models, and groups outside 0..5, carry no icon.
  EXPECT_EQ(group_icon_bytes("8210", 1), (Bytes{0x04, 0x00, 0x00}));
  EXPECT_EQ(group_icon_bytes("6110", 6), (Bytes{0x04, 0x00, 0x00}));
  NameToEncode in = name_input(WriteAs::Group, 0);
  in.model = "6150";
  in.group = 2;
  EXPECT_EQ(encode_name(in), (Bytes{0x04, 0x01, 0x06, 0x00, 0x00}));
}

TEST_F(HandsetTexts, DecodesEveryNameForm) {
  const auto decode = [](const Bytes& b) { return decode_entry_name(b, 16); };
  DecodedName both = decode({0x04, 0xFF, 0x20, 0x41, 0x20, 0x42, 0x00, 0x43});
  EXPECT_EQ(both.name, "AB");
  EXPECT_EQ(both.unicode, "C");
  EXPECT_EQ(both.write_as, WriteAs::Both);

  DecodedName uni = decode({0x04, 0xFF, 0x96, 0x73, 0x7F, 0x8E});
  EXPECT_EQ(uni.name, "");
  EXPECT_EQ(uni.unicode, "\u9673\u7f8e");
  EXPECT_EQ(uni.write_as, WriteAs::Auto);

  EXPECT_EQ(decode({0x04, 0x01, 0x05}).write_as, WriteAs::Group);
  EXPECT_EQ(decode({0x04}).write_as, WriteAs::Name);
  EXPECT_EQ(decode({}).name, "");

  DecodedName text = decode({'J', 0xFC, 'r', 0x00, 'x'});
  EXPECT_EQ(text.name, "J\xc3\xbcr");
  EXPECT_EQ(text.write_as, WriteAs::Name);


  // Both stops at the limit; the pairs never read past the end.
  DecodedName odd = decode({0x04, 0xFF, 0x20, 0x41, 0x20});
  EXPECT_EQ(odd.name, "A");
  EXPECT_EQ(odd.write_as, WriteAs::Both);
  Bytes long_both{0x04, 0xFF};
  for (int i = 0; i < 10; ++i) long_both.insert(long_both.end(), {0x20, 'a'});
  EXPECT_EQ(decode_entry_name(long_both, 16).name, "aaaaaaa");
}

TEST_F(HandsetTexts, EncodedNamesDecodeBack) {
  NameToEncode in = name_input(WriteAs::Both, 0, 20);
  in.name = "Li";
  in.unicode = "\u674e";
  const Bytes wire = encode_name(in);
  const DecodedName back = decode_entry_name(wire, 20);
  EXPECT_EQ(back.name, "Li");
  EXPECT_EQ(back.unicode, "\u674e");
  EXPECT_EQ(back.write_as, WriteAs::Both);
}

TEST_F(HandsetTexts, EntryRepliesAreTakenApartWithinTheirBytes) {
  EntryReply reply;
  // As a handset sends it: byte 4 is 0x00, a date flag follows the group.
  const Bytes good{0x00, 0x01, 0x00, 0x02, 0x00, 0x02, 'A', 'B', 0x03, '1', '2', '3', 0x04, 0x00};
  ASSERT_TRUE(parse_entry_reply(good, reply));
  EXPECT_EQ(reply.name, (Bytes{'A', 'B'}));
  EXPECT_EQ(reply.number, "123");
  EXPECT_EQ(reply.group, 4);
  EXPECT_FALSE(reply.empty());

  EntryReply empty;
  ASSERT_TRUE(parse_entry_reply(Bytes{0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x05, 0x00}, empty));
  EXPECT_TRUE(empty.empty());

  // Every truncation of a good reply is refused (the date flag is not needed).
  for (std::size_t n = 0; n + 1 < good.size(); ++n) {
    EntryReply cut;
    EXPECT_FALSE(parse_entry_reply(std::span(good.data(), n), cut)) << n;
  }
}

}  // namespace
}  // namespace phondeck
