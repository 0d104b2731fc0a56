// Models, demo contents, the identification and memory-status answers, and
// the state file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "pc_side.h"
#include "sim/handset.h"
#include "sim/handset_state.h"
#include "sim/models.h"

namespace phondeck::sim {
namespace {

using namespace testing;

// Sends one request to an awake handset of the model and returns its reply.
SeenFrame ask(const char* model, std::uint8_t type, const Bytes& payload) {
  FakeClock clock{1000};
  RecordingLine line;
  Handset handset(clock, HandsetState::demo(*find_model(model)), {.need_wake = false});
  handset.attach(&line);
  const Bytes request = pc_request(type, payload, 0x42);
  handset.receive(request.data(), request.size());
  for (const SeenFrame& f : line.frames()) {
    if (f.type != 0x7F) return f;
  }
  return {0, {}, false};
}

TEST(HandsetModels, EveryModelIsFoundByItsImeiStart) {
  ASSERT_EQ(all_models().size(), 8u);
  for (const ModelInfo& info : all_models()) {
    const std::string imei = make_imei(info, '2', 1234567);
    ASSERT_EQ(imei.size(), 15u);
    EXPECT_EQ(imei.substr(0, 6), info.imei_start);
    EXPECT_EQ(imei[6], '2');  // character 7: where it was assembled
    // Every IMEI the handset reports passes the Luhn check of its last digit.
    for (const std::string& id : {imei, HandsetState::demo(info).imei}) {
      int sum = 0;
      for (std::size_t k = 0; k < id.size(); ++k) {
        const int d = (id[id.size() - 1 - k] - '0') * (k % 2 == 1 ? 2 : 1);
        sum += d > 9 ? d - 9 : d;
      }
      EXPECT_EQ(sum % 10, 0) << id;
    }
    ASSERT_NE(model_for_imei(imei), nullptr) << info.model;
    EXPECT_STREQ(model_for_imei(imei)->model, info.model);
    EXPECT_EQ(info.phone_memory, info.model[0] != '5');
    EXPECT_EQ(info.name_limit, std::string(info.imei_start).rfind("44", 0) == 0 ||
                                       std::string(info.model) == "6150"
                                   ? 20
                                   : 16);
  }
  EXPECT_EQ(HandsetState::demo(*find_model("6110")).imei, "490518100004710");
  EXPECT_STREQ(model_for_imei("493006000000000")->model, "6150");
  EXPECT_STREQ(model_for_imei("490526000000000")->model, "6110");
  EXPECT_EQ(model_for_imei("350000000000000"), nullptr);
  EXPECT_EQ(model_for_imei("4905"), nullptr);
  EXPECT_EQ(find_model("3310"), nullptr);
}

TEST(HandsetModels, IdentificationReplyCarriesTheFieldsAtTheirBytes) {
  for (const ModelInfo& info : all_models()) {
    const HandsetState state = HandsetState::demo(info);
    const SeenFrame reply = ask(info.model, 0x64, {0x00, 0x01, 0x00, 0x10});
    ASSERT_EQ(reply.type, 0x64) << info.model;
    ASSERT_GE(reply.data.size(), 49u);
    const std::string text(reply.data.begin(), reply.data.end());
    EXPECT_EQ(text.substr(9, 15), state.imei);
    EXPECT_EQ(text.substr(25, 5), info.type_designation);
    EXPECT_EQ(text.substr(39, 4), state.hardware_version);
    EXPECT_EQ(text.substr(44, 5), state.firmware_version);
    EXPECT_STREQ(model_for_imei(text.substr(9, 15))->model, info.model);
  }
}

TEST(HandsetModels, MemoryStatusFollowsTheContents) {
  const SeenFrame phone = ask("6110", 0x03, {0x00, 0x01, 0x00, 0x07, 0x02});
  ASSERT_EQ(phone.data.size(), 9u);
  EXPECT_EQ(phone.data[3], 0x08);
  EXPECT_EQ(phone.data[5], 192);  // free
  EXPECT_EQ(phone.data[6], 8);    // used
  const SeenFrame sim = ask("6110", 0x03, {0x00, 0x01, 0x00, 0x07, 0x03});
  EXPECT_EQ(sim.data[5], 96);
  EXPECT_EQ(sim.data[6], 4);
  // A model without phone memory keeps the whole book on the SIM and
  // answers a phone-memory question with an error.
  EXPECT_EQ(ask("5110", 0x03, {0x00, 0x01, 0x00, 0x07, 0x02}).data[3], 0x09);
  EXPECT_EQ(ask("5110", 0x03, {0x00, 0x01, 0x00, 0x07, 0x03}).data[6], 12);
  // Requests nobody handles get their acknowledgement and no reply.
  EXPECT_EQ(ask("6110", 0x03, {0x00, 0x01, 0x00, 0x55}).type, 0);
  EXPECT_EQ(ask("6110", 0x33, {0x00, 0x01, 0x00, 0x01}).type, 0);
}

TEST(HandsetContents, DemoHasADozenEntriesOneOfThemUcs2) {
  const HandsetState s = HandsetState::demo(*find_model("6110"));
  EXPECT_EQ(s.phone.used() + s.sim.used(), 12);
  EXPECT_GT(s.phone.used(), 0);
  EXPECT_GT(s.sim.used(), 0);
  int ucs2 = 0;
  for (const Memory* m : {&s.phone, &s.sim}) {
    for (const PhoneBookSlot& slot : m->entries) {
      EXPECT_LE(slot.location, m->capacity);
      ucs2 += slot.name.size() > 2 && slot.name[0] == 0x04 && slot.name[1] == 0xFF;
    }
  }
  EXPECT_EQ(ucs2, 1);
  EXPECT_EQ(s.phone.at(8), nullptr);  // a gap: an empty location
  ASSERT_NE(s.phone.at(9), nullptr);
  for (const PhoneBookSlot& slot : s.sim.entries) EXPECT_LE(slot.name.size(), 12u);
}

TEST(HandsetContents, JsonRoundTripKeepsBytesAndForeignKeys) {
  HandsetState s = HandsetState::demo(*find_model("8210"));
  s.battery = 1;
  s.phone.put({12, Bytes{'A', 0x00, 0x7F}, "123", 2});
  s.extra["accessories"] = {{"headsets", 3}};
  s.net_monitor = {true, true};
  const nlohmann::json j = s.to_json();
  EXPECT_TRUE(j["phonebook"]["sim"]["entries"][0].contains("name"));
  const HandsetState back = HandsetState::from_json(j);
  EXPECT_EQ(back.to_json(), j);
  ASSERT_NE(back.phone.at(12), nullptr);
  EXPECT_EQ(back.phone.at(12)->name, (Bytes{'A', 0x00, 0x7F}));
  EXPECT_EQ(back.extra, (nlohmann::json{{"accessories", {{"headsets", 3}}}}));  // only what no family keeps
  EXPECT_TRUE(back.net_monitor.enabled && back.net_monitor.on);
  EXPECT_EQ(back.battery, 1);
  // Missing keys come from the model's demo.
  const HandsetState sparse = HandsetState::from_json({{"model", "5130"}});
  EXPECT_EQ(sparse.phone.capacity, 0);
  EXPECT_STREQ(model_for_imei(sparse.imei)->model, "5130");
}

TEST(HandsetContents, MalformedStateIsRefused) {
  using nlohmann::json;
  EXPECT_THROW(HandsetState::from_json(json::array()), std::exception);
  EXPECT_THROW(HandsetState::from_json({{"model", "9999"}}), std::exception);
  json j = HandsetState::demo(*find_model("6110")).to_json();
  j["phonebook"]["sim"]["entries"][0]["location"] = 500;
  EXPECT_THROW(HandsetState::from_json(j), std::exception);
  j = HandsetState::demo(*find_model("6110")).to_json();
  j["phonebook"]["sim"]["entries"][0].erase("name");
  j["phonebook"]["sim"]["entries"][0]["name_hex"] = "0G";
  EXPECT_THROW(HandsetState::from_json(j), std::exception);
  // Numbers that do not fit their field, and a memory shrunk below the
  // demo entries it keeps, are refused rather than truncated or kept.
  for (const json& bad : {json{{"network", {{"cell", 6.69e92}}}}, json{{"network", {{"cell", 2.5}}}},
                          json{{"network", {{"area", 4294967296}}}}, json{{"signal", -9223372036854775807LL}},
                          json{{"phonebook", {{"sim", {{"capacity", 1}}}}}}, json{{"sms", {{"capacity", 1}}}}}) {
    EXPECT_THROW(HandsetState::from_json(bad), std::exception) << bad.dump();
  }
}

TEST(HandsetContents, SavesAndLoadsAFile) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("handset-state-" + std::to_string(::getpid()) + ".json")).string();
  HandsetState s = HandsetState::demo(*find_model("6150"));
  s.sim.put({7, Bytes{0x04, 0xFF, 0x00, 0x41}, "+1", 1});
  std::string error;
  ASSERT_TRUE(s.save(path, error)) << error;
  const auto loaded = HandsetState::load(path, error);
  ASSERT_TRUE(loaded.has_value()) << error;
  EXPECT_EQ(loaded->to_json(), s.to_json());
  {
    std::ofstream broken(path);
    broken << "{ not json";
  }
  EXPECT_FALSE(HandsetState::load(path, error).has_value());
  EXPECT_NE(error.find(path), std::string::npos);
  std::remove(path.c_str());
  EXPECT_FALSE(HandsetState::load(path, error).has_value());
  EXPECT_FALSE(s.save("/nonexistent-dir/x.json", error));
}

}  // namespace
}  // namespace phondeck::sim
