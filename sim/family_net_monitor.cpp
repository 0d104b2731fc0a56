// Net monitor (0x40): extended commands on, then the monitor display on or
// off. The identification family answers the other service requests.
#include "sim/family_net_monitor.h"

#include "sim/handset.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

bool net_monitor(Handset& handset, const Request& request) {
  HandsetState& state = handset.state();
  NetMonitorState& monitor = state.net_monitor;
  const std::uint8_t a = request.at(2);
  const std::uint8_t b = request.at(3);
  if (a == 0x64 && b == 0x01) {
    // Extended commands on; the last byte is one some PC software seeds
    // from, any value will do.
    monitor.enabled = true;
    const std::uint8_t seed = static_cast<std::uint8_t>(state.imei.empty() ? 0x5A : state.imei.back() * 7 + 0x1D);
    handset.reply(kTypeService, Bytes{0x00, 0x01, 0x64, 0x01, 0x00, seed});
    return true;
  }
  // Before the extended commands are on, the handset ignores the monitor.
  if (a != 0x7E || !monitor.enabled) return false;
  if (b == 0xF3 || b == 0xF1) monitor.on = b == 0xF3;
  handset.reply(kTypeService, Bytes{0x00, 0x01, a, b, 0x00});
  return true;
}

void add_handlers(DispatchTable& table) { table.add(kTypeService, net_monitor); }

void save(const HandsetState& state, nlohmann::json& j) {
  j["net_monitor"] = {{"enabled", state.net_monitor.enabled}, {"on", state.net_monitor.on}};
}

void load(const nlohmann::json& j, HandsetState& state) {
  if (!j.contains("net_monitor")) return;
  const nlohmann::json& m = j.at("net_monitor");
  state.net_monitor.enabled = json_field(m, "enabled", state.net_monitor.enabled);
  state.net_monitor.on = json_field(m, "on", state.net_monitor.on);
}

}  // namespace

HandsetFamily net_monitor_family() { return {"net monitor", add_handlers, save, load}; }

}  // namespace phondeck::sim
