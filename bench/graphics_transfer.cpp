// Reads the five caller groups, then reads and writes the startup graphic
// of the virtual handset over a pseudo-terminal paced at 115200 bit/s, and
// compares each time with the wire time of the same bytes. Each report ends
// with "ratio N.NN".
#include <cstdio>

#include "bench/paced_line.h"
#include "media/graphics_messages.h"

int main() {
  using namespace phondeck;
  bench::PacedLine line;
  if (!line.start(sim::HandsetState::demo(*sim::find_model("6110")))) return 1;
  MediaFamilies& media = line.session().media();
  int failures = 0;
  auto check = [&failures](bool ok, const char* what) {
    if (!ok) {
      std::fprintf(stderr, "%s failed\n", what);
      ++failures;
    }
  };

  int groups_read = 0;
  media.graphics_records().listeners.add([&groups_read](GraphicsEvent e) { groups_read += e == GraphicsEvent::GroupsRead; });
  double seconds = line.time([&](HandsetSession& s) { start_group_read(s.engine(), media.graphics(), GroupReadPurpose::Graphics); });
  check(groups_read == 1, "group read");
  line.report("caller groups read", kCallerGroups, seconds);

  seconds = line.time([&](HandsetSession& s) { start_startup_read(s.engine(), media.startup_graphic()); });
  check(media.graphics_records().startup_read, "startup read");
  line.report("startup graphic bytes read", kStartupBytes, seconds);

  MonoBitmap edited = media.graphics_records().startup;
  for (int x = 0; x < kStartupWidth; ++x) edited.set(x, x % kStartupHeight, !edited.get(x, x % kStartupHeight));
  seconds = line.time([&](HandsetSession& s) { start_startup_write(s.engine(), media.startup_graphic(), edited); });
  const sim::Bytes held = line.handset().with_handset([](sim::Handset& h) { return h.state().graphics.startup; });
  check(held == packBands(edited), "startup write");
  line.report("startup graphic bytes written", kStartupBytes, seconds);
  line.stop();
  return failures == 0 ? 0 : 1;
}
