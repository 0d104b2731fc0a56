// Identification (0x64) and the status requests (0x04), and the identity,
// levels and network they report.
#include "sim/family_status.h"

#include <algorithm>

#include "sim/handset.h"
#include "sim/message_types.h"

namespace phondeck::sim {

namespace {

void put_text(Bytes& payload, std::size_t at, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    payload[at + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0x20;
  }
}

bool identification(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x10) return false;
  const HandsetState& s = handset.state();
  Bytes p(49, 0x00);
  p[1] = 0x01;
  p[3] = 0x11;
  p[4] = 0x01;
  put_text(p, 9, s.imei, 15);
  put_text(p, 25, s.type_designation, 5);
  put_text(p, 31, "HANDSET", 7);
  put_text(p, 39, s.hardware_version, 4);
  put_text(p, 44, s.firmware_version, 5);
  handset.reply(kTypeIdentify, std::move(p));
  return true;
}

bool status(Handset& handset, const Request& request) {
  const HandsetState& s = handset.state();
  switch (request.sub_type()) {
    case 0x01: {  // keep-alive poll: signal and battery
      Bytes p{0x00, 0x01, 0x00, 0x02, 0x01, 0, 0x00, 0x01, 0};
      p[5] = static_cast<std::uint8_t>(std::clamp(s.signal, 0, 255));
      p[8] = static_cast<std::uint8_t>(std::clamp(s.battery, 0, 255));
      handset.reply(kTypeStatus, std::move(p));
      return true;
    }
    case 0x03:  // resynchronise
      handset.reply(kTypeStatus, Bytes{0x00, 0x01, 0x00, 0x04, 0x01, 0x00});
      return true;
    default:
      return false;
  }
}

}  // namespace

namespace {

void add_handlers(DispatchTable& table) {
  table.add(kTypeIdentify, identification);
  table.add(kTypeStatus, status);
}

void save(const HandsetState& s, nlohmann::json& j) {
  j["imei"] = s.imei;
  j["type_designation"] = s.type_designation;
  j["hardware_version"] = s.hardware_version;
  j["firmware_version"] = s.firmware_version;
  j["signal"] = s.signal;
  j["battery"] = s.battery;
  j["network"] = {{"mcc", s.mcc}, {"mnc", s.mnc}, {"area", s.area}, {"cell", s.cell}};
}

void load(const nlohmann::json& j, HandsetState& s) {
  s.imei = j.value("imei", s.imei);
  s.type_designation = j.value("type_designation", s.type_designation);
  s.hardware_version = j.value("hardware_version", s.hardware_version);
  s.firmware_version = j.value("firmware_version", s.firmware_version);
  s.signal = j.value("signal", s.signal);
  s.battery = j.value("battery", s.battery);
  if (j.contains("network")) {
    const nlohmann::json& n = j.at("network");
    s.mcc = n.value("mcc", s.mcc);
    s.mnc = n.value("mnc", s.mnc);
    s.area = n.value("area", s.area);
    s.cell = n.value("cell", s.cell);
  }
}

}  // namespace

HandsetFamily status_family() { return {"status", add_handlers, save, load}; }

}  // namespace phondeck::sim
