// Identification (0x64) and the status requests (0x04).
#include <algorithm>

#include "sim/families.h"
#include "sim/handset.h"

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
  handset.reply(0x64, std::move(p));
  return true;
}

bool status(Handset& handset, const Request& request) {
  const HandsetState& s = handset.state();
  switch (request.sub_type()) {
    case 0x01: {  // keep-alive poll: signal and battery
      Bytes p{0x00, 0x01, 0x00, 0x02, 0x01, 0, 0x00, 0x01, 0};
      p[5] = static_cast<std::uint8_t>(std::clamp(s.signal, 0, 255));
      p[8] = static_cast<std::uint8_t>(std::clamp(s.battery, 0, 255));
      handset.reply(0x04, std::move(p));
      return true;
    }
    case 0x03:  // resynchronise
      handset.reply(0x04, Bytes{0x00, 0x01, 0x00, 0x04, 0x01, 0x00});
      return true;
    default:
      return false;
  }
}

}  // namespace

void add_status_family(DispatchTable& table) {
  table.add(0x64, identification);
  table.add(0x04, status);
}

}  // namespace phondeck::sim
