// Reads a full phone book (phone memory 200 and SIM 250 entries, every
// location used) from the virtual handset over a pseudo-terminal paced at
// 115200 bit/s, and compares the time with the wire time of the same bytes.
// The last line is "ratio N.NN".
#include <cstdio>
#include <string>

#include "bench/paced_line.h"
#include "sim/handset_state.h"

using namespace phondeck;

int main() {
  bench::PacedLine line;
  if (!line.start(bench::full_phone_book(sim::HandsetState::demo(*sim::find_model("6110"))))) return 1;
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
