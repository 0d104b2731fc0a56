// Calendar, clock and diary alarm against the virtual handset: reads and
// writes of notes, a handset that refuses or keeps its notes, a full
// calendar, the clock and the alarm; the Calendar window's day view; the
// real serial path on a pseudo-terminal; and notes, clock and alarm under
// line faults.
#include <gtest/gtest.h>

#include <iostream>

#include "e2e_rig.h"
#include "organiser/calendar_window.h"
#include "sim/embedded_port.h"
#include "sim/realtime_loop.h"
#include "support/calendar_events.h"
#include "support/seed_runs.h"
#include "told_result.h"

namespace phondeck::e2e {
namespace {

// A Call note's data is its number; its text is empty, as the PC writes it.
sim::CalendarNote note(int type, sim::NoteTime when, std::optional<sim::NoteTime> alarm, std::string text) {
  const Bytes bytes(text.begin(), text.end());
  return type == 2 ? sim::CalendarNote{type, when, alarm, {}, bytes} : sim::CalendarNote{type, when, alarm, bytes, {}};
}

// Three notes: a meeting with an alarm, a call, a birthday.
sim::HandsetState three_notes() {
  sim::HandsetState s = demo_state("6110");
  s.calendar.notes = {note(3, {2026, 12, 8, 10, 30}, sim::NoteTime{2026, 12, 8, 10, 20}, "Meeting"),
                      note(2, {2026, 12, 9, 9, 0}, std::nullopt, "+35840"),
                      note(4, {1980, 2, 29, 23, 59}, std::nullopt, "Leap")};
  return s;
}

int calendar_requests(const std::vector<LineWrite>& writes, std::uint8_t sub) {
  int n = 0;
  for (const PcFrame& f : pc_frames(writes)) n += f.type == 0x13 && f.data.size() > 3 && f.data[3] == sub;
  return n;
}

CalendarFamilies& calendar(Rig& rig) { return rig.session.organiser().calendar(); }

using testing::event;

class CalendarLink : public ::testing::Test {
 protected:
  void SetUp() override { fresh_settings(); }
};

TEST_F(CalendarLink, ReadsThreeNotesWithFourRequestsAndWritesThemBack) {
  Rig rig(three_notes());
  ASSERT_TRUE(rig.connect());
  int refreshes = 0;
  calendar(rig).calendar().set_refresh([&] { ++refreshes; });
  rig.run([&] { start_calendar_read(rig.engine()); });
  EXPECT_EQ(calendar_requests(rig.line->writes, 0x66), 4);
  EXPECT_EQ(rig.observer.last_status(), "Read Calendar (Completed)");
  EXPECT_EQ(refreshes, 1);
  const CalendarList& list = calendar(rig).list();
  ASSERT_EQ(list.size(), 3u);
  CalendarEvent meeting = event(2026, 12, 8, 10, 30, 3, "Meeting");
  meeting.index = "1";
  meeting.alarm_year = 2026;
  meeting.alarm_month = 12;
  meeting.alarm_day = 8;
  meeting.alarm_hour = 10;
  meeting.alarm_minute = 20;
  EXPECT_EQ(list.at(0), meeting);
  EXPECT_EQ(list.at(1).data, "+35840");
  EXPECT_EQ(list.at(2).index, "3");

  // Written back after emptying the handset: its notes are as they were.
  const sim::HandsetState before = rig.handset.state();
  rig.handset.state().calendar.notes.push_back(note(1, {2030, 1, 1, 1, 1}, std::nullopt, "Stale"));
  rig.run([&] { start_calendar_write(rig.engine()); });
  EXPECT_EQ(rig.observer.last_status(), "Write Calendar (Completed)");
  EXPECT_EQ(rig.handset.state().to_json().dump(1), before.to_json().dump(1));
  EXPECT_TRUE(rig.prompt.messages.empty());

  // An empty list still clears the handset.
  calendar(rig).list().clear();
  rig.run([&] { start_calendar_write(rig.engine()); });
  EXPECT_TRUE(rig.observer.saw("Delete Calendar (Completed)"));
  EXPECT_EQ(rig.observer.last_status(), "Write Calendar (Completed)");
  EXPECT_TRUE(rig.handset.state().calendar.notes.empty());
  EXPECT_EQ(rig.state(), LinkState::Idle);
}

TEST_F(CalendarLink, AHandsetThatWillNotClearEndsCleanlyAndWritesNothing) {
  struct Case {
    const char* name;
    bool menu_open;
    bool keeps_deleted;
    int deletes;  // delete requests sent
  };
  const Case cases[] = {{"refused", true, false, 1}, {"kept", false, true, CalendarFamily::kMaxNotes}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::HandsetState s = three_notes();
    s.calendar.menu_open = c.menu_open;
    s.calendar.keeps_deleted = c.keeps_deleted;
    Rig rig(s);
    ASSERT_TRUE(rig.connect());
    calendar(rig).list().append(event(2027, 1, 1, 9, 0, 1, "New"));
    const std::vector<CalendarEvent> kept = calendar(rig).list().events();
    rig.run([&] { start_calendar_write(rig.engine()); });
    EXPECT_EQ(rig.state(), LinkState::Idle);
    EXPECT_EQ(calendar_requests(rig.line->writes, 0x68), c.deletes);
    EXPECT_EQ(calendar_requests(rig.line->writes, 0x64), 0);
    EXPECT_EQ(rig.handset.state().calendar.notes, s.calendar.notes);
    EXPECT_EQ(calendar(rig).list().events(), kept);
    ASSERT_EQ(rig.prompt.messages.size(), 1u);
    EXPECT_EQ(rig.prompt.messages[0], tx(3430));
  }
}

TEST_F(CalendarLink, AFullCalendarNamesTheEventsNotWritten) {
  sim::HandsetState s = three_notes();
  s.calendar.limit = 2;
  Rig rig(s);
  ASSERT_TRUE(rig.connect());
  CalendarList& list = calendar(rig).list();
  for (int i = 1; i <= 4; ++i) list.append(event(2027, 1, i, 9, 0, 1, "Note " + std::to_string(i)));
  const std::vector<CalendarEvent> kept = list.events();
  rig.run([&] { start_calendar_write(rig.engine()); });
  EXPECT_EQ(rig.state(), LinkState::Idle);
  EXPECT_EQ(rig.handset.state().calendar.notes.size(), 2u);
  EXPECT_EQ(list.events(), kept);
  ASSERT_EQ(rig.prompt.messages.size(), 1u);
  EXPECT_EQ(rig.prompt.messages[0], "Not enough memory on phone\n" + tx(3431) +
                                        "\n2027-01-03 09:00  Note 3\n2027-01-04 09:00  Note 4");
}

TEST_F(CalendarLink, FiveModelsAreRefused) {
  Rig rig("5110");
  ASSERT_TRUE(rig.connect());
  const std::size_t writes = rig.line->writes.size();
  EXPECT_FALSE(start_calendar_read(rig.engine()));
  EXPECT_FALSE(start_calendar_write(rig.engine()));
  EXPECT_EQ(rig.prompt.messages, (std::vector<std::string>(2, "No such function in this phone")));
  EXPECT_EQ(rig.line->writes.size(), writes);
}

TEST_F(CalendarLink, ClockAndAlarmRoundTrips) {
  Rig rig;
  ASSERT_TRUE(rig.connect());
  ClockFamily& clock = calendar(rig).clock();
  CalendarWindow window(calendar(rig), rig.engine(), rig.prompt, {2026, 12, 8});
  // A clock never set reads as not set, not as the date the handset holds.
  rig.run([&] { start_read_time(rig.engine()); });
  ASSERT_TRUE(clock.clock().read);
  EXPECT_FALSE(clock.clock().date_set);
  EXPECT_EQ(window.handset_time_text(), "The handset's clock is not set");
  clock.set_now([] { return LocalTime{2001, 1, 1, 0, 5, 42}; });
  rig.run([&] { start_write_time(rig.engine()); });
  EXPECT_EQ(rig.observer.last_status(), "Write Time (Completed)");
  EXPECT_EQ(rig.handset.state().calendar.clock, (sim::ClockTime{2001, 1, 1, 0, 5, 42}));
  rig.run([&] { start_read_time(rig.engine()); });
  ASSERT_TRUE(clock.clock().read);
  EXPECT_TRUE(clock.clock().date_set);
  EXPECT_EQ(window.handset_time_text().substr(0, 16), "2001-01-01 00:05");
  // The handset's clock has run on for the few seconds the exchanges took.
  EXPECT_EQ(clock.clock().time.minute, 5);
  EXPECT_GE(clock.clock().time.second, 42);

  rig.run([&] { start_write_alarm(rig.engine(), true, 30, 75); });  // clamped to 23:59
  rig.run([&] { start_read_alarm(rig.engine()); });
  EXPECT_TRUE(clock.alarm().enabled);
  EXPECT_EQ(clock.alarm().hour, 23);
  EXPECT_EQ(clock.alarm().minute, 59);

  rig.run([&] { start_write_alarm(rig.engine(), false, 0, 0); });
  EXPECT_EQ(rig.observer.last_status(), "Write Diary Alarm (Completed)");
  std::vector<int> presses;
  for (const sim::KeyPress& k : rig.handset.state().calendar.keys) presses.push_back(k.press ? k.key : -k.key);
  EXPECT_EQ(presses, (std::vector<int>{15, -15, 25, -25, 4, -4, 1, -1, 2, -2, 15, -15}));
  rig.run([&] { start_read_alarm(rig.engine()); });
  EXPECT_FALSE(clock.alarm().enabled);
  EXPECT_EQ(rig.state(), LinkState::Idle);

  // The keys went in, but the alarm the handset reports is on again: not done.
  rig.handset.state().calendar.alarm_on = true;
  rig.handset.state().calendar.keys.clear();
  rig.observer.statuses.clear();
  start_write_alarm(rig.engine(), false, 0, 0);
  ASSERT_TRUE(rig.loop.run_until([&] { return rig.handset.state().calendar.keys.size() == 12; }, 60000));
  rig.handset.state().calendar.alarm_on = true;
  rig.run_until_settled();
  EXPECT_EQ(rig.observer.last_status(), "Write Diary Alarm (Failed)");
  EXPECT_FALSE(rig.observer.saw("Write Diary Alarm (Completed)"));
  EXPECT_EQ(rig.prompt.messages.back(), "The handset's alarm is still on: the key presses did not switch it off");
  EXPECT_TRUE(clock.alarm().enabled);
  EXPECT_EQ(rig.state(), LinkState::Idle);
}

TEST_F(CalendarLink, WindowDayViewDeleteAndDrop) {
  Rig rig;
  CalendarWindow window(calendar(rig), rig.engine(), rig.prompt, {2024, 2, 29});
  CalendarList& list = window.list();
  list.append(event(2024, 2, 29, 7, 30, 3, "Early"));
  list.append(event(1980, 2, 29, 23, 59, 4, "Leap"));
  list.append(event(2024, 2, 29, 9, 5, 1, "Nine"));
  list.append(event(2024, 2, 29, 9, 5, 1, "Nine"));
  list.append(event(2023, 2, 28, 9, 0, 1, "Other day"));
  window.rebuild();
  auto labels = [&](std::size_t child) {
    std::vector<std::string> out;
    for (const CalendarNode& n : window.tree().children[child].children) out.push_back(n.label);
    return out;
  };
  ASSERT_EQ(window.tree().children.size(), 14u);  // The Day and 8:00 .. 20:00
  EXPECT_EQ(window.tree().label, "2024-02-29");
  EXPECT_EQ(window.tree().children[1].label, "8:00");
  EXPECT_EQ(labels(0), (std::vector<std::string>{"23:59  Leap", "7:30  Early"}));
  EXPECT_EQ(labels(2), (std::vector<std::string>{"9:05  Nine"}));

  // Dropping "Early" on 9:00 makes it 9:00; on The Day, 23:59.
  const CalendarNode& early = window.tree().children[0].children[1];
  EXPECT_TRUE(window.drop(early.id, window.tree().children[2].id));
  EXPECT_EQ(labels(2), (std::vector<std::string>{"9:00  Early", "9:05  Nine"}));
  EXPECT_FALSE(window.can_create_on(window.tree().children[2].children[0].id));
  EXPECT_TRUE(window.can_create_on(window.tree().children[2].id));

  // Deleting The Day removes every event under it, after the question.
  window.delete_node(window.tree().children[0].id);
  EXPECT_EQ(rig.prompt.questions, std::vector<std::string>{"Are you sure to clear ?"});
  EXPECT_EQ(list.size(), 3u);
  window.show_all();
  EXPECT_EQ(window.tree().label, "All Events");
  EXPECT_EQ(window.tree().children[0].label, "2023/2/28 9:00  Other day");

  // A Call note shows its text, then its number.
  CalendarEvent bob = event(2024, 3, 1, 8, 15, 2, "0401112223");
  bob.call_text = "Bob";
  list.append(bob);
  window.rebuild();
  EXPECT_EQ(window.tree().children.back().label, "2024/3/1 8:15  Bob 0401112223");
}

// One write under faults: the link either completes with the handset holding
// exactly the list, or stops (or resets) having said which events were not
// written; the list is never touched. Usable by a seed-sweeping fault runner.
// A run in which the line's noise passed a changed frame through both
// checksums is told apart (Unseen), its handset not judged.
enum class RunEnd { NoConnect, Complete, Stopped, Unseen };
RunEnd check_write_run(const sim::FaultOptions& faults, std::vector<CalendarEvent> events) {
  const long unseen_before = sim::frames_past_the_checksums();
  Rig rig(three_notes(), {}, faults);
  if (!rig.connect()) return RunEnd::NoConnect;
  RunEnd end = RunEnd::Stopped;
  calendar(rig).list().replace(events);
  const std::optional<OperationResult> told =
      run_told(rig, [&](StartOptions o) { return start_calendar_write(rig.engine(), std::move(o)); });
  EXPECT_TRUE(rig.settled());
  EXPECT_TRUE(told.has_value());
  EXPECT_EQ(calendar(rig).list().events(), events);
  if (sim::frames_past_the_checksums() != unseen_before) return RunEnd::Unseen;
  if (told && told->done()) {
    end = RunEnd::Complete;
    EXPECT_EQ(rig.state(), LinkState::Idle);
    EXPECT_TRUE(rig.prompt.messages.empty());
    EXPECT_EQ(told->notes, static_cast<int>(events.size()));
    const auto& notes = rig.handset.state().calendar.notes;
    EXPECT_EQ(notes.size(), events.size());
    if (notes.size() != events.size()) return end;
    for (std::size_t i = 0; i < notes.size(); ++i) {
      EXPECT_EQ(notes[i].when, (sim::NoteTime{events[i].year, events[i].month, events[i].day, events[i].hour,
                                              events[i].minute}));
      const sim::Bytes& data = notes[i].type == 2 ? notes[i].number : notes[i].text;
      EXPECT_EQ(std::string(data.begin(), data.end()), events[i].data);
    }
  } else {
    EXPECT_FALSE(rig.prompt.messages.empty());
    if (!rig.prompt.messages.empty()) {
      EXPECT_NE(rig.prompt.messages.back().find(tx(3431)), std::string::npos);
    }
    // What it reports written the handset holds at least.
    if (told) {
      EXPECT_LE(told->notes, static_cast<int>(rig.handset.state().calendar.notes.size()));
    }
  }
  return end;
}

// One read of the three notes under faults, as the window shows it (a reply
// repeated on a lossy line collapses at the rebuild): complete with every
// note, or reset holding only notes of the handset.
RunEnd check_read_run(const sim::FaultOptions& faults, const std::vector<CalendarEvent>& clean) {
  const long unseen_before = sim::frames_past_the_checksums();
  Rig rig(three_notes(), {}, faults);
  if (!rig.connect()) return RunEnd::NoConnect;
  const std::optional<OperationResult> told =
      run_told(rig, [&](StartOptions o) { return start_calendar_read(rig.engine(), std::move(o)); });
  EXPECT_TRUE(rig.settled());
  if (sim::frames_past_the_checksums() != unseen_before) return RunEnd::Unseen;
  EXPECT_TRUE(told.has_value());
  // Its count is of the notes it added, done or not.
  if (told) {
    EXPECT_EQ(told->notes, static_cast<int>(calendar(rig).list().size()));
  }
  CalendarList shown = calendar(rig).list();
  shown.sort_and_collapse();
  for (CalendarEvent e : shown.events()) {
    e.index = "";
    EXPECT_NE(std::find_if(clean.begin(), clean.end(),
                           [&](CalendarEvent c) {
                             c.index = "";
                             return c == e;
                           }),
              clean.end())
        << e.data;
  }
  if (!told || !told->done()) return RunEnd::Stopped;
  EXPECT_EQ(rig.state(), LinkState::Idle);
  EXPECT_EQ(shown.size(), clean.size());
  return RunEnd::Complete;
}

TEST_F(CalendarLink, ReadsAndWritesUnderLineFaults) {
  std::vector<CalendarEvent> events;
  for (int i = 1; i <= 5; ++i) events.push_back(event(2027, 2, i, 8 + i, 0, 1 + i % 4, "Event " + std::to_string(i)));
  struct Kind {
    const char* name;
    sim::FaultOptions faults;
  };
  std::vector<Kind> kinds(8);
  kinds[0] = {"loss", {}};
  kinds[0].faults.drop_in = kinds[0].faults.drop_out = 0.1;
  kinds[1] = {"corruption", {}};
  kinds[1].faults.corrupt = 0.1;
  kinds[2] = {"duplicates", {}};
  kinds[2].faults.duplicate = 0.2;
  kinds[3] = {"stray", {}};
  kinds[3].faults.stray = 0.2;
  kinds[4] = {"hang-up", {}};
  // Silent long enough for a reset, with AutoReconnect on: the write starts
  // again from the clear and completes.
  kinds[5] = {"silence, reconnecting", {}};
  kinds[5].faults.silent_for_ms = 15000;
  kinds[6] = {"byte noise", testing::line_fault_kinds().back().faults};
  kinds[7] = {"byte noise, reconnecting", testing::line_fault_kinds().back().faults};
  // A clean write's span of virtual time: the hang-ups fall inside it.
  std::int64_t connected = 0;
  std::int64_t written = 0;
  {
    Rig rig(three_notes());
    ASSERT_TRUE(rig.connect());
    connected = rig.loop.clock().now_ms();
    calendar(rig).list().replace(events);
    rig.run([&] { start_calendar_write(rig.engine()); });
    written = rig.loop.clock().now_ms();
  }
  std::vector<CalendarEvent> clean;
  {
    Rig rig(three_notes());
    ASSERT_TRUE(rig.connect());
    rig.run([&] { start_calendar_read(rig.engine()); });
    clean = calendar(rig).list().events();
    ASSERT_EQ(clean.size(), 3u);
  }
  for (Kind& kind : kinds) {
    const bool reconnecting = std::string(kind.name).ends_with("reconnecting");
    config().AutoReconnect = reconnecting ? 1 : 0;
    int ends[4] = {0, 0, 0, 0};
    int reads[4] = {0, 0, 0, 0};
    for (std::uint32_t seed = 1; seed <= 1000; ++seed) {
      SCOPED_TRACE(std::string(kind.name) + " seed " + std::to_string(seed));
      sim::FaultOptions f = kind.faults;
      f.seed = seed;
      const std::int64_t during = connected + (written - connected) * (seed % 100) / 100;
      if (std::string(kind.name) == "hang-up") f.hang_up_at_ms = during;
      if (kind.faults.silent_for_ms > 0) f.silent_at_ms = during;
      ++ends[static_cast<int>(check_write_run(f, events))];
      ++reads[static_cast<int>(check_read_run(f, clean))];
      if (::testing::Test::HasFailure()) return;
    }
    std::cout << "[ faults   ] " << kind.name << ": " << ends[1] << " complete, " << ends[2]
              << " stopped with unwritten events named, " << ends[0] << " failed to connect; reads: " << reads[1]
              << " complete, " << reads[2] << " reset; " << ends[3] + reads[3] << " past the checksums\n";
    EXPECT_GT(ends[std::string(kind.name) == "hang-up" ? 2 : 1], 0) << kind.name;
    if (kind.faults.silent_for_ms > 0) {
      EXPECT_EQ(ends[2], 0) << kind.name;
    }
  }
}

// The alarm written then read back, and the clock set, under every line
// fault: a completed run leaves the handset as asked and reads back what was
// written; a reset leaves the alarm as it was or as asked, nothing else.
TEST_F(CalendarLink, ClockAndAlarmUnderLineFaults) {
  using testing::RunResult;
  for (const testing::FaultKind& kind : testing::line_fault_kinds()) {
    const testing::SeedTally tally = testing::run_seeds(kind, 1000, [](const sim::FaultOptions& faults) {
      Rig rig(three_notes(), {}, faults);
      if (!rig.connect()) return RunResult{testing::RunEnd::NoConnect, {}};
      ClockFamily& clock = calendar(rig).clock();
      clock.set_now([] { return LocalTime{2027, 3, 14, 7, 30, 0}; });
      const sim::CalendarState before = rig.handset.state().calendar;
      const std::optional<OperationResult> alarm =
          run_told(rig, [&](StartOptions o) { return start_write_alarm(rig.engine(), true, 7, 45, std::move(o)); });
      const sim::CalendarState& c = rig.handset.state().calendar;
      const bool as_asked = c.alarm_on && c.alarm_hour == 7 && c.alarm_minute == 45;
      const bool as_was =
          c.alarm_on == before.alarm_on && c.alarm_hour == before.alarm_hour && c.alarm_minute == before.alarm_minute;
      if (!as_asked && !as_was) return RunResult{testing::RunEnd::Wrong, "alarm neither as asked nor as it was"};
      if (const RunResult r = testing::judge(alarm, as_asked, "alarm not written"); r.end != testing::RunEnd::Completed) {
        return r;
      }
      const std::optional<OperationResult> read =
          run_told(rig, [&](StartOptions o) { return start_read_alarm(rig.engine(), std::move(o)); });
      const DiaryAlarm& got = clock.alarm();
      const bool read_right = got.enabled && got.hour == 7 && got.minute == 45;
      if (const RunResult r = testing::judge(read, read_right, "alarm read back differs");
          r.end != testing::RunEnd::Completed) {
        return r;
      }
      const std::optional<OperationResult> time =
          run_told(rig, [&](StartOptions o) { return start_write_time(rig.engine(), std::move(o)); });
      return testing::judge(time, rig.handset.state().calendar.clock == sim::ClockTime{2027, 3, 14, 7, 30, 0},
                            "clock not set as asked");
    });
    std::cout << "[ faults   ] clock and alarm  " << kind.name << ": " << tally.completed << " completed, "
              << tally.reset << " reset, " << tally.no_connect << " failed to connect, " << tally.wrong
              << " wrong, " << tally.unseen << " past the checksums\n";
    EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
  }
}

// Switching the alarm off works the handset's menu blind: under every line
// fault, AutoReconnect off and on, it is reported done only when the handset
// reads back off, and a failure says why (counted with the resets here).
TEST_F(CalendarLink, AlarmOffIsDoneOnlyWhenTheHandsetSaysOff) {
  using testing::RunEnd;
  using testing::RunResult;
  for (const int reconnect : {0, 1}) {
    config().AutoReconnect = reconnect;
    for (const testing::FaultKind& kind : testing::line_fault_kinds()) {
      const testing::SeedTally tally = testing::run_seeds(kind, 1000, [](const sim::FaultOptions& faults) {
        sim::HandsetState state = three_notes();
        state.calendar.alarm_on = true;
        state.calendar.alarm_hour = 6;
        Rig rig(std::move(state), {}, faults);
        if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
        rig.observer.statuses.clear();
        const std::optional<OperationResult> told =
            run_told(rig, [&](StartOptions o) { return start_write_alarm(rig.engine(), false, 0, 0, std::move(o)); });
        if (!rig.settled()) return RunResult{RunEnd::Wrong, "still busy"};
        const bool on = rig.handset.state().calendar.alarm_on;
        const bool done = rig.observer.saw("Write Diary Alarm (Completed)");
        const bool failed = rig.observer.saw("Write Diary Alarm (Failed)");
        if (done && on) return RunResult{RunEnd::Wrong, "reported done while the alarm is on"};
        if (failed && !on) return RunResult{RunEnd::Wrong, "reported failed while the alarm is off"};
        if (failed && (rig.prompt.messages.empty() || rig.prompt.messages.back().find("still on") == std::string::npos)) {
          return RunResult{RunEnd::Wrong, "failed without the reason"};
        }
        // A failure the handset's alarm confirms counts with the resets.
        if (told && told->ending == Ending::Failed) {
          if (!on) return RunResult{RunEnd::Wrong, "result failed while the alarm is off"};
          if (told->message.find("still on") == std::string::npos) return RunResult{RunEnd::Wrong, "no reason"};
          return RunResult{RunEnd::Reset, {}};
        }
        return testing::judge(told, !on && done, "reported done while the alarm is on");
      });
      testing::print_tally(std::string("alarm off, AutoReconnect ") + (reconnect ? "on" : "off"), tally);
      EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
      EXPECT_GT(tally.completed, 0) << kind.name;
    }
  }
}

TEST(CalendarSerial, DemoNotesClockAndAlarmOverAPseudoTerminal) {
  fresh_settings();
  SystemClock clock;
  sim::RealtimeLoop loop(clock);
  sim::LoopTimer timer(loop);
  ScriptedPrompt prompt;
  WindowObserver observer;
  sim::EmbeddedHandsetPort* embedded = nullptr;
  auto port = std::make_unique<sim::EmbeddedHandsetPort>(prompt, loop, "6110");
  embedded = port.get();
  HandsetSession session(std::move(port), timer, clock, prompt, observer);
  testing::wire_session(loop, timer, session);
  auto run = [&] { return loop.run_until([&] { return session.settled(); }, 10000); };
  session.commands().connect();
  ASSERT_TRUE(run());
  ASSERT_EQ(session.state(), LinkState::Idle);
  OperationEngine& engine = session.engine();
  CalendarFamilies& families = session.organiser().calendar();
  auto handset = [&] { return embedded->handset()->with_handset([](sim::Handset& h) { return h.state(); }); };
  const sim::HandsetState before = handset();

  start_calendar_read(engine);
  ASSERT_TRUE(run());
  EXPECT_EQ(observer.last_status(), "Read Calendar (Completed)");
  ASSERT_EQ(families.list().size(), before.calendar.notes.size());
  EXPECT_EQ(families.list().at(3).data, "\u559d\u8336");
  start_calendar_write(engine);
  ASSERT_TRUE(run());
  EXPECT_EQ(observer.last_status(), "Write Calendar (Completed)");
  EXPECT_EQ(handset().calendar.notes, before.calendar.notes);

  families.clock().set_now([] { return LocalTime{2026, 12, 8, 9, 26, 0}; });
  start_write_time(engine);
  ASSERT_TRUE(run());
  start_write_alarm(engine, true, 6, 45);
  ASSERT_TRUE(run());
  start_read_alarm(engine);
  ASSERT_TRUE(run());
  EXPECT_EQ(handset().calendar.clock, (sim::ClockTime{2026, 12, 8, 9, 26, 0}));
  EXPECT_TRUE(families.clock().alarm().enabled);
  EXPECT_EQ(families.clock().alarm().hour, 6);
  EXPECT_EQ(families.clock().alarm().minute, 45);
  EXPECT_TRUE(prompt.messages.empty());
  session.engine().reset();
}

}  // namespace
}  // namespace phondeck::e2e
