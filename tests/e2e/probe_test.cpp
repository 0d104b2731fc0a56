// The search for the handset over pseudo-terminals on scaled time: a
// handset on the cable, one on infrared, a silent line, one held by another
// process, one locked by a live process's lock file, one the user may not
// open, /dev/null and a device that is gone; exactly the two handsets answer.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "host/probe_loop.h"
#include "e2e_rig.h"
#include "session/handset_probe.h"
#include "sim/handset_codec.h"
#include "sim/pty_handset.h"
#include "support/holder_process.h"
#include "serial/test_support.h"

namespace phondeck::e2e {
namespace {

namespace fs = std::filesystem;

TEST(HandsetProbe, FindsExactlyTheHandsetsThatAnswer) {
  fresh_settings();
  // Three seconds of link time pass in a tenth of that.
  sim::ScaledClock clock(10.0);
  sim::HandsetOptions infrared;
  infrared.frame_id = sim::kInfraredFrameId;
  sim::PtyHandset cable(clock, demo_state("6110"));
  sim::PtyHandset adapter(clock, demo_state("8210"), infrared);
  sim::PtyHandset held(clock, demo_state("6110"));
  sim::PtyHandset locked(clock, demo_state("6110"));
  std::string error;
  for (sim::PtyHandset* h : {&cable, &adapter, &held, &locked}) ASSERT_TRUE(h->start(error)) << error;
  testing::PtyPair silent, forbidden;
  ASSERT_EQ(::chmod(forbidden.path.c_str(), 0), 0);

  char folder[] = "/tmp/phondeck-probe-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  ProbeOptions options;
  options.roots.lock_dirs = {folder};
  // The mode bits apply even to a superuser running the tests.
  options.identity = current_identity();
  options.identity->mode_bits_apply = true;
  testing::HolderProcess holder(held.path(), "minicom", true);
  ASSERT_GT(holder.pid, 0);
  std::ofstream(fs::path(folder) / lock_file_name(locked.path())) << "      " << holder.pid << "\n";

  RealtimeProbeLoop loop(clock);
  std::vector<std::string> started;
  options.on_start = [&](const std::string& device) { started.push_back(device); };
  HandsetProbe probe(loop, options);
  const std::vector<std::string> devices = {cable.path(),     adapter.path(),   silent.path, held.path(),
                                            locked.path(),    forbidden.path,   "/dev/null", "/dev/phondeck-gone"};
  const std::int64_t start = clock.now_ms();
  const std::vector<ProbeResult> results = probe.run(devices);
  const std::int64_t took = clock.now_ms() - start;
  ASSERT_EQ(results.size(), devices.size());
  EXPECT_EQ(started, devices);

  const std::string by_holder = "(pid " + std::to_string(holder.pid) + ")";
  struct Want {
    ProbeOutcome outcome;
    int media;
    const char* model;
    std::string reason;  // found in the reason
  };
  const std::vector<Want> wanted = {
      {ProbeOutcome::Answered, 1, "6110", ""},
      {ProbeOutcome::Answered, 0, "8210", ""},
      {ProbeOutcome::Silent, -1, "", ""},
      {ProbeOutcome::Busy, -1, "", "by minicom " + by_holder},
      {ProbeOutcome::Busy, -1, "", "locked by minicom " + by_holder},
      {ProbeOutcome::NotPermitted, -1, "", "(mode 0000)"},
      {ProbeOutcome::NotSerial, -1, "", ""},
      {ProbeOutcome::Gone, -1, "", ""},
  };
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    const ProbeResult& r = results[i];
    EXPECT_EQ(r.device, devices[i]);
    EXPECT_EQ(r.outcome, wanted[i].outcome) << devices[i] << ": " << probe_outcome_text(r.outcome) << " " << r.reason;
    EXPECT_EQ(r.media, wanted[i].media) << devices[i];
    EXPECT_EQ(r.model, wanted[i].model) << devices[i];
    EXPECT_NE(r.reason.find(wanted[i].reason), std::string::npos) << devices[i] << ": " << r.reason;
  }
  EXPECT_EQ(results[0].imei, cable.with_handset([](sim::Handset& h) { return h.state().imei; }));
  EXPECT_EQ(probe_detail_text(results[1]), "8210, IMEI " + results[1].imei + ", InfraRed");
  EXPECT_EQ(first_answered(results), &results[0]);
  // The handsets that answered were left alone: nothing holds them, no lock
  // of ours is left behind, the other program's lock stays.
  EXPECT_FALSE(fs::exists(fs::path(folder) / lock_file_name(cable.path())));
  EXPECT_TRUE(fs::exists(fs::path(folder) / lock_file_name(locked.path())));
  RecordProperty("probe_link_ms", static_cast<int>(took));
  std::cout << "probe over " << devices.size() << " devices: " << took << " ms of link time\n";
  for (const ProbeResult& r : results) std::cout << "  " << r.device << " " << probe_outcome_text(r.outcome) << " " << r.ms << " ms\n";

  for (sim::PtyHandset* h : {&cable, &adapter, &held, &locked}) h->stop();
  fs::remove_all(folder);
}

}  // namespace
}  // namespace phondeck::e2e
