// Profiles against the virtual handset: the read's 77 exchanges, names and
// values; Write of changed features compared with the handset's state; a
// refused feature; Activate's key sequence; the model check; and read and
// write runs under every line fault.
#include <gtest/gtest.h>

#include <iostream>

#include "e2e_rig.h"
#include "organiser/profile_family.h"
#include "organiser/profiles_window.h"
#include "support/seed_runs.h"
#include "told_result.h"

namespace phondeck::e2e {
namespace {

ProfileFamily& profiles(Rig& rig) { return rig.session.organiser().profile_family(); }

int profile_requests(Rig& rig, std::uint8_t sub) {
  int n = 0;
  for (const PcFrame& f : pc_frames(rig.line->writes)) {
    if (f.type == 0x05 && f.data.size() > 3 && f.data[3] == sub) ++n;
  }
  return n;
}

std::string window_cell(Rig& rig, int profile, int setting) {
  ProfilesWindowLogic window(profiles(rig), rig.engine(), rig.prompt);
  return window.cell_text(profile, setting);
}

TEST(Profiles, ReadWriteAndActivateAgainstTheHandset) {
  fresh_settings();
  Rig rig;
  ASSERT_TRUE(rig.connect());
  ProfileSet& set = profiles(rig).profiles();
  set[1].settings[kCallAlert] = 0;  // replaced by the read
  // A ringing tone no option names: shown by its number, kept on a write.
  rig.handset.state().settings.profiles[0][profile_feature_code(kRingingTone)] = 0x47;

  rig.run([&] { start_profile_read(rig.engine()); });
  EXPECT_EQ(profile_requests(rig, 0x1A) + profile_requests(rig, 0x13), 77);
  EXPECT_EQ(rig.observer.highest, 77);
  EXPECT_EQ(rig.observer.last_status(), "Read Profiles (Completed)");
  EXPECT_EQ(set.shown_name(0), "General");  // empty on the handset
  EXPECT_EQ(set.shown_name(5), "\xe8\xbd\xa6\xe8\xbd\xbd");  // UCS-2 on the handset
  EXPECT_EQ(set.shown_name(2), "Meeting");
  EXPECT_EQ(window_cell(rig, 0, kRingingTone), "71");
  // Warning tones On as a handset sends it, 0x04.
  EXPECT_EQ(rig.handset.state().settings.profiles[0][static_cast<std::size_t>(profile_feature_code(kWarningTones))], 0x04);
  EXPECT_EQ(window_cell(rig, 0, kWarningTones), "On");
  EXPECT_EQ(window_cell(rig, 1, kWarningTones), "Off");
  const sim::SettingsState& handset = rig.handset.state().settings;
  for (int p = 0; p < kProfileCount; ++p) {
    for (int s = 0; s < kProfileSettings; ++s) {
      const std::uint8_t value = handset.profiles[static_cast<std::size_t>(p)][static_cast<std::size_t>(profile_feature_code(s))];
      EXPECT_EQ(set[p].settings[static_cast<std::size_t>(s)], profile_value_to_index(s, value)) << p << " " << s;
    }
  }

  // Two changed features go out, nothing else; the handset holds them after.
  set[0].settings[kRingingVolume] = 4;                     // Level 5
  set[3].settings[kCallAlert] = kCallAlertCallerGroups;
  set[3].groups = {true, false, true, false, false};       // a third change: the groups
  set[0].settings[kWarningTones] = 1;                      // Off, and back to On: unchanged
  set[0].settings[kWarningTones] = 0;
  ASSERT_EQ(set.changes().size(), 3u);
  rig.run([&] { start_profile_write(rig.engine(), profiles(rig)); });
  EXPECT_EQ(profile_requests(rig, 0x10), 3);
  EXPECT_EQ(rig.observer.last_status(), "Write Profiles (Completed)");
  EXPECT_EQ(handset.profiles[0][4], 10);
  EXPECT_EQ(handset.profiles[0][static_cast<std::size_t>(profile_feature_code(kRingingTone))], 0x47);
  EXPECT_EQ(handset.profiles[0][static_cast<std::size_t>(profile_feature_code(kWarningTones))], 0x04);
  EXPECT_EQ(handset.profiles[3][2], 7);
  EXPECT_EQ(handset.profiles[3][8], 0x05);
  EXPECT_TRUE(set.changes().empty());
  EXPECT_TRUE(rig.prompt.messages.empty());

  // A change the handset refuses is reported; the other is still written.
  set[1].settings[kLights] = 0;       // Silent may not change its lights
  set[1].settings[kMessageTone] = 2;
  ProfilesWindowLogic window(profiles(rig), rig.engine(), rig.prompt);
  rig.run([&] { window.write(); });
  EXPECT_EQ(handset.profiles[1][5], 2);
  EXPECT_EQ(handset.profiles[1][1], 0);
  ASSERT_EQ(rig.prompt.messages.size(), 1u);
  EXPECT_EQ(rig.prompt.messages[0], "The handset did not take these profile settings:\nSilent: Lights");
  EXPECT_EQ(set.changes().size(), 1u);

  // Activate: 15, 25, 3, n + 1, 1, each pressed and released.
  rig.line->writes.clear();
  rig.run([&] { window.activate(3); });
  std::vector<std::pair<int, int>> keys;
  for (const PcFrame& f : pc_frames(rig.line->writes)) {
    if (f.type == 0x0C && f.data.size() > 5 && f.data[3] == 0x42) keys.emplace_back(f.data[4], f.data[5]);
  }
  const std::vector<std::pair<int, int>> expected{{1, 15}, {2, 15}, {1, 25}, {2, 25}, {1, 3},
                                                  {2, 3},  {1, 4},  {2, 4},  {1, 1},  {2, 1}};
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(handset.active_profile, 3);
  EXPECT_EQ(rig.observer.last_status(), "Write Profiles (Completed)");
  EXPECT_FALSE(window.activate(5));  // only the first five
}

TEST(Profiles, RefusedOnA5110BeforeAnyFrame) {
  fresh_settings();
  Rig rig("5110");
  ASSERT_TRUE(rig.connect());
  const std::size_t writes = rig.line->writes.size();
  EXPECT_FALSE(start_profile_read(rig.engine()));
  EXPECT_FALSE(start_profile_activate(rig.engine(), 0));
  EXPECT_EQ(rig.prompt.messages, std::vector<std::string>(2, "No such function in this phone"));
  EXPECT_EQ(rig.line->writes.size(), writes);
}

// Under each line fault: a completed read shows the handset's names and
// values; a write of two features after it leaves each as it was or as asked,
// and a completed write both as asked.
TEST(Profiles, ReadAndWriteUnderLineFaults) {
  using testing::RunEnd;
  using testing::RunResult;
  fresh_settings();
  for (const testing::FaultKind& kind : testing::line_fault_kinds()) {
    const testing::SeedTally tally = testing::run_seeds(kind, 1000, [](const sim::FaultOptions& faults) {
      Rig rig(demo_state("6110"), {}, faults);
      if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
      ProfileSet& set = profiles(rig).profiles();
      const std::optional<OperationResult> read =
          run_told(rig, [&](StartOptions o) { return start_profile_read(rig.engine(), std::move(o)); });
      const auto before = rig.handset.state().settings.profiles;
      bool read_right = set.shown_name(5) == "\xe8\xbd\xa6\xe8\xbd\xbd";
      for (int p = 0; p < kProfileCount; ++p) {
        for (int s = 0; s < kProfileSettings; ++s) {
          const std::uint8_t value = before[static_cast<std::size_t>(p)][static_cast<std::size_t>(profile_feature_code(s))];
          read_right = read_right && set[p].settings[static_cast<std::size_t>(s)] == profile_value_to_index(s, value);
        }
      }
      const bool read_claims = !read || !read->done() || read->entries == kProfileCount;
      if (const RunResult r = testing::judge(read, read_right, "read differs from the handset", read_claims);
          r.end != RunEnd::Completed) {
        return r;
      }
      set[2].settings[kRingingVolume] = 2;  // 8
      set[6].settings[kMessageTone] = 4;
      const std::optional<OperationResult> write =
          run_told(rig, [&](StartOptions o) { return start_profile_write(rig.engine(), profiles(rig), std::move(o)); });
      const auto& after = rig.handset.state().settings.profiles;
      const bool volume_ok = after[2][4] == 8 || after[2][4] == before[2][4];
      const bool tone_ok = after[6][5] == 4 || after[6][5] == before[6][5];
      if (!volume_ok || !tone_ok) return RunResult{RunEnd::Wrong, "a feature neither as asked nor as it was"};
      const int taken = (after[2][4] == 8 && before[2][4] != 8) + (after[6][5] == 4 && before[6][5] != 4);
      return testing::judge(write, after[2][4] == 8 && after[6][5] == 4, "write completed, not written",
                            !write || write->entries <= taken);
    });
    std::cout << "[ faults   ] profiles " << kind.name << ": " << tally.completed << " completed, " << tally.reset
              << " reset, " << tally.no_connect << " failed to connect, " << tally.wrong << " wrong, "
              << tally.unseen << " past the checksums\n";
    EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
  }
}

}  // namespace
}  // namespace phondeck::e2e
