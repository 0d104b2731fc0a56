// Writes a full phone book (phone memory 200 and SIM 250 entries, each at
// its position) with Write All into the virtual handset over a
// pseudo-terminal paced at 115200 bit/s, replacing what it held, and
// compares the time with the wire time of the same bytes.
// The last line is "ratio N.NN".
#include <cstdio>
#include <string>

#include "bench/paced_line.h"
#include "link/phonebook_family.h"
#include "phonebook/value_tables.h"
#include "sim/handset_state.h"

namespace {

using namespace phondeck;

// Memories of 200 and 250 locations, every one used by an older entry.
sim::HandsetState old_phone_book() {
  sim::HandsetState s = sim::HandsetState::demo(*sim::find_model("6110"));
  s.phone = sim::Memory{};
  s.sim = sim::Memory{};
  s.phone.capacity = 200;
  s.sim.capacity = 250;
  for (int i = 1; i <= 200; ++i) s.phone.put({i, sim::Bytes{'O', 'l', 'd'}, std::to_string(i), 0});
  for (int i = 1; i <= 250; ++i) s.sim.put({i, sim::Bytes{'O', 'l', 'd'}, std::to_string(i), 0});
  return s;
}

PhoneBookEntry entry(const std::string& name, const std::string& phone, const char* type, int pos, int group) {
  PhoneBookEntry e;
  e.Name = name;
  e.Phone = phone;
  e.Type = type_text(type[0] == 'S' ? kMemorySim : kMemoryPhone);
  e.Pos = std::to_string(pos);
  e.Group = group_text(group);
  e.WriteAs = write_as_text(1);  // Name
  return e;
}

}  // namespace

int main() {
  bench::PacedLine line;
  if (!line.start(old_phone_book())) return 1;
  PhoneBookList& list = line.session().book().active();
  for (int i = 1; i <= 200; ++i) {
    list.append(entry("Phone entry " + std::to_string(i), "+35840" + std::to_string(1000000 + i), "Phone", i, i % 6));
  }
  for (int i = 1; i <= 250; ++i) list.append(entry("SIM " + std::to_string(i), "09" + std::to_string(5000000 + i), "SIM", i, 0));
  const double seconds = line.time([](HandsetSession& session) {
    start_write_all(session.engine(), session.book().active(), /*replace=*/true);
  });
  const bool all = line.handset().with_handset([](sim::Handset& handset) {
    const sim::HandsetState& held = handset.state();
    return held.phone.used() == 200 && held.sim.used() == 250 && held.phone.at(200) != nullptr &&
           held.phone.at(200)->number == "+358401000200" && held.sim.at(250) != nullptr &&
           held.sim.at(250)->number == "095000250";
  });
  line.stop();
  if (!all) {
    std::fprintf(stderr, "the handset does not hold the 450 entries written\n");
    return 1;
  }
  line.report("entries", 450, seconds);
  return 0;
}
