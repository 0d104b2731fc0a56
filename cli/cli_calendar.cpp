#include "cli/cli_calendar.h"

#include <optional>
#include <string>
#include <utility>

#include "link/start_questions.h"
#include "organiser/calendar_family.h"
#include "organiser/calendar_list.h"
#include "organiser/calendar_window.h"
#include "organiser/clock_family.h"

namespace phondeck::cli {

namespace {

// "HH:MM", 00:00 to 23:59.
std::optional<std::pair<int, int>> hour_minute(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() - colon != 3) return std::nullopt;
  const auto hour = number_in(text.substr(0, colon), 0, 23);
  const auto minute = number_in(text.substr(colon + 1), 0, 59);
  if (!hour || !minute) return std::nullopt;
  return std::make_pair(*hour, *minute);
}

// "YYYY-MM-DD HH:MM[:SS]" (or with "T" between), a date that exists.
std::optional<LocalTime> local_time(const std::string& text) {
  if (text.size() != 16 && text.size() != 19) return std::nullopt;
  if (text[4] != '-' || text[7] != '-' || (text[10] != ' ' && text[10] != 'T') || text[13] != ':') {
    return std::nullopt;
  }
  if (text.size() == 19 && text[16] != ':') return std::nullopt;
  LocalTime t;
  const auto year = number_in(text.substr(0, 4), 1980, 2099);
  const auto month = number_in(text.substr(5, 2), 1, 12);
  const auto day = number_in(text.substr(8, 2), 1, 31);
  const auto hour = number_in(text.substr(11, 2), 0, 23);
  const auto minute = number_in(text.substr(14, 2), 0, 59);
  const auto second = text.size() == 19 ? number_in(text.substr(17, 2), 0, 59) : std::optional<int>(0);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (*day > days_in_month(*year, *month)) return std::nullopt;
  t.year = *year;
  t.month = *month;
  t.day = *day;
  t.hour = *hour;
  t.minute = *minute;
  t.second = *second;
  return t;
}

CalendarDate today() {
  const LocalTime now = system_local_time();
  return CalendarDate{now.year, now.month, now.day};
}

// A write's start options: "Sure to write?" answered by --yes or the terminal.
StartOptions confirmed(CliSession& s, StartOptions options) {
  options.confirmed = ask_write_confirmation(s.engine(), s.prompt());
  return options;
}

int alarm_write(Context& c, bool on, int hour, int minute) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  // Switching it off fails when the handset still reports it on.
  const OperationResult result = s->run_operation(
      [&](StartOptions o) { return start_write_alarm(s->engine(), on, hour, minute, confirmed(*s, std::move(o))); });
  if (!result.done()) return kExitFailed;
  c.out.summary(on ? "alarm set to " + two(hour) + ":" + two(minute) : std::string("alarm off"));
  return kExitOk;
}

}  // namespace

int calendar_read(Context& c) {
  const std::string file = c.inv.value("-o");
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  const OperationResult result =
      s->run_operation([&](StartOptions o) { return start_calendar_read(s->engine(), std::move(o)); });
  const bool complete = result.done();
  CalendarWindow window(s->session().organiser().calendar(), s->engine(), s->prompt(), today());
  // A read the link cut short, or that the handset refused part-way, keeps
  // the notes it read: written out, said to be partial, exit status 1.
  if (!complete && result.notes == 0) return kExitFailed;
  const std::string partial = "the read stopped: " + std::to_string(window.list().size()) + " notes read";
  if (c.inv.has("-o")) {
    if (!window.export_file(file)) return kExitFailed;
    if (!complete) {
      s->fail(partial + "; " + file + " holds them (partial)");
      return kExitFailed;
    }
    c.out.summary(std::to_string(window.list().size()) + " events written to " + file);
    return kExitOk;
  }
  static const char* const kTypes[] = {"reminder", "call", "meeting", "birthday"};
  for (const CalendarEvent& e : window.list().events()) {
    Record r;
    r["location"] = number_in(e.index, 0, 1 << 20) ? Record(*number_in(e.index, 0, 1 << 20)) : Record();
    r["date"] = date_text(e.year, e.month, e.day);
    r["time"] = e.all_day() ? Record() : Record(two(e.hour) + ":" + two(e.minute));
    r["type"] = e.type >= 1 && e.type <= 4 ? kTypes[e.type - 1] : "reminder";
    // A Call note's text and number; the other types have text only.
    const bool call = e.type == static_cast<int>(EventType::Call);
    r["text"] = call ? e.call_text : e.data;
    r["number"] = call ? Record(e.data) : Record();
    r["alarm"] = e.has_alarm() ? Record(date_text(e.alarm_year, e.alarm_month, e.alarm_day) + " " +
                                        two(e.alarm_hour) + ":" + two(e.alarm_minute))
                               : Record();
    c.out.row(r);
  }
  if (!complete) {
    s->fail(partial + " (partial)");
    return kExitFailed;
  }
  return kExitOk;
}

int calendar_write(Context& c) {
  const std::string file = c.inv.operands.at(0);
  CliSession& s = c.handset();
  CalendarWindow window(s.session().organiser().calendar(), s.engine(), s.prompt(), today());
  // Not a calendar, or unreadable: said already. Changes made to fit the
  // handset are told on standard error.
  if (!window.import_file(file)) return kExitFailed;
  // A file that gave no event never empties the handset; one that left
  // events out asks first.
  if (!window.write_allowed()) return kExitFailed;
  if (!s.connect()) return kExitFailed;
  const OperationResult result =
      s.run_operation([&](StartOptions o) { return start_calendar_write(s.engine(), confirmed(s, std::move(o))); });
  if (!result.done()) return kExitFailed;
  c.out.summary(std::to_string(result.notes) + " events written to the handset");
  return kExitOk;
}

int clock_set(Context& c) {
  if (c.inv.has("--now") && !c.inv.operands.empty()) return usage(c, "give --now or a TIME, not both");
  std::optional<LocalTime> time;
  if (!c.inv.operands.empty()) {
    // The date and the time may come as one operand or as two.
    std::string text = c.inv.operands[0];
    if (c.inv.operands.size() == 2) text += " " + c.inv.operands[1];
    time = local_time(text);
    if (!time) return usage(c, "TIME is YYYY-MM-DD HH:MM[:SS], not " + text);
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  ClockFamily& clock = s->session().organiser().calendar().clock();
  if (time) clock.set_now([t = *time] { return t; });
  if (!s->run_operation([&](StartOptions o) { return start_write_time(s->engine(), std::move(o)); }).done()) {
    return kExitFailed;
  }
  c.out.summary("clock set");
  return kExitOk;
}

int clock_get(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  if (!s->run_operation([&](StartOptions o) { return start_read_time(s->engine(), std::move(o)); }).done()) {
    return kExitFailed;
  }
  const HandsetClock& clock = s->session().organiser().calendar().clock().clock();
  Record r;
  r["set"] = clock.date_set;
  if (clock.date_set) {
    const LocalTime& t = clock.time;
    r["time"] = std::to_string(t.year) + "-" + two(t.month) + "-" + two(t.day) + " " + two(t.hour) + ":" +
                two(t.minute) + ":" + two(t.second);
  } else {
    r["time"] = Record();
  }
  c.out.object(r);
  return kExitOk;
}

int alarm_get(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  if (!s->run_operation([&](StartOptions o) { return start_read_alarm(s->engine(), std::move(o)); }).done()) {
    return kExitFailed;
  }
  const DiaryAlarm& alarm = s->session().organiser().calendar().clock().alarm();
  Record r;
  r["alarm"] = alarm.enabled ? "on" : "off";
  r["time"] = alarm.enabled ? Record(two(alarm.hour) + ":" + two(alarm.minute)) : Record();
  c.out.object(r);
  return kExitOk;
}

int alarm_set(Context& c) {
  const auto time = hour_minute(c.inv.operands.at(0));
  if (!time) return usage(c, "the alarm time is HH:MM, not " + c.inv.operands[0]);
  return alarm_write(c, true, time->first, time->second);
}

int alarm_off(Context& c) { return alarm_write(c, false, 0, 0); }

}  // namespace phondeck::cli
