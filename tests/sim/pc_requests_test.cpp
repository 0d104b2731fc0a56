// Every request PC software sends while identifying and using a handset,
// answered with the layout of a real handset and taken apart by Telvane's
// own decoders.
#include <gtest/gtest.h>

#include <map>

#include "link/model_table.h"
#include "link/phonebook_names.h"
#include "pc_side.h"
#include "sim/handset.h"
#include "sim/handset_state.h"
#include "sim/models.h"
#include "support/fake_clock.h"

namespace phondeck::sim {
namespace {

using namespace testing;

struct Answer {
  std::uint8_t type = 0;  // 0: no answer
  Bytes data;             // all frames joined, without their trailer bytes
  int acks = 0;           // acknowledgements of the request
};

// Sends one request, acknowledges each frame of the answer as the PC does,
// and joins the frames.
Answer ask(HandsetState state, std::uint8_t type, const Bytes& payload) {
  FakeClock clock{1000};
  RecordingLine line;
  Handset handset(clock, std::move(state), {.need_wake = false});
  handset.attach(&line);
  const Bytes request = pc_request(type, payload, 0x42);
  handset.receive(request.data(), request.size());
  Answer answer;
  std::size_t seen = 0;
  for (bool more = true; more;) {
    more = false;
    const std::vector<SeenFrame> frames = line.frames();
    for (; seen < frames.size(); ++seen) {
      const SeenFrame& f = frames[seen];
      if (f.type == 0x7F) {
        ++answer.acks;
        continue;
      }
      answer.type = f.type;
      answer.data.insert(answer.data.end(), f.data.begin(), f.data.end() - 2);
      const Bytes ack = pc_ack(f.type, f.sequence());
      handset.receive(ack.data(), ack.size());
      more = f.data[f.data.size() - 2] > 1;
    }
  }
  return answer;
}

HandsetState demo(const char* model = "6110") { return HandsetState::demo(*find_model(model)); }

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }
Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<std::string> split(const Bytes& bytes, char separator) {
  std::vector<std::string> out(1);
  for (std::uint8_t b : bytes) {
    if (b == static_cast<std::uint8_t>(separator)) {
      out.emplace_back();
    } else {
      out.back().push_back(static_cast<char>(b));
    }
  }
  return out;
}

bool luhn_valid(const std::string& digits) {
  int sum = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    int d = digits[digits.size() - 1 - i] - '0';
    if (i % 2 == 1) d = d * 2 > 9 ? d * 2 - 9 : d * 2;
    sum += d;
  }
  return sum % 10 == 0;
}

const std::string kVersion = "V 05.24\n01-07-99\nNSE-3\n(c) NMP.";

TEST(PcRequests, EachRequestGetsTheRealHandsetsLayout) {
  struct Row {
    const char* what;
    std::uint8_t type;
    Bytes request;
    std::uint8_t reply_type;  // 0: acknowledged, never answered
    Bytes expect;             // the whole answer, or its start when size is set
    std::size_t size = 0;
  };
  const HandsetState s = demo();
  const Bytes imei = text(s.imei);
  const std::vector<Row> rows = {
      {"extended commands", 0x40, {0x00, 0x01, 0x64, 0x01}, 0x40, {0x00, 0x01, 0x64, 0x01, 0x00}, 6},
      {"IMEI", 0x40, {0x00, 0x01, 0x66}, 0x40, join({{0x00, 0x01, 0x66, 0x01}, imei, {0x00}})},
      {"software version", 0x40, {0x00, 0x01, 0xC8, 0x01}, 0x40, join({{0x00, 0x01, 0xC8, 0x01, 0x00}, text(kVersion), {0x00}})},
      {"hardware version", 0x40, {0x00, 0x01, 0xC8, 0x05}, 0x40, join({{0x00, 0x01, 0xC8, 0x05, 0x00}, text("0501"), {0x00}})},
      {"checksum", 0x40, {0x00, 0x01, 0xC8, 0x02}, 0x40, {0x00, 0x01, 0xC8, 0x02, 0x00}, 10},
      {"product code", 0x40, {0x00, 0x01, 0xCA, 0x01}, 0x40, join({{0x00, 0x01, 0xCA, 0x01, 0x00}, text("0500820"), {0x00}})},
      {"original IMEI", 0x40, {0x00, 0x01, 0xCC, 0x01}, 0x40, join({{0x00, 0x01, 0xCC, 0x01, 0x00}, imei, {0x00}})},
      {"SIM lock", 0x40, {0x00, 0x01, 0x8A, 0x00}, 0x40, {0x00, 0x01, 0x8A, 0x00, 0x01}, 26},
      {"MSID", 0x40, {0x00, 0x01, 0xB4, 0x01, 0x00}, 0x40, {0x00, 0x01, 0xB5, 0x01, 0x2F}, 19},
      {"reset", 0x40, {0x00, 0x01, 0x64, 0x03}, 0, {}},
      {"unknown service request", 0x40, {0x00, 0x01, 0xC8, 0x77}, 0, {}},
      {"monitor before enabling", 0x40, {0x00, 0x01, 0x7E, 0xF3}, 0, {}},
      {"version", 0xD1, {0x00, 0x01, 0x00, 0x03, 0x00}, 0xD2, join({{0x00, 0x01, 0x00, 0x03}, text(kVersion)})},
      {"identification", 0x64, {0x00, 0x01, 0x00, 0x10}, 0x64, join({{0x00, 0x01, 0x00, 0x11}, text("NOKIA"), imei}), 54},
      {"SMS handling", 0x02, {0x00, 0x01, 0x00, 0x0D, 0x00, 0x00, 0x02}, 0x02, {0x00, 0x01, 0x00, 0x0E}},
      {"SMS handling again", 0x02, {0x00, 0x01, 0x00, 0x0D, 0x01, 0x00, 0x02}, 0x02, {0x00, 0x01, 0x00, 0x0E}},
      {"cell broadcast", 0x02, {0x00, 0x01, 0x00, 0x20, 0x02}, 0x02, {0x00, 0x01, 0x00, 0x21, 0x01}},
      {"ringing volume of General", 0x05, {0x00, 0x01, 0x00, 0x13, 0x01, 0x00, 0x04}, 0x05,
       {0x00, 0x01, 0x00, 0x14, 0x01, 0x00, 0x04, 0x04, 0x09, 0x01}},
      {"entry", 0x03, {0x00, 0x01, 0x00, 0x01, 0x02, 0x01, 0x00}, 0x03,
       join({{0x00, 0x01, 0x00, 0x02, 0x00, 3}, text("Mum"), {13}, text("+358401234567"), {0x00, 0x00}})},
      {"empty location", 0x03, {0x00, 0x01, 0x00, 0x01, 0x02, 0x08, 0x00}, 0x03,
       {0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x05, 0x00}},
      {"dialled number with its time", 0x03, {0x00, 0x01, 0x00, 0x01, 0x07, 0x01, 0x00}, 0x03,
       join({{0x00, 0x01, 0x00, 0x02, 0x00, 3}, text("Mum"), {13}, text("+358401234567"),
             {0x00, 0x01, 0x07, 0xCF, 7, 1, 18, 5, 12}})},
      {"location beyond the memory", 0x03, {0x00, 0x01, 0x00, 0x01, 0x03, 101, 0x00}, 0x03, {0x00, 0x01, 0x00, 0x03, 0x74}},
      {"empty call-list location", 0x03, {0x00, 0x01, 0x00, 0x01, 0x09, 0x05, 0x00}, 0x03, {0x00, 0x01, 0x00, 0x03, 0x74}},
      {"no such memory", 0x03, {0x00, 0x01, 0x00, 0x01, 0x05, 0x01, 0x00}, 0x03, {0x00, 0x01, 0x00, 0x03, 0x7D}},
      {"status of no such memory", 0x03, {0x00, 0x01, 0x00, 0x07, 0x05}, 0x03, {0x00, 0x01, 0x00, 0x09, 0x7D}},
      {"name too long for the SIM", 0x03,
       join({{0x00, 0x01, 0x00, 0x04, 0x03, 0x01, 13}, text("Thirteen char"), {1, '1', 0}}), 0x03,
       {0x00, 0x01, 0x00, 0x06, 0x7A}},
      {"number too long for the SIM", 0x03,
       join({{0x00, 0x01, 0x00, 0x04, 0x03, 0x01, 1}, text("A"), {21}, text("123456789012345678901"), {0}}), 0x03,
       {0x00, 0x01, 0x00, 0x06, 0x7B}},
      {"write beyond the memory", 0x03, join({{0x00, 0x01, 0x00, 0x04, 0x03, 101, 1}, text("A"), {1, '1', 0}}),
       0x03, {0x00, 0x01, 0x00, 0x06, 0x74}},
      {"caller group", 0x03, {0x00, 0x01, 0x00, 0x10, 0x01}, 0x03,
       join({{0x00, 0x01, 0x00, 0x11, 0x01, 3}, text("VIP"), {0x10, 0x00, 0x00, 0x82, 0x00, 0x48, 0x0E, 0x01},
             demo_group_logo(1)})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Answer answer = ask(s, row.type, row.request);
    EXPECT_EQ(answer.acks, 1);
    ASSERT_EQ(answer.type, row.reply_type);
    if (row.size == 0) {
      EXPECT_EQ(answer.data, row.expect);
    } else {
      EXPECT_EQ(answer.data.size(), row.size);
      ASSERT_GE(answer.data.size(), row.expect.size());
      EXPECT_EQ(Bytes(answer.data.begin(), answer.data.begin() + static_cast<long>(row.expect.size())), row.expect);
    }
  }
  // A memory that holds no more takes a new entry nowhere, but still a changed one.
  HandsetState full = demo();
  full.sim.storable = full.sim.used();
  const int used_location = full.sim.entries.front().location;
  EXPECT_EQ(ask(full, 0x03, join({{0x00, 0x01, 0x00, 0x04, 0x03, 99, 1}, text("A"), {1, '1', 0}})).data,
            (Bytes{0x00, 0x01, 0x00, 0x06, 0x7C}));
  EXPECT_EQ(ask(full, 0x03,
                join({{0x00, 0x01, 0x00, 0x04, 0x03, static_cast<std::uint8_t>(used_location), 1}, text("A"),
                      {1, '1', 0}}))
                .data,
            (Bytes{0x00, 0x01, 0x00, 0x05, 0x03}));
}

TEST(PcRequests, TextsSplitWhereTheirSoftwareSplitsThem) {
  const HandsetState s = demo();
  // The version text: firmware, date and type on their line feeds.
  for (const Answer& a : {ask(s, 0x40, {0x00, 0x01, 0xC8, 0x01}), ask(s, 0xD1, {0x00, 0x01, 0x00, 0x03, 0x00})}) {
    const std::size_t start = a.type == 0x40 ? 5 : 4;
    Bytes version(a.data.begin() + static_cast<long>(start), a.data.end());
    if (a.type == 0x40) version.pop_back();  // its ending zero
    EXPECT_EQ(split(version, '\n'), (std::vector<std::string>{"V 05.24", "01-07-99", "NSE-3", "(c) NMP."}));
  }
  // Key assignments: ten keys, two empty texts, the symbols, each 00-ended.
  const Answer keys = ask(s, 0x0C, {0x00, 0x01, 0x00, 0x40, 0x01});
  ASSERT_EQ(keys.data.back(), 0x00);
  std::vector<std::string> texts = split(Bytes(keys.data.begin() + 4, keys.data.end() - 1), '\0');
  ASSERT_EQ(texts.size(), 13u);
  EXPECT_EQ(texts[1], "ABC2");
  EXPECT_EQ(texts[9], " 0");
  EXPECT_TRUE(texts[10].empty() && texts[11].empty());
  EXPECT_FALSE(texts[12].empty());
}

TEST(PcRequests, EachModelIdentifiesItselfToTelvane) {
  const std::map<std::string, std::string> types = {{"5110", "NSE-1"}, {"6110", "NSE-3"}, {"6150", "NSM-1"},
                                                    {"8210", "NSM-3"}, {"8810", "NSE-6"}, {"8850", "NSM-2"}};
  for (const ModelInfo& model : all_models()) {
    SCOPED_TRACE(model.model);
    const HandsetState s = demo(model.model);
    EXPECT_TRUE(luhn_valid(s.imei)) << s.imei;
    if (types.count(model.model)) {
      EXPECT_EQ(s.type_designation, types.at(model.model));
    }
    const Answer id = ask(s, 0x64, {0x00, 0x01, 0x00, 0x10});
    ASSERT_EQ(id.data.size(), 54u);
    for (std::size_t end : {24, 30, 38, 43, 49}) EXPECT_EQ(id.data[end], 0x00) << end;
    HandsetInfo info;
    store_identification(info, id.data.data(), id.data.size());
    EXPECT_EQ(info.imei, s.imei);
    EXPECT_EQ(info.model, model.model);
    EXPECT_EQ(info.type_designation, s.type_designation);
    EXPECT_EQ(info.hardware_version, "0501");
    EXPECT_EQ(info.firmware_version, "05.24");
  }
}

TEST(PcRequests, TelvaneReadsEntriesWithByteFourZero) {
  // Byte 4 is 0x00, not the memory; a date follows on the call lists.
  for (const std::uint8_t memory : {0x02, 0x07}) {
    const Answer a = ask(demo(), 0x03, {0x00, 0x01, 0x00, 0x01, memory, 0x01, 0x00});
    EntryReply reply;
    ASSERT_TRUE(parse_entry_reply(a.data, reply));
    EXPECT_EQ(reply.name, text("Mum"));
    EXPECT_EQ(reply.number, "+358401234567");
    EXPECT_EQ(reply.group, 0);
  }
}

TEST(PcRequests, SimMemoriesWaitForThePin) {
  HandsetState s = demo();
  s.waiting_for_pin = true;
  EXPECT_EQ(ask(s, 0x03, {0x00, 0x01, 0x00, 0x01, 0x03, 0x01, 0x00}).data, (Bytes{0x00, 0x01, 0x00, 0x03, 0x8D}));
  EXPECT_EQ(ask(s, 0x03, {0x00, 0x01, 0x00, 0x07, 0x03}).data, (Bytes{0x00, 0x01, 0x00, 0x09, 0x8D}));
  EXPECT_EQ(ask(s, 0x03, {0x00, 0x01, 0x00, 0x01, 0x02, 0x01, 0x00}).data[3], 0x02);  // the phone's own memory
}

}  // namespace
}  // namespace phondeck::sim
