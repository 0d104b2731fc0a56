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

using namespace phondeck;

int main() {
  bench::PacedLine line;
  if (!line.start(bench::full_message_memory())) return 1;
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
