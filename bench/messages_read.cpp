// Reads a full message memory (the demo handset's 50 locations, every one
// used, a third of the messages longer than one frame) from the virtual
// handset over a pseudo-terminal paced at 115200 bit/s, and compares the time
// with the wire time of the same bytes.
// The last line is "ratio N.NN".
#include <cstdio>
#include <string>

#include "bench/paced_line.h"
#include "organiser/message_family.h"
#include "sim/handset_state.h"

namespace {

using namespace phondeck;

sim::HandsetState full_message_memory() {
  sim::HandsetState s = sim::HandsetState::demo(*sim::find_model("6110"));
  sim::SmsMemory& m = s.sms;
  m.messages.clear();
  const std::string long_text(160, 'x');
  for (int i = 1; i <= m.capacity; ++i) {
    const int status = i % 4 == 0 ? 5 : i % 2 == 0 ? 3 : 1;
    sim::SmsSlot slot = sim::sms_slot(i, status, "+35840" + std::to_string(1000000 + i),
                                      i % 3 == 0 ? long_text : "Message number " + std::to_string(i));
    slot.smsc = m.smsc;
    if (status != 5) slot.stamp = {0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x00};
    m.put(std::move(slot));
  }
  return s;
}

}  // namespace

int main() {
  bench::PacedLine line;
  if (!line.start(full_message_memory())) return 1;
  MessageFamily& family = line.session().organiser().message_family();
  const double seconds =
      line.time([&family](HandsetSession& session) { start_message_read(session.engine(), family); });
  const std::size_t entries = family.records().store.size();
  const std::size_t expected =
      static_cast<std::size_t>(line.handset().with_handset([](sim::Handset& h) { return h.state().sms.capacity; }));
  line.stop();
  if (entries != expected) {
    std::fprintf(stderr, "read %zu messages instead of %zu\n", entries, expected);
    return 1;
  }
  line.report("messages", entries, seconds);
  return 0;
}
