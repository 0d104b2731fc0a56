// How the calendar, clock, profile and option operations end, as their
// starters are told: done with what they did, refused before any frame,
// refused by the handset (the step and its code), and cut off by the line
// (the step and what was kept). Each row runs against the virtual handset.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "e2e_rig.h"
#include "organiser/options_exchanges.h"
#include "quiet_options_host.h"
#include "organiser/profiles_window.h"
#include "support/calendar_events.h"

namespace phondeck::e2e {
namespace {

using Start = std::function<bool(Rig&, StartOptions)>;

struct Expected {
  Ending ending = Ending::Done;
  Refusal refusal = Refusal::None;
  int step = 0;
  int code = -1;
  int entries = 0;
  int notes = 0;
  int refused_items = 0;
  std::string message;  // the result's message starts with this
};

struct Row {
  const char* name;
  Start start;
  Expected expected;
  std::function<void(sim::HandsetState&)> handset = {};
  const char* model = "6110";
  bool connect = true;
  // Share of a clean run's time after which the handset falls silent for
  // good (AutoReconnect off); 0: never.
  double cut_at = 0;
  // Runs once the operation has started, before the rest of it.
  std::function<void(Rig&)> during = {};
};

sim::HandsetState three_notes() {
  sim::HandsetState s = demo_state("6110");
  auto note = [](int type, sim::NoteTime when, const char* text) {
    const sim::Bytes bytes(text, text + std::string(text).size());
    return sim::CalendarNote{type, when, std::nullopt, bytes, {}};
  };
  s.calendar.notes = {note(1, {2026, 12, 8, 10, 30}, "One"), note(3, {2026, 12, 9, 9, 0}, "Two"),
                      note(4, {1980, 2, 29, 23, 59}, "Three")};
  return s;
}

// Four events to write, put in the list before the start.
bool write_four(Rig& rig, StartOptions options) {
  CalendarList& list = rig.session.organiser().calendar().list();
  list.clear();
  for (int i = 1; i <= 4; ++i) list.append(testing::event(2027, 1, i, 9, 0, 1, "Note " + std::to_string(i)));
  return start_calendar_write(rig.engine(), std::move(options));
}

ProfileFamily& profiles(Rig& rig) { return rig.session.organiser().profile_family(); }

// Two changes, the first of which (Silent's lights) the handset refuses
// unless `both_taken`.
bool write_profiles(Rig& rig, StartOptions options, bool both_taken) {
  ProfileSet& set = profiles(rig).profiles();
  rig.run([&] { start_profile_read(rig.engine()); });  // the changes are against what was read
  if (both_taken) {
    set[0].settings[kRingingVolume] = 4;
  } else {
    set[1].settings[kLights] = 0;
  }
  set[1].settings[kMessageTone] = 2;
  return start_profile_write(rig.engine(), profiles(rig), std::move(options));
}

// The Options dialog over the rig's session, its write confirmation
// answered `answer`.
struct Options {
  Options(Rig& rig, std::optional<bool> answer)
      : exchanges(rig.engine(), rig.session.organiser(), rig.session.media()), dialog(host, exchanges) {
    exchanges.set_write_confirmation([answer] { return answer; });
    dialog.show();
  }
  QuietHost host;
  SessionOptionsExchanges exchanges;
  OptionsDialogLogic dialog;
};
std::optional<Options> options_dialog;

Start groups(std::optional<bool> answer) {
  return [answer](Rig& rig, StartOptions o) {
    options_dialog.emplace(rig, answer);
    options_dialog->dialog.group_new[1] = "Crew";
    return options_dialog->dialog.write_groups(std::move(o));
  };
}

Start smsc(int choice) {
  return [choice](Rig& rig, StartOptions o) {
    options_dialog.emplace(rig, std::nullopt);
    options_dialog->dialog.smsc = {"+4412345678", "", "", "", "", ""};
    options_dialog->dialog.smsc_choice = choice;
    return options_dialog->dialog.write_smsc(std::move(o));
  };
}

Expected done_with(int entries, int notes = 0) {
  Expected e;
  e.entries = entries;
  e.notes = notes;
  return e;
}
Expected refused(Refusal why, std::string message = {}) {
  Expected e;
  e.ending = Ending::Refused;
  e.refusal = why;
  e.message = std::move(message);
  return e;
}
Expected failed(int step, int code, std::string message, int notes = 0) {
  Expected e;
  e.ending = Ending::Failed;
  e.step = step;
  e.code = code;
  e.message = std::move(message);
  e.notes = notes;
  return e;
}
Expected lost(int step, int entries, int notes, std::string message = {}) {
  Expected e;
  e.ending = Ending::LinkLost;
  e.step = step;
  e.entries = entries;
  e.notes = notes;
  e.message = std::move(message);
  return e;
}

struct RowRun {
  std::vector<OperationResult> told;
  std::int64_t started_ms = 0;
  std::int64_t ended_ms = 0;
};

RowRun run_row(const Row& row, std::int64_t silent_at_ms = -1) {
  fresh_settings();
  sim::HandsetState state = row.model == std::string("6110") ? three_notes() : demo_state(row.model);
  if (row.handset) row.handset(state);
  sim::FaultOptions faults;
  faults.silent_at_ms = silent_at_ms;
  Rig rig(std::move(state), {}, faults);
  RowRun run;
  if (row.connect) {
    EXPECT_TRUE(rig.connect());
  }
  run.started_ms = rig.loop.clock().now_ms();
  StartOptions options;
  options.done = [&run](const OperationResult& r) { run.told.push_back(r); };
  row.start(rig, std::move(options));
  if (row.during) row.during(rig);
  EXPECT_TRUE(rig.run_until_settled(600000));
  run.ended_ms = rig.loop.clock().now_ms();
  options_dialog.reset();
  return run;
}

template <typename Step>
int step_of(Step step) {
  return static_cast<int>(step);
}

bool read_notes(Rig& rig, StartOptions o) { return start_calendar_read(rig.engine(), std::move(o)); }
bool read_alarm(Rig& rig, StartOptions o) { return start_read_alarm(rig.engine(), std::move(o)); }
bool alarm_off(Rig& rig, StartOptions o) { return start_write_alarm(rig.engine(), false, 0, 0, std::move(o)); }
bool read_profiles(Rig& rig, StartOptions o) { return start_profile_read(rig.engine(), std::move(o)); }

TEST(OrganiserResults, EachOperationTellsHowItEnded) {
  fresh_settings();
  const std::string unwritten = tx(3431);
  const Row rows[] = {
      // -- Calendar.
      {.name = "calendar read", .start = read_notes, .expected = done_with(0, 3)},
      {.name = "calendar read, not connected",
       .start = read_notes,
       .expected = refused(Refusal::NotConnected, tx(3101)),
       .connect = false},
      {.name = "calendar read on a 5110",
       .start = read_notes,
       .expected = refused(Refusal::NoSuchFunction, "No such function in this phone"),
       .model = "5110"},
      {.name = "calendar write while a read runs",
       .start =
           [](Rig& r, StartOptions o) {
             start_calendar_read(r.engine());
             return write_four(r, std::move(o));
           },
       .expected = refused(Refusal::Busy, tx(3100))},
      {.name = "calendar write", .start = write_four, .expected = done_with(0, 4)},
      {.name = "calendar write, said no",
       .start =
           [](Rig& r, StartOptions o) {
             o.confirmed = false;
             return write_four(r, std::move(o));
           },
       .expected = refused(Refusal::UserSaidNo)},
      {.name = "calendar write, menu open",
       .start = write_four,
       .expected = failed(step_of(CalendarFamily::Step::DeleteNote), 0x81, tx(3430)),
       .handset = [](sim::HandsetState& s) { s.calendar.menu_open = true; }},
      {.name = "calendar write, full",
       .start = write_four,
       .expected = failed(step_of(CalendarFamily::Step::WriteNote), 0x73, "Not enough memory on phone\n" + unwritten, 2),
       .handset = [](sim::HandsetState& s) { s.calendar.limit = 2; }},
      // The note sent into the silence starts the write again from the
      // clear before the link gives up: nothing of that round confirmed.
      {.name = "calendar write, cut",
       .start = write_four,
       .expected = lost(step_of(CalendarFamily::Step::WriteClear), 0, 0, unwritten),
       .cut_at = 0.93},
      {.name = "calendar read, cut",
       .start = read_notes,
       .expected = lost(step_of(CalendarFamily::Step::ReadNote), 0, 1),
       .cut_at = 0.7},
      // -- Clock and alarm.
      {.name = "write time",
       .start = [](Rig& r, StartOptions o) { return start_write_time(r.engine(), std::move(o)); },
       .expected = done_with(0)},
      {.name = "read time",
       .start = [](Rig& r, StartOptions o) { return start_read_time(r.engine(), std::move(o)); },
       .expected = done_with(0)},
      {.name = "read alarm", .start = read_alarm, .expected = done_with(0)},
      {.name = "write alarm",
       .start = [](Rig& r, StartOptions o) { return start_write_alarm(r.engine(), true, 7, 30, std::move(o)); },
       .expected = done_with(0)},
      {.name = "alarm off",
       .start = alarm_off,
       .expected = done_with(0),
       .handset = [](sim::HandsetState& s) { s.calendar.alarm_on = true; }},
      {.name = "alarm off, still on",
       .start = alarm_off,
       .expected = failed(step_of(ClockFamily::Step::ReadBackAlarm), -1, "The handset's alarm is still on"),
       .handset = [](sim::HandsetState& s) { s.calendar.alarm_on = true; },
       .during =
           [](Rig& r) {
             // The keys go in, then the alarm is on again before the read-back.
             ASSERT_TRUE(r.loop.run_until([&] { return r.handset.state().calendar.keys.size() == 12; }, 60000));
             r.handset.state().calendar.alarm_on = true;
           }},
      {.name = "read alarm, cut",
       .start = read_alarm,
       .expected = lost(step_of(ClockFamily::Step::AskAlarm), 0, 0),
       .cut_at = 0.5},
      // -- Profiles.
      {.name = "profiles read", .start = read_profiles, .expected = done_with(kProfileCount)},
      {.name = "profiles write",
       .start = [](Rig& r, StartOptions o) { return write_profiles(r, std::move(o), true); },
       .expected = done_with(2)},
      {.name = "profiles write, one refused",
       .start = [](Rig& r, StartOptions o) { return write_profiles(r, std::move(o), false); },
       .expected =
           [] {
             Expected e = done_with(1);
             e.refused_items = 1;
             e.message = "The handset did not take these profile settings:\nSilent: Lights";
             return e;
           }()},
      {.name = "profile 6 activated",
       .start = [](Rig& r, StartOptions o) { return start_profile_activate(r.engine(), 5, std::move(o)); },
       .expected = refused(Refusal::BadInput)},
      {.name = "profile 2 activated",
       .start = [](Rig& r, StartOptions o) { return start_profile_activate(r.engine(), 1, std::move(o)); },
       .expected = done_with(0)},
      {.name = "profiles read, cut",
       .start = read_profiles,
       .expected = lost(step_of(ProfileFamily::Step::ReadFeature), 3, 0),
       .cut_at = 0.5},
      // -- Options: group names and the message centre.
      {.name = "group names write", .start = groups(std::nullopt), .expected = done_with(5)},
      {.name = "group names write, said no", .start = groups(false), .expected = refused(Refusal::UserSaidNo)},
      {.name = "message centre write", .start = smsc(1), .expected = done_with(0)},
      {.name = "message centre Default", .start = smsc(0), .expected = done_with(0)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::int64_t silent_at = -1;
    if (row.cut_at > 0) {
      const RowRun clean = run_row(row);
      silent_at = clean.started_ms + static_cast<std::int64_t>(static_cast<double>(clean.ended_ms - clean.started_ms) *
                                                               row.cut_at);
    }
    const RowRun run = run_row(row, silent_at);
    ASSERT_EQ(run.told.size(), 1u) << "told once";
    const OperationResult& r = run.told[0];
    const Expected& e = row.expected;
    EXPECT_EQ(r.ending, e.ending) << describe(r);
    EXPECT_EQ(r.refusal, e.refusal);
    if (e.ending == Ending::Failed || e.ending == Ending::LinkLost) {
      EXPECT_EQ(r.step, e.step);
    }
    EXPECT_EQ(r.code, e.code);
    EXPECT_EQ(r.entries, e.entries);
    EXPECT_EQ(r.notes, e.notes);
    EXPECT_EQ(r.refused_items, e.refused_items);
    EXPECT_EQ(r.message.substr(0, e.message.size()), e.message) << r.message;
    if (e.message.empty()) {
      EXPECT_EQ(r.message, "");
    }
  }
}

}  // namespace
}  // namespace phondeck::e2e
