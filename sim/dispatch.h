#pragma once
// The handset's message handlers, looked up by message type. Each family of
// messages adds its handlers in its own file (see families.h).
#include <array>
#include <cstdint>
#include <vector>

#include "sim/handset_codec.h"

namespace phondeck::sim {

class Handset;

// A complete message from the PC (all its frames joined), without the
// frames-remaining and sequence bytes.
struct Request {
  std::uint8_t type = 0;
  Bytes payload;
  // Data byte 3, which most messages switch on (0 when there is none).
  std::uint8_t sub_type() const { return payload.size() > 3 ? payload[3] : 0; }
  std::uint8_t at(std::size_t k) const { return k < payload.size() ? payload[k] : 0; }
};

// Returns true when it handled the message (usually by calling
// Handset::reply); false passes it to the next handler of the type.
using Handler = bool (*)(Handset& handset, const Request& request);

class DispatchTable {
 public:
  void add(std::uint8_t type, Handler handler) { handlers_[type].push_back(handler); }
  bool dispatch(Handset& handset, const Request& request) const {
    for (Handler handler : handlers_[request.type]) {
      if (handler(handset, request)) return true;
    }
    return false;
  }

 private:
  std::array<std::vector<Handler>, 256> handlers_{};
};

}  // namespace phondeck::sim
