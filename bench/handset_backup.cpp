// Backs up a full handset (200 phone-memory and 250 SIM entries, every
// message location used, a full calendar, every logo, the profiles and
// settings) from the virtual handset over a pseudo-terminal paced at
// 115200 bit/s into an archive, and compares the time with the wire time of
// the same bytes.
// The last line is "ratio N.NN".
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/paced_line.h"
#include "session/handset_backup.h"
#include "sim/handset_state.h"

using namespace phondeck;

namespace {

sim::HandsetState full_handset() {
  sim::HandsetState s = bench::full_phone_book(bench::full_message_memory());
  s.calendar.notes.clear();
  for (int i = 0; i < s.calendar.limit; ++i) {
    sim::CalendarNote note;
    note.type = 1 + i % 4;
    note.when = {2027, 1 + i % 12, 1 + i % 28, 8 + i % 10, (i * 7) % 60};
    if (i % 3 == 0) note.alarm = sim::NoteTime{2027, 1 + i % 12, 1 + i % 28, 7, 30};
    const std::string text = "Note " + std::to_string(i + 1);
    note.text = sim::Bytes(text.begin(), text.end());
    if (note.type == 2) note.number = sim::Bytes{'5', '5', '5', '0', '1'};
    s.calendar.notes.push_back(note);
  }
  return s;
}

}  // namespace

int main() {
  bench::PacedLine line;
  if (!line.start(full_handset())) return 1;
  const std::string path = (std::filesystem::temp_directory_path() / "phondeck-bench-backup.zip").string();
  HandsetBackup backup(line.session(), line.prompt(),
                       [&line](const std::function<bool(StartOptions)>& start) { return line.run(start); });
  BackupResult result;
  const double seconds = line.measure([&](HandsetSession&) { result = backup.backup(path, "2027-01-01T00:00:00"); });
  line.stop();
  std::filesystem::remove(path);
  if (!result.complete) {
    std::fprintf(stderr, "backup not complete: %s\n", result.stopped.c_str());
    return 1;
  }
  line.report("archive files", result.files.size() + 1, seconds);
  return 0;
}
