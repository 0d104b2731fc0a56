// Net monitor (0x40): the enable request, then the monitor display on or off.
#include "sim/family_net_monitor.h"

#include "sim/handset.h"
#include "sim/message_types.h"

namespace phondeck::sim {

namespace {

bool net_monitor(Handset& handset, const Request& request) {
  NetMonitorState& monitor = handset.state().net_monitor;
  const std::uint8_t a = request.at(2);
  const std::uint8_t b = request.at(3);
  std::uint8_t result = 0x00;
  if (a == 0x64 && b == 0x01) {
    monitor.enabled = true;
  } else if (a == 0x7E && (b == 0xF3 || b == 0xF1) && monitor.enabled) {
    monitor.on = b == 0xF3;
  } else {
    result = 0x01;  // refused
  }
  handset.reply(kTypeNetMonitor, Bytes{0x00, 0x01, a, b, result});
  return true;
}

void add_handlers(DispatchTable& table) { table.add(kTypeNetMonitor, net_monitor); }

void save(const HandsetState& state, nlohmann::json& j) {
  j["net_monitor"] = {{"enabled", state.net_monitor.enabled}, {"on", state.net_monitor.on}};
}

void load(const nlohmann::json& j, HandsetState& state) {
  if (!j.contains("net_monitor")) return;
  const nlohmann::json& m = j.at("net_monitor");
  state.net_monitor.enabled = m.value("enabled", state.net_monitor.enabled);
  state.net_monitor.on = m.value("on", state.net_monitor.on);
}

}  // namespace

HandsetFamily net_monitor_family() { return {"net monitor", add_handlers, save, load}; }

}  // namespace phondeck::sim
