// What the link log costs a bulk transfer: the full phone book (450 entries)
// read from the virtual handset over a pseudo-terminal paced at 115200
// bit/s, three times in one run: with nothing listening on the link at all,
// with the log keeping its ring as it always does, and with every line
// written to a file as `phondeck --log` does. Each report against the wire
// time of its bytes ends with "ratio N.NN".
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/paced_line.h"
#include "sim/handset_state.h"

using namespace phondeck;

int main() {
  bench::PacedLine line;
  if (!line.start(bench::full_phone_book(sim::HandsetState::demo(*sim::find_model("6110"))))) return 1;
  FrameLayer& frames = line.session().link().frames();
  LinkLog& log = line.session().link().log();
  auto read = [&](const char* what) {
    line.session().book().active().clear();
    const double seconds = line.time([](HandsetSession& session) { session.commands().read_phone_book(); });
    std::printf("-- %s\n", what);
    line.report("entries", line.session().book().active().size(), seconds);
  };

  frames.set_tap(nullptr);
  read("nothing listening on the link");
  frames.set_tap(&log);
  read("the log keeping its ring");
  const std::string path = (std::filesystem::temp_directory_path() / "phondeck-bench-link.log").string();
  {
    LinkLogFile file(path);
    file.follow(log);
    read("every line to a file (--log)");
  }
  std::printf("log file %ju bytes\n", static_cast<std::uintmax_t>(std::filesystem::file_size(path)));
  std::filesystem::remove(path);
  line.stop();
  return 0;
}
