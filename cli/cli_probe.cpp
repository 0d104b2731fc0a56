#include "cli/cli_probe.h"

#include "app/configuration.h"
#include "app/text_table.h"
#include "host/probe_loop.h"
#include "link/clock.h"

namespace phondeck::cli {

namespace {

constexpr int kTextSearching = 3128;
constexpr int kTextNoneAnswered = 3142;

const char* media_name(int media) { return media == 0 ? "infrared" : media == 1 ? "cable" : nullptr; }

}  // namespace

int probe(Context& c) {
  SystemClock clock;
  RealtimeProbeLoop loop(clock);
  ProbeOptions options;
  // On a terminal, the device being tried, redrawn in place.
  const bool shown = c.terminal.err_is_terminal && !c.inv.globals.quiet;
  if (shown) {
    options.on_start = [&c](const std::string& device) {
      c.terminal.err << "\r\x1b[K" << tx_with(kTextSearching, {device}) << std::flush;
    };
    options.on_result = [&c](const ProbeResult&) { c.terminal.err << "\r\x1b[K" << std::flush; };
  }
  HandsetProbe search(loop, options);
  const std::vector<ProbeResult> results = search.run(c.inv.operands);
  for (const ProbeResult& r : results) {
    Record row;
    row["device"] = r.device;
    row["result"] = probe_outcome_text(r.outcome);
    const char* media = media_name(r.media);
    row["media"] = media != nullptr ? Record(media) : Record(nullptr);
    row["model"] = r.model.empty() ? Record(nullptr) : Record(r.model);
    row["imei"] = r.imei.empty() ? Record(nullptr) : Record(r.imei);
    row["reason"] = r.reason.empty() ? Record(nullptr) : Record(r.reason);
    const std::string what = r.what.what();
    row["what"] = what.empty() ? Record(nullptr) : Record(what);
    row["by_id"] = r.what.by_id.empty() ? Record(nullptr) : Record(r.what.by_id.front());
    row["seconds"] = static_cast<double>(r.ms) / 1000.0;
    c.out.row(row);
  }
  c.terminal.out.flush();
  const ProbeResult* found = first_answered(results);
  if (found == nullptr) return failed(c, tx_with(kTextNoneAnswered, {std::to_string(results.size())}));
  if (c.inv.has("--save")) {
    std::string said;
    if (!save_found_device(*found, configuration_path(), said)) return failed(c, said);
    c.out.summary(said);
  }
  return kExitOk;
}

}  // namespace phondeck::cli
