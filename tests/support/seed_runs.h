#pragma once
// Runs one scenario under each kind of line fault for many seeds and tallies
// how the runs ended. The scenario builds its own rig from the faults it is
// given and judges its own run; a run judged wrong is kept with its reason.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "link/operation_result.h"
#include "sim/faults.h"

namespace phondeck::testing {

struct FaultKind {
  std::string name;
  sim::FaultOptions faults;
};

// Loss of 10 % and 20 % both ways, corruption, duplicates, stray bytes,
// replies held past the PC's retransmission time, all of them at once, and a
// noisy line that flips, loses and inserts single bytes and sends bursts.
inline std::vector<FaultKind> line_fault_kinds() {
  std::vector<FaultKind> kinds;
  auto add = [&kinds](const char* name, auto set) {
    sim::FaultOptions faults;
    set(faults);
    kinds.push_back({name, faults});
  };
  add("loss 10 %", [](sim::FaultOptions& f) { f.drop_in = f.drop_out = 0.10; });
  add("loss 20 %", [](sim::FaultOptions& f) { f.drop_in = f.drop_out = 0.20; });
  add("corruption 10 %", [](sim::FaultOptions& f) { f.corrupt = 0.10; });
  add("duplicates 20 %", [](sim::FaultOptions& f) { f.duplicate = 0.20; });
  add("stray bytes 20 %", [](sim::FaultOptions& f) { f.stray = 0.20; });
  // Up to 9 s: past the retransmissions (4 s, 6 s) and the fresh send (8 s).
  add("delays to 9 s", [](sim::FaultOptions& f) { f.delay_ms = 9000; });
  add("all combined", [](sim::FaultOptions& f) {
    f.drop_in = f.drop_out = 0.10;
    f.corrupt = 0.05;
    f.duplicate = 0.05;
    f.stray = 0.10;
    f.delay_ms = 3000;
  });
  add("byte noise", [](sim::FaultOptions& f) {
    f.noise = 0.005;
    f.burst = 0.001;
  });
  return kinds;
}

enum class RunEnd { Completed, Reset, NoConnect, Wrong };

struct RunResult {
  RunEnd end = RunEnd::Completed;
  std::string why;  // for a wrong run
};

struct SeedTally {
  std::string kind;
  int completed = 0;
  int reset = 0;
  int no_connect = 0;
  int wrong = 0;
  // Wrong runs in which the line's noise changed a frame that still passed
  // both checksums: no check of the protocol could catch it, so it is told
  // apart and not counted wrong.
  int unseen = 0;
  std::string first_wrong;  // seed and reason of the first wrong run
};

// A run judged from what its operation reported: done while the handset (or
// the file) holds what it should is completed, done while it does not is
// wrong (`wrong_why`), a lost link is a reset, a refusal (the connect did not
// come up) is no connect; a run told no result, or told a failure, is wrong.
// `claims` checks what a result says it did against what was done (false:
// the result claims more than happened; its reason in `claim_why`).
inline RunResult judge(const std::optional<OperationResult>& result, bool right, const std::string& wrong_why,
                       bool claims = true, const std::string& claim_why = "the result claims more than was done") {
  if (!result) return {RunEnd::Wrong, "no result was told"};
  if (!claims) return {RunEnd::Wrong, claim_why + " (" + describe(*result) + ")"};
  switch (result->ending) {
    case Ending::Done:
      if (right) return {RunEnd::Completed, {}};
      return {RunEnd::Wrong, wrong_why + " though the result was " + describe(*result)};
    case Ending::LinkLost: return {RunEnd::Reset, {}};
    case Ending::Refused: return {RunEnd::NoConnect, {}};
    case Ending::Failed: break;
  }
  return {RunEnd::Wrong, describe(*result)};
}

// run(faults) -> RunResult, once per seed 1..seeds.
template <typename Run>
SeedTally run_seeds(const FaultKind& kind, std::uint32_t seeds, Run run) {
  SeedTally tally;
  tally.kind = kind.name;
  for (std::uint32_t seed = 1; seed <= seeds; ++seed) {
    sim::FaultOptions faults = kind.faults;
    faults.seed = seed;
    const long unseen_before = sim::frames_past_the_checksums();
    const RunResult result = run(faults);
    if (result.end == RunEnd::Wrong && sim::frames_past_the_checksums() != unseen_before) {
      ++tally.unseen;
      continue;
    }
    switch (result.end) {
      case RunEnd::Completed: ++tally.completed; break;
      case RunEnd::Reset: ++tally.reset; break;
      case RunEnd::NoConnect: ++tally.no_connect; break;
      case RunEnd::Wrong:
        if (tally.wrong++ == 0) tally.first_wrong = "seed " + std::to_string(seed) + ": " + result.why;
        break;
    }
  }
  return tally;
}

// One row of the fault table on standard output; the header comes before
// the first row a test program prints.
inline void print_tally(const std::string& what, const SeedTally& t) {
  static bool header = false;
  if (!header) {
    header = true;
    std::printf("[ faults   ] %-36s %-18s %9s %7s %10s %6s %s\n", "run", "fault", "completed", "reset", "no connect",
                "wrong", "past the checksums");
  }
  std::printf("[ faults   ] %-36s %-18s %9d %7d %10d %6d %d\n", what.c_str(), t.kind.c_str(), t.completed, t.reset,
              t.no_connect, t.wrong, t.unseen);
  std::fflush(stdout);
}

}  // namespace phondeck::testing
