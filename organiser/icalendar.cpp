#include "organiser/icalendar.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>

#include <libical/ical.h>

namespace phondeck {
namespace {

constexpr const char* kTypeNames[] = {"Reminder", "Call", "Meeting", "Birthday"};

struct ComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

icaltimetype ical_time(const DateTime& t, bool date_only) {
  icaltimetype r = icaltime_null_time();
  r.year = std::clamp(t.year, 1, 9999);
  r.month = t.month;
  r.day = t.day;
  if (date_only) {
    r.is_date = 1;
  } else {
    r.hour = t.hour;
    r.minute = t.minute;
  }
  return r;
}

std::string stamp(const CalendarEvent& e, std::size_t n) {
  char b[96];
  std::snprintf(b, sizeof b, "%04d%02d%02dT%02d%02d-%d-%zu@phondeck", e.year, e.month, e.day, e.hour, e.minute,
                e.type, n);
  return b;
}

// The local time of a zoned or UTC time; floating times stay as they are.
icaltimetype local(icaltimetype t) {
  if (t.is_date || t.zone == nullptr) return t;
  const time_t seconds = icaltime_as_timet_with_zone(t, t.zone);
  std::tm tm{};
  localtime_r(&seconds, &tm);
  icaltimetype r = icaltime_null_time();
  r.year = tm.tm_year + 1900;
  r.month = tm.tm_mon + 1;
  r.day = tm.tm_mday;
  r.hour = tm.tm_hour;
  r.minute = tm.tm_min;
  return r;
}

// A DATE or DATE-TIME value that names no real day or time: why; "" when
// it does (or is no date at all: the parser judges that).
std::string impossible_date(std::string_view v) {
  if (!v.empty() && v.back() == 'Z') v.remove_suffix(1);
  auto digits = [&](std::size_t from, std::size_t n) {
    int value = 0;
    for (std::size_t i = from; i < from + n; ++i) {
      if (i >= v.size() || v[i] < '0' || v[i] > '9') return -1;
      value = value * 10 + (v[i] - '0');
    }
    return value;
  };
  const bool dated = v.size() == 8 || (v.size() == 15 && v[8] == 'T');
  if (!dated || digits(0, 8) < 0 || (v.size() == 15 && digits(9, 6) < 0)) return "not a date";
  const int year = digits(0, 4), month = digits(4, 2), day = digits(6, 2);
  if (year == 0) return "no year 0";
  if (month < 1 || month > 12) return "no month " + std::to_string(month);
  if (day < 1 || day > days_in_month(year, month)) return "no day " + std::to_string(day) + " in that month";
  if (v.size() == 8) return {};
  if (digits(9, 2) > 23 || digits(11, 2) > 59 || digits(13, 2) > 60) return "no such time of day";
  return {};
}

// The text's lines with folded lines joined, each with the number of the
// line it starts on.
std::vector<std::pair<int, std::string>> unfolded_lines(const std::string& text) {
  std::vector<std::pair<int, std::string>> lines;
  int number = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number;
    if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines.empty()) {
      lines.back().second += line.substr(1);
    } else {
      lines.emplace_back(number, std::move(line));
    }
    at = end + 1;
  }
  return lines;
}

std::string upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

// The properties whose value is a date or time.
bool timed_property(const std::string& name) {
  static constexpr const char* kNames[] = {"DTSTART", "DTEND", "DUE", "DTSTAMP", "CREATED", "LAST-MODIFIED",
                                           "RECURRENCE-ID", "EXDATE", "RDATE", "TRIGGER", "COMPLETED"};
  return std::ranges::any_of(kNames, [&](const char* n) { return name == n; });
}

// Each END closes one component, as the parser counts them: an END with
// nothing open is dropped (the parser would print a warning of its own to
// the terminal), and what is still open at the end is closed.
std::string balanced(const std::string& text) {
  std::string out;
  std::vector<std::string> open;
  // The parser reads up to a NUL only, and takes a BEGIN or END (blanks
  // after it allowed) only when a ";" or ":" ends the name.
  for (const auto& [number, line] : unfolded_lines(text.substr(0, text.find('\0')))) {
    const std::size_t colon = line.find(':');
    const std::size_t end = std::min(colon, line.find(';'));
    std::string name = end == std::string::npos ? std::string() : upper(line.substr(0, end));
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
    if (name == "BEGIN") {
      open.push_back(colon == std::string::npos ? std::string() : line.substr(colon + 1));
    } else if (name == "END") {
      if (open.empty()) continue;
      open.pop_back();
    }
    out += line + "\r\n";
  }
  while (!open.empty()) {
    out += "END:" + open.back() + "\r\n";
    open.pop_back();
  }
  return out;
}

// The text the parser gets: events with an impossible start or alarm time,
// and one cut off before its end, are left out (each said in `refused`), and
// a calendar cut off before its end is closed.
std::string screened(const std::string& text, std::vector<std::string>& refused) {
  std::string out;
  std::string event;
  std::string problem;
  int event_line = 0;
  bool in_event = false;
  bool opened = false;
  bool closed = false;
  for (auto& [number, line] : unfolded_lines(text)) {
    // The name ends at the first ";" or ":", the value after the first ":"
    // outside a quoted parameter.
    std::size_t colon = std::string::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size() && colon == std::string::npos; ++i) {
      if (line[i] == '"') quoted = !quoted;
      if (line[i] == ':' && !quoted) colon = i;
    }
    const std::string name = upper(line.substr(0, std::min(colon, line.find(';'))));
    // Blanks after a time are no part of it ("20020107T095000 ").
    if (colon != std::string::npos && timed_property(name)) {
      while (line.size() > colon + 1 && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    }
    const std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
    const std::string begin_or_end = upper(value);
    if (!in_event && name == "BEGIN" && begin_or_end == "VEVENT") {
      in_event = true;
      event_line = number;
      event.clear();
      problem.clear();
    }
    if (!in_event) {
      opened = opened || (name == "BEGIN" && begin_or_end == "VCALENDAR");
      closed = closed || (name == "END" && begin_or_end == "VCALENDAR");
      out += line + "\r\n";
      continue;
    }
    event += line + "\r\n";
    const bool absolute_trigger = name == "TRIGGER" && !value.empty() && value[0] >= '0' && value[0] <= '9';
    if (problem.empty() && (name == "DTSTART" || absolute_trigger)) {
      const std::string why = impossible_date(value);
      if (!why.empty()) problem = "line " + std::to_string(number) + " \"" + line + "\": " + why + ", not imported";
    }
    if (name == "END" && begin_or_end == "VEVENT") {
      in_event = false;
      if (problem.empty()) {
        out += event;
      } else {
        refused.push_back(problem);
      }
    }
  }
  if (in_event) refused.push_back("line " + std::to_string(event_line) + ": the event is cut off before its end, not imported");
  if (opened && !closed) out += "END:VCALENDAR\r\n";
  return balanced(out);
}

// Alarms the import takes relative to the start: up to a year before it,
// or later on the day of an event without a time.
constexpr int kRelativeAlarmMinutes = 366 * 24 * 60;

bool relative_alarm_reads_back(std::int64_t minutes, bool all_day) {
  return (minutes <= 0 && -minutes <= kRelativeAlarmMinutes) ||
         (all_day && minutes > 0 && minutes < 24 * 60);
}

// A local date and time as UTC, the form an absolute alarm takes.
icaltimetype utc_of(const DateTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_isdst = -1;
  return icaltime_from_timet_with_zone(std::mktime(&tm), 0, icaltimezone_get_utc_timezone());
}

std::string describe(const CalendarEvent& e) {
  char b[64];
  std::snprintf(b, sizeof b, "%d/%d/%d %d:%02d ", e.year, e.month, e.day, e.hour, e.minute);
  return b + shown_text(e) + ": ";
}

// A number a tel: URI carries as it is: digits, "+", "*" and "#".
bool dialable(const std::string& number) {
  return !number.empty() && number.find_first_not_of("0123456789+*#") == std::string::npos;
}

std::string tel_uri(const std::string& number) {
  std::string uri = "tel:";
  for (char c : number) uri += c == '#' ? std::string("%23") : std::string(1, c);
  return uri;
}

// The number of a tel: URI (its parameters left off), or "".
std::string tel_number(const char* uri) {
  const std::string u = uri != nullptr ? uri : "";
  if (lower(u.substr(0, 4)) != "tel:") return {};
  std::string number;
  for (std::size_t i = 4; i < u.size() && u[i] != ';'; ++i) {
    if (u[i] == '%' && i + 2 < u.size() && std::isxdigit(static_cast<unsigned char>(u[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(u[i + 2]))) {
      number += static_cast<char>(std::strtol(u.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      number += u[i];
    }
  }
  return number;
}

// A Call note's text and number from an event: the number from a tel: URL,
// else the DESCRIPTION; the text is the SUMMARY unless that is the number.
// A file written before the text was kept apart (SUMMARY the number,
// DESCRIPTION the text, no URL) is read the same way round.
std::pair<std::string, std::string> call_text_and_number(icalcomponent* ev, const std::string& summary) {
  const char* described = icalcomponent_get_description(ev);
  std::string description = described != nullptr ? described : "";
  for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_URL_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(ev, ICAL_URL_PROPERTY)) {
    const std::string number = tel_number(icalproperty_get_url(p));
    if (!number.empty()) return {summary == number ? std::string() : summary, number};
  }
  if (dialable(summary) && !dialable(description)) return {description, summary};
  return {summary == description ? std::string() : summary, description};
}

}  // namespace

std::string export_icalendar(const std::vector<CalendarEvent>& events, bool stamp_from_start) {
  Component cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
  icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
  icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Phondeck//Telvane 3.3//EN"));
  const icaltimetype now = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
  for (std::size_t i = 0; i < events.size(); ++i) {
    const CalendarEvent& e = events[i];
    icalcomponent* ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    icalcomponent_add_property(ev, icalproperty_new_uid(stamp(e, i).c_str()));
    const DateTime start = validated(event_time(e));
    icaltimetype made = now;
    if (stamp_from_start) {
      made = ical_time(start, false);
      made = icaltime_set_timezone(&made, icaltimezone_get_utc_timezone());
    }
    icalcomponent_add_property(ev, icalproperty_new_dtstamp(made));
    icalcomponent_add_property(ev, icalproperty_new_dtstart(ical_time(start, e.all_day())));
    const int type = std::clamp(e.type, 1, 4);
    const bool call = type == static_cast<int>(EventType::Call);
    // A Call note: its text the summary (the number when it has none), the
    // number the description and a tel: URL, where calendars show them.
    const std::string& summary = call && !e.call_text.empty() ? e.call_text : e.data;
    icalcomponent_add_property(ev, icalproperty_new_summary(summary.c_str()));
    icalcomponent_add_property(ev, icalproperty_new_categories(kTypeNames[type - 1]));
    if (call && !e.data.empty()) {
      icalcomponent_add_property(ev, icalproperty_new_description(e.data.c_str()));
      if (dialable(e.data)) icalcomponent_add_property(ev, icalproperty_new_url(tel_uri(e.data).c_str()));
    }
    if (type == static_cast<int>(EventType::Birthday)) {
      icalrecurrencetype rule;
      icalrecurrencetype_clear(&rule);
      rule.freq = ICAL_YEARLY_RECURRENCE;
      icalcomponent_add_property(ev, icalproperty_new_rrule(rule));
    }
    if (e.has_alarm()) {
      // Relative to the start (the start of the day for an event without a
      // time) where the import reads it back so; else at its own date and
      // time, as a birthday's alarm in a later year is.
      DateTime from = start;
      if (e.all_day()) from.hour = from.minute = 0;
      const DateTime at = validated(alarm_time(e));
      const std::int64_t minutes = minutes_since_epoch(at) - minutes_since_epoch(from);
      icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
      icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
      icalcomponent_add_property(alarm, icalproperty_new_description(e.data.c_str()));
      icaltriggertype trigger;
      trigger.time = icaltime_null_time();
      trigger.duration = icaldurationtype_null_duration();
      if (relative_alarm_reads_back(minutes, e.all_day())) {
        trigger.duration = icaldurationtype_from_int(static_cast<int>(minutes * 60));
      } else {
        trigger.time = utc_of(at);
      }
      icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
      icalcomponent_add_component(ev, alarm);
    }
    icalcomponent_add_component(cal.get(), ev);
  }
  char* text = icalcomponent_as_ical_string_r(cal.get());
  std::string out = text != nullptr ? text : "";
  icalmemory_free_buffer(text);
  return out;
}

IcalendarImport import_icalendar(const std::string& text) {
  IcalendarImport result;
  icalerror_set_errors_are_fatal(0);
  std::vector<std::string> refused;
  Component root(icalparser_parse_string(screened(text, refused).c_str()));
  if (!root) return result;
  std::vector<icalcomponent*> vevents;
  if (icalcomponent_isa(root.get()) == ICAL_VEVENT_COMPONENT) {
    vevents.push_back(root.get());
  } else if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
    for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT); c != nullptr;
         c = icalcomponent_get_next_component(root.get(), ICAL_VEVENT_COMPONENT)) {
      vevents.push_back(c);
    }
  } else {
    return result;
  }
  result.ok = true;
  result.left_out = refused;
  result.changes = std::move(refused);
  // To-dos and journal entries: the handset's calendar holds events only.
  for (const auto& [kind, what] : {std::pair{ICAL_VTODO_COMPONENT, "a to-do"}, std::pair{ICAL_VJOURNAL_COMPONENT, "a journal entry"}}) {
    for (icalcomponent* c = icalcomponent_get_first_component(root.get(), kind); c != nullptr;
         c = icalcomponent_get_next_component(root.get(), kind)) {
      const char* summary = icalcomponent_get_summary(c);
      result.left_out.push_back(std::string(what) + " \"" + (summary != nullptr ? summary : "") +
                                "\": the phone's calendar holds events only, not imported");
    }
  }
  for (icalcomponent* ev : vevents) {
    CalendarEvent e;
    std::vector<std::string> changed;
    const char* summary = icalcomponent_get_summary(ev);
    const std::string data = summary != nullptr ? summary : "";
    if (icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY) == nullptr) {
      result.changes.push_back(data + ": no start date, not imported");
      result.left_out.push_back(result.changes.back());
      continue;
    }
    const icaltimetype start = local(icalcomponent_get_dtstart(ev));
    const DateTime when =
        validated({start.year, start.month, start.day, start.is_date ? 23 : start.hour, start.is_date ? 59 : start.minute});
    e.year = when.year;
    e.month = when.month;
    e.day = when.day;
    e.hour = when.hour;
    e.minute = when.minute;

    int type = 0;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_CATEGORIES_PROPERTY); p != nullptr && type == 0;
         p = icalcomponent_get_next_property(ev, ICAL_CATEGORIES_PROPERTY)) {
      const char* value = icalproperty_get_categories(p);
      const std::string cats = lower(value != nullptr ? value : "");
      for (int t = 4; t >= 1 && type == 0; --t) {
        if (cats.find(lower(kTypeNames[t - 1])) != std::string::npos) type = t;
      }
    }
    if (icalproperty* r = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY)) {
      const icalrecurrencetype rule = icalproperty_get_rrule(r);
      if (rule.freq == ICAL_YEARLY_RECURRENCE) {
        if (type != static_cast<int>(EventType::Birthday)) changed.push_back("yearly event kept as a birthday");
        type = static_cast<int>(EventType::Birthday);
      } else {
        changed.push_back("repeats are not kept, a single note");
        if (type == static_cast<int>(EventType::Birthday)) type = static_cast<int>(EventType::Reminder);
      }
    } else if (type == static_cast<int>(EventType::Birthday)) {
      // A birthday recurs on the handset whatever the file says.
    }
    if (type == 0) {
      type = e.all_day() ? static_cast<int>(EventType::Reminder) : static_cast<int>(EventType::Meeting);
      changed.push_back(std::string("no note type, kept as ") + kTypeNames[type - 1]);
    }
    e.type = type;
    bool cut = false;
    if (type == static_cast<int>(EventType::Call)) {
      const auto [whom, number] = call_text_and_number(ev, data);
      e.data = cut_note_text(number);
      e.call_text = cut_note_text(whom, kNoteTextLimit - note_text_bytes(e.data).size());
      cut = e.data != number || e.call_text != whom;
    } else {
      e.data = cut_note_text(data);
      cut = e.data != data;
    }
    if (cut) changed.insert(changed.begin(), "text cut to " + std::to_string(kNoteTextLimit) + " bytes");

    if (icalcomponent* alarm = icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT)) {
      if (icalproperty* p = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY)) {
        const icaltriggertype trigger = icalproperty_get_trigger(p);
        DateTime at;
        if (!icaltime_is_null_time(trigger.time)) {
          const icaltimetype t = local(trigger.time);
          at = validated({t.year, t.month, t.day, t.is_date ? 0 : t.hour, t.is_date ? 0 : t.minute});
        } else {
          DateTime from = event_time(e);
          if (e.all_day()) from.hour = from.minute = 0;
          const int seconds = icaldurationtype_as_int(trigger.duration);
          // Only alarms up to a year either side are taken.
          const int minutes =
              std::clamp(seconds / 60, -kRelativeAlarmMinutes, kRelativeAlarmMinutes);
          if (minutes <= 0) {
            at = minutes_before(from, -minutes);
          } else if (e.all_day() && minutes < 24 * 60) {
            at = minutes_before(from, -minutes);  // during the day of an event without a time
          } else {
            at = validated(from);
            changed.push_back("alarm after the start moved to the start");
          }
        }
        e.alarm_year = at.year;
        e.alarm_month = at.month;
        e.alarm_day = at.day;
        e.alarm_hour = at.hour;
        e.alarm_minute = at.minute;
      }
    }
    for (const std::string& c : changed) result.changes.push_back(describe(e) + c);
    result.events.push_back(std::move(e));
  }
  return result;
}

}  // namespace phondeck
