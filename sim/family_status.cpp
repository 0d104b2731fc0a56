// The status requests (0x04), and the levels and network they report.
#include "sim/family_status.h"

#include <algorithm>

#include "sim/handset.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

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
  table.add(kTypeStatus, status);
}

void save(const HandsetState& s, nlohmann::json& j) {
  j["signal"] = s.signal;
  j["battery"] = s.battery;
  j["network"] = {{"mcc", s.mcc}, {"mnc", s.mnc}, {"area", s.area}, {"cell", s.cell}};
}

void load(const nlohmann::json& j, HandsetState& s) {
  s.signal = json_field(j, "signal", s.signal);
  s.battery = json_field(j, "battery", s.battery);
  if (j.contains("network")) {
    const nlohmann::json& n = j.at("network");
    s.mcc = json_field(n, "mcc", s.mcc);
    s.mnc = json_field(n, "mnc", s.mnc);
    s.area = json_field(n, "area", s.area);
    s.cell = json_field(n, "cell", s.cell);
  }
}

}  // namespace

HandsetFamily status_family() { return {"status", add_handlers, save, load}; }

}  // namespace phondeck::sim
