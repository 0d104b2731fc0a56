// Reads a full phone book (phone memory 200 and SIM 250 entries, every
// location used) from the virtual handset over a pseudo-terminal paced at
// 115200 bit/s, and compares the time with the wire time of the same bytes.
// The last line is "ratio N.NN".
#include <cstdio>
#include <string>

#include "bench/paced_line.h"
#include "sim/handset_state.h"

namespace {

using namespace phondeck;

sim::HandsetState full_phone_book() {
  sim::HandsetState s = sim::HandsetState::demo(*sim::find_model("6110"));
  s.phone = sim::Memory{};
  s.sim = sim::Memory{};
  s.phone.capacity = 200;
  s.sim.capacity = 250;
  for (int i = 1; i <= 200; ++i) {
    const std::string name = "Phone entry " + std::to_string(i);
    s.phone.put({i, sim::Bytes(name.begin(), name.end()), "+35840" + std::to_string(1000000 + i), i % 6});
  }
  for (int i = 1; i <= 250; ++i) {
    const std::string name = "SIM " + std::to_string(i);
    s.sim.put({i, sim::Bytes(name.begin(), name.end()), "09" + std::to_string(5000000 + i), 0});
  }
  return s;
}

}  // namespace

int main() {
  bench::PacedLine line;
  if (!line.start(full_phone_book())) return 1;
  const double seconds = line.time([](HandsetSession& session) { session.commands().read_phone_book(); });
  const std::size_t entries = line.session().book().active().size();
  line.stop();
  if (entries != 450) {
    std::fprintf(stderr, "read %zu entries instead of 450\n", entries);
    return 1;
  }
  line.report("entries", entries, seconds);
  return 0;
}
