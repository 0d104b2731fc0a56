// Net monitor (0x40): the enable request, then the monitor display on or off.
// The handset keeps the switch in its state as "net_monitor".
#include "sim/entry_families.h"
#include "sim/handset.h"

namespace phondeck::sim {

namespace {

bool net_monitor(Handset& handset, const Request& request) {
  nlohmann::json& extra = handset.state().extra;
  if (!extra.is_object()) extra = nlohmann::json::object();
  nlohmann::json& monitor = extra["net_monitor"];
  if (!monitor.is_object()) monitor = {{"enabled", false}, {"on", false}};
  const std::uint8_t a = request.at(2);
  const std::uint8_t b = request.at(3);
  std::uint8_t result = 0x00;
  if (a == 0x64 && b == 0x01) {
    monitor["enabled"] = true;
  } else if (a == 0x7E && (b == 0xF3 || b == 0xF1) && monitor.value("enabled", false)) {
    monitor["on"] = b == 0xF3;
  } else {
    result = 0x01;  // refused
  }
  handset.reply(0x40, Bytes{0x00, 0x01, a, b, result});
  return true;
}

}  // namespace

void add_net_monitor_family(DispatchTable& table) { table.add(0x40, net_monitor); }

}  // namespace phondeck::sim
