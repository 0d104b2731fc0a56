// The Options dialog's exchanges against the virtual handset: Read Groups
// into the New column, Write Groups (names by the rules, logos kept), Read
// and Write SMSC; the link reopened on a new device while a read runs; and
// group write and SMSC runs under every line fault.
#include <gtest/gtest.h>

#include <iostream>

#include "e2e_rig.h"
#include "organiser/options_exchanges.h"
#include "quiet_options_host.h"
#include "support/seed_runs.h"
#include "told_result.h"

namespace phondeck::e2e {
namespace {

// The dialog over a rig's session.
struct OptionsRig {
  explicit OptionsRig(Rig& rig)
      : exchanges(rig.engine(), rig.session.organiser(), rig.session.media()), dialog(host, exchanges) {
    exchanges.set_dialog(&dialog, [this] { ++shown; });
    dialog.show();
  }
  QuietHost host;
  SessionOptionsExchanges exchanges;
  OptionsDialogLogic dialog;
  int shown = 0;
};

std::string group_name(const sim::HandsetState& s, int g) { return s.groups[static_cast<std::size_t>(g)].name; }

TEST(Options, GroupsAndMessageCentreAgainstTheHandset) {
  fresh_settings();
  Rig rig;
  ASSERT_TRUE(rig.connect());
  OptionsRig options(rig);
  OptionsDialogLogic& dialog = options.dialog;
  const auto logos_before = rig.handset.state().groups;

  rig.run([&] { dialog.read_groups(); });
  EXPECT_EQ(dialog.group_new[0], "Family");
  EXPECT_EQ(dialog.group_new[2], "\xe6\x9c\x8b\xe5\x8f\x8b");  // UCS-2 on the handset
  EXPECT_EQ(options.shown, 1);

  dialog.group_new[0] = "Family";      // the default: length 0
  dialog.group_new[1] = "Very important people";
  dialog.group_new[2] = "Mates";
  rig.run([&] { dialog.write_groups(); });
  EXPECT_EQ(rig.observer.last_status(), "Write Group (Completed)");
  const sim::HandsetState& s = rig.handset.state();
  EXPECT_EQ(group_name(s, 0), "");
  EXPECT_EQ(group_name(s, 1), "Very impor");
  EXPECT_EQ(group_name(s, 2), "Mates");
  EXPECT_EQ(group_name(s, 3), "");  // read as its default, so written empty
  for (int g = 0; g < 5; ++g) EXPECT_EQ(s.groups[static_cast<std::size_t>(g)].logo, logos_before[static_cast<std::size_t>(g)].logo) << g;

  rig.run([&] { dialog.read_smsc(); });
  EXPECT_EQ(dialog.smsc_read, "+358405202000");
  dialog.smsc = {"+111", "+222", "+4412345678", "", "", ""};
  dialog.smsc_choice = 0;
  EXPECT_FALSE(dialog.write_smsc());  // Default: nothing is sent
  dialog.smsc_choice = 3;
  rig.run([&] { dialog.write_smsc(); });
  EXPECT_EQ(rig.handset.state().sms.smsc, "+4412345678");
  EXPECT_EQ(dialog.smsc_read, "+4412345678");  // read back after the write
}

// OK with a new device while a read runs: the link is reset first
// ("Disconnected"), then connects again; nothing is torn mid-exchange.
TEST(Options, NewPortWhileAReadRunsResetsThenReconnects) {
  fresh_settings();
  Rig rig(filled_6110());
  ASSERT_TRUE(rig.connect());
  rig.commands->read_phone_book();
  rig.loop.run_until([&] { return rig.book.active().size() >= 3; }, 60000);
  ASSERT_EQ(rig.state(), LinkState::PhoneBook);
  config().Device = "/dev/ttyUSB7";
  rig.link->reopen();
  EXPECT_TRUE(rig.observer.saw("Disconnected"));
  EXPECT_TRUE(rig.run_until_settled());
  EXPECT_EQ(rig.state(), LinkState::Idle);
  rig.run([&] { rig.commands->read_phone_book(); });
  EXPECT_EQ(rig.observer.last_status(), "Read PhoneBook (Completed)");
}

// Under each line fault: each group name as it was or as asked (all as asked
// when the write completed), and the message centre likewise.
TEST(Options, GroupWriteAndMessageCentreUnderLineFaults) {
  using testing::RunEnd;
  using testing::RunResult;
  fresh_settings();
  // AutoReconnect off, then on: a resumed operation is never reported done
  // without being done.
  for (const int reconnect : {0, 1}) {
    config().AutoReconnect = reconnect;
    for (testing::FaultKind kind : testing::line_fault_kinds()) {
      if (reconnect != 0) kind.name += ", reconnect";
      const testing::SeedTally tally = testing::run_seeds(kind, 1000, [](const sim::FaultOptions& faults) {
        config().SMSC = 0;
        Rig rig(demo_state("6110"), {}, faults);
        if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
        OptionsRig options(rig);
        const sim::HandsetState before = rig.handset.state();
        const std::string asked[] = {"", "", "Mates", "", "Crew"};  // defaults go empty
        options.dialog.group_new = {"Family", "VIP", "Mates", "Colleagues", "Crew", "No Group"};
        const std::optional<OperationResult> groups =
            run_told(rig, [&](StartOptions o) { return options.dialog.write_groups(std::move(o)); });
        bool all_asked = true;
        for (int g = 0; g < 5; ++g) {
          const std::string now = group_name(rig.handset.state(), g);
          const bool as_asked = now == asked[g];
          if (!as_asked && now != group_name(before, g)) return RunResult{RunEnd::Wrong, "a name neither as asked nor as it was"};
          all_asked = all_asked && as_asked;
          if (rig.handset.state().groups[static_cast<std::size_t>(g)].logo != before.groups[static_cast<std::size_t>(g)].logo) {
            return RunResult{RunEnd::Wrong, "a logo changed"};
          }
        }
        if (const RunResult r = testing::judge(groups, all_asked, "write completed, names not all written");
            r.end != RunEnd::Completed) {
          return r;
        }
        options.dialog.smsc[1] = "+4498765";
        options.dialog.smsc_choice = 2;
        const std::optional<OperationResult> written =
            run_told(rig, [&](StartOptions o) { return options.dialog.write_smsc(std::move(o)); });
        const std::string& centre = rig.handset.state().sms.smsc;
        if (centre != "+4498765" && centre != before.sms.smsc) return RunResult{RunEnd::Wrong, "centre neither"};
        if (const RunResult r = testing::judge(written, centre == "+4498765" && options.dialog.smsc_read == "+4498765",
                                               "centre write completed, not written or not read back");
            r.end != RunEnd::Completed) {
          return r;
        }
        const std::optional<OperationResult> read =
            run_told(rig, [&](StartOptions o) { return options.dialog.read_smsc(std::move(o)); });
        return testing::judge(read, options.dialog.smsc_read == "+4498765", "centre read wrong");
      });
      std::cout << "[ faults   ] group names and centre " << kind.name << ": " << tally.completed << " completed, "
                << tally.reset << " reset, " << tally.no_connect << " failed to connect, " << tally.wrong << " wrong, "
                << tally.unseen << " past the checksums\n";
      EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
    }
  }
  config().AutoReconnect = 0;
}

}  // namespace
}  // namespace phondeck::e2e
