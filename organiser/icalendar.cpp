#include "organiser/icalendar.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <utility>

#include <libical/ical.h>

#include "app/sha256.h"

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
// libical writes no time after the year 3000 (a null 00000000T000000
// instead): notes and alarms later than 2999 go out, and come in, on
// 31 December 2999, so that an end a day later can still be written.
constexpr int kLatestYear = 2999;

// The event with its start and alarm no later than kLatestYear; `moved`
// tells whether either had to move.
CalendarEvent within_written_years(CalendarEvent e, bool* moved = nullptr) {
  bool any = false;
  auto clamp = [&any](int& year, int& month, int& day) {
    if (year <= kLatestYear) return;
    year = kLatestYear;
    month = 12;
    day = 31;
    any = true;
  };
  clamp(e.year, e.month, e.day);
  if (e.has_alarm()) clamp(e.alarm_year, e.alarm_month, e.alarm_day);
  if (moved != nullptr) *moved = any;
  return e;
}

bool relative_alarm_reads_back(std::int64_t minutes, bool all_day) {
  return (minutes <= 0 && -minutes <= kRelativeAlarmMinutes) ||
         (all_day && minutes > 0 && minutes < 24 * 60);
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

constexpr const char* kAlarmProperty = "X-PHONDECK-ALARM";

// The zone times are written in or read into: libical's zone of an IANA
// name, UTC, or none (floating).
struct Zone {
  std::string name;                    // "" floating
  const icaltimezone* zone = nullptr;  // null for UTC and floating
  bool utc = false;
};

Zone zone_named(const std::string& name) {
  static constexpr const char* kUtc[] = {"UTC", "Etc/UTC", "UCT", "Etc/UCT", "Universal", "Etc/Universal", "Zulu",
                                         "Etc/Zulu", "GMT", "Etc/GMT", "GMT0", "Etc/GMT0", "Greenwich", "Etc/Greenwich"};
  if (name.empty()) return {};
  if (std::ranges::any_of(kUtc, [&](const char* n) { return name == n; })) return {name, nullptr, true};
  if (name.find("..") != std::string::npos || name[0] == '/') return {};
  const icaltimezone* zone = icaltimezone_get_builtin_timezone(name.c_str());
  return zone != nullptr ? Zone{name, zone, false} : Zone{};
}

// A wall-clock time as iCalendar writes a floating one.
std::string wall_text(const DateTime& t) {
  char b[64];
  std::snprintf(b, sizeof b, "%04d%02d%02dT%02d%02d00", t.year, t.month, t.day, t.hour, t.minute);
  return b;
}

std::optional<DateTime> wall_of(const char* text) {
  const std::string v = text != nullptr ? text : "";
  if (v.size() != 15 || !impossible_date(v).empty()) return std::nullopt;
  const int number = std::atoi(v.substr(0, 8).c_str());
  const int time = std::atoi(v.substr(9, 4).c_str());
  return DateTime{number / 10000, number / 100 % 100, number % 100, time / 100, time % 100};
}

// Seconds since 1970 of a wall-clock time in the zone (floating: the
// computer's own).
std::int64_t instant(const DateTime& t, const Zone& zone) {
  icaltimetype v = ical_time(t, false);
  if (zone.utc) return icaltime_as_timet_with_zone(v, icaltimezone_get_utc_timezone());
  if (zone.zone != nullptr) return icaltime_as_timet_with_zone(v, zone.zone);
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

// A timed note's end, `length` minutes of real time after its start. A
// start in the hour a change to summer time skips is one readers move on
// by the time skipped; its end moves with it.
DateTime end_of(const DateTime& start, int length, const Zone& zone) {
  if (zone.zone == nullptr) return minutes_before(start, -length);
  auto wall_at = [&](std::int64_t seconds) {
    const icaltimetype t = icaltime_from_timet_with_zone(static_cast<time_t>(seconds), 0, zone.zone);
    return DateTime{t.year, t.month, t.day, t.hour, t.minute};
  };
  const std::int64_t at = instant(start, zone);
  const std::int64_t skipped = minutes_since_epoch(start) - minutes_since_epoch(wall_at(at));
  return wall_at(at + (std::max<std::int64_t>(skipped, 0) + length) * 60);
}

// A DTSTART or DTEND at a wall-clock time in the zone.
icalproperty* zoned_property(icalproperty* (*make)(icaltimetype), const DateTime& t, const Zone& zone) {
  icaltimetype v = ical_time(t, false);
  if (zone.utc) v = icaltime_set_timezone(&v, icaltimezone_get_utc_timezone());
  icalproperty* p = make(v);
  if (zone.zone != nullptr) icalproperty_add_parameter(p, icalparameter_new_tzid(zone.name.c_str()));
  return p;
}

// A Call note names whom to call and the number beside it.
std::string summary_of(const CalendarEvent& e) {
  if (std::clamp(e.type, 1, 4) != static_cast<int>(EventType::Call)) return e.data;
  const std::string& whom = e.call_text.empty() ? e.data : e.call_text;
  std::string summary = whom.empty() ? "Call" : "Call " + whom;
  if (!e.call_text.empty() && !e.data.empty()) summary += " (" + e.data + ")";
  return summary;
}

// The same note of the same handset has the same UID in every export.
std::string unique_uid(const CalendarEvent& e, const std::string& seed, std::set<std::string>& taken) {
  const std::string key =
      seed + '\n' + std::to_string(e.type) + '\n' + wall_text(event_time(e)) + '\n' + e.data + '\n' + e.call_text;
  std::string uid = sha256_hex(key).substr(0, 32) + "@phondeck";
  for (int n = 2; !taken.insert(uid).second; ++n) uid = sha256_hex(key + '\n' + std::to_string(n)).substr(0, 32) + "@phondeck";
  return uid;
}

// What an alarm is relative to: the start (the start of the day for a note
// without a time); for a birthday its day in the year nearest the alarm, on
// the day or before it, as the alarm rings each year.
DateTime alarm_anchor(const CalendarEvent& e) {
  DateTime from = validated(event_time(e));
  if (e.all_day()) from.hour = from.minute = 0;
  if (std::clamp(e.type, 1, 4) != static_cast<int>(EventType::Birthday)) return from;
  const DateTime at = validated(alarm_time(e));
  DateTime best = from;
  std::int64_t nearest = -1;
  for (int year = at.year - 1; year <= at.year + 1; ++year) {
    if (year < 1 || (from.month == 2 && from.day == 29 && !is_leap_year(year))) continue;
    DateTime day = from;
    day.year = year;
    const std::int64_t minutes = minutes_since_epoch(at) - minutes_since_epoch(day);
    if (relative_alarm_reads_back(minutes, e.all_day()) && (nearest < 0 || std::abs(minutes) < nearest)) {
      best = day;
      nearest = std::abs(minutes);
    }
  }
  return best;
}

// The alarm's TRIGGER: relative to its anchor where that reads back (in
// real seconds for a timed note in a zone, across a change of summer time),
// else at its own time in UTC.
icaltriggertype trigger_of(const CalendarEvent& e, const Zone& zone) {
  const DateTime at = validated(alarm_time(e));
  const DateTime from = alarm_anchor(e);
  const std::int64_t minutes = minutes_since_epoch(at) - minutes_since_epoch(from);
  icaltriggertype trigger;
  trigger.time = icaltime_null_time();
  trigger.duration = icaldurationtype_null_duration();
  if (relative_alarm_reads_back(minutes, e.all_day())) {
    const std::int64_t seconds = zone.zone != nullptr && !e.all_day() ? instant(at, zone) - instant(from, zone) : minutes * 60;
    trigger.duration = icaldurationtype_from_int(static_cast<int>(seconds));
  } else {
    trigger.time = icaltime_from_timet_with_zone(instant(at, zone), 0, icaltimezone_get_utc_timezone());
  }
  return trigger;
}

bool same_trigger(const icaltriggertype& a, const icaltriggertype& b) {
  const bool relative = icaltime_is_null_time(a.time);
  if (relative != icaltime_is_null_time(b.time)) return false;
  if (relative) return icaldurationtype_as_int(a.duration) == icaldurationtype_as_int(b.duration);
  return icaltime_as_timet_with_zone(a.time, a.time.zone) == icaltime_as_timet_with_zone(b.time, b.time.zone);
}

const char* tzid_of(icalproperty* p) {
  icalparameter* tzid = p != nullptr ? icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER) : nullptr;
  return tzid != nullptr ? icalparameter_get_tzid(tzid) : nullptr;
}

// The zone a parsed time is in.
Zone zone_of(const icaltimetype& t, const char* tzid) {
  if (t.is_date || t.zone == nullptr) return {};
  if (icaltime_is_utc(t)) return {"UTC", nullptr, true};
  return {tzid != nullptr ? tzid : "", t.zone, false};
}

// A parsed time as the wall-clock time of the user's zone: a floating time
// and one in that zone as they are, any other converted.
icaltimetype wall(icaltimetype t, const char* tzid, const Zone& user) {
  if (t.is_date || t.zone == nullptr) return t;
  const bool utc = icaltime_is_utc(t);
  const std::string id = tzid != nullptr ? tzid : "";
  const bool same = utc ? user.utc
                        : !user.name.empty() && !user.utc &&
                              (id == user.name || (id.size() > user.name.size() && id.ends_with("/" + user.name)));
  if (!same && user.utc) {
    t = icaltime_convert_to_zone(t, icaltimezone_get_utc_timezone());
  } else if (!same && user.zone != nullptr) {
    t = icaltime_convert_to_zone(t, const_cast<icaltimezone*>(user.zone));
  } else if (!same) {
    return local(t);
  }
  t.zone = nullptr;
  return t;
}

// A text without the characters libical's writer leaves out (backspace,
// form feed, carriage return) and without the blanks at either end that
// its parser drops, so that a note reads back as it goes out.
std::string written_text(std::string text) {
  std::erase_if(text, [](char c) { return c == '\b' || c == '\f' || c == '\r'; });
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\n'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
  return text;
}

// A text cut to what a note carries, without the blanks a cut may leave at
// its end (the parser drops them from a value, as the handset does).
std::string cut_text(const std::string& text, std::size_t limit = kNoteTextLimit) {
  std::string cut = cut_note_text(text, limit);
  if (cut.size() == text.size()) return cut;
  while (!cut.empty() && (cut.back() == ' ' || cut.back() == '\t')) cut.pop_back();
  return cut;
}

// A Call note's text and number from an event: the number from a tel: URL,
// else the DESCRIPTION; the text is the SUMMARY unless that is the number.
// A file written before the text was kept apart (SUMMARY the number,
// DESCRIPTION the text, no URL) is read the same way round.
std::pair<std::string, std::string> call_text_and_number(icalcomponent* ev, const std::string& summary) {
  const char* described = icalcomponent_get_description(ev);
  std::string description = described != nullptr ? described : "";
  std::string number;
  for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_URL_PROPERTY); p != nullptr && number.empty();
       p = icalcomponent_get_next_property(ev, ICAL_URL_PROPERTY)) {
    number = tel_number(icalproperty_get_url(p));
  }
  const bool from_url = !number.empty();
  if (!from_url) number = description;
  // "Call <text> (<number>)", "Call <number>", "Call <text>" without a
  // number, "Call" without either.
  if (summary == "Call") return {std::string(), number};
  if (summary.rfind("Call ", 0) == 0) {
    const std::string rest = summary.substr(5);
    const std::string beside = " (" + number + ")";
    if (!number.empty() && rest.size() > beside.size() && rest.ends_with(beside)) {
      return {rest.substr(0, rest.size() - beside.size()), number};
    }
    if (rest == number) return {std::string(), number};
    if (number.empty()) return {rest, number};
  }
  if (from_url) return {summary == number ? std::string() : summary, number};
  if (dialable(summary) && !dialable(description)) return {description, summary};
  return {summary == description ? std::string() : summary, description};
}

}  // namespace

std::string export_icalendar(const std::vector<CalendarEvent>& events, const IcalendarOptions& options) {
  const Zone zone = options.floating ? Zone{} : zone_named(options.time_zone.empty() ? local_time_zone_id() : options.time_zone);
  Component cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
  icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
  icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Phondeck//Telvane 3.3//EN"));
  const icaltimetype now = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
  // The zone's VTIMEZONE under its IANA name, which every reader knows,
  // before the events that use it.
  if (zone.zone != nullptr && std::ranges::any_of(events, [](const CalendarEvent& e) { return !e.all_day(); })) {
    icalcomponent* vtimezone = icalcomponent_new_clone(icaltimezone_get_component(const_cast<icaltimezone*>(zone.zone)));
    if (icalproperty* tzid = icalcomponent_get_first_property(vtimezone, ICAL_TZID_PROPERTY)) {
      icalproperty_set_tzid(tzid, zone.name.c_str());
    }
    icalcomponent_add_component(cal.get(), vtimezone);
  }
  std::set<std::string> uids;
  for (const CalendarEvent& note : events) {
    const CalendarEvent e = within_written_years(note);
    icalcomponent* ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    icalcomponent_add_property(ev, icalproperty_new_uid(unique_uid(e, options.uid_seed, uids).c_str()));
    const DateTime start = validated(event_time(e));
    icaltimetype made = now;
    if (options.stamp_from_start) {
      made = ical_time(start, false);
      made = icaltime_set_timezone(&made, icaltimezone_get_utc_timezone());
    }
    icalcomponent_add_property(ev, icalproperty_new_dtstamp(made));
    const int type = std::clamp(e.type, 1, 4);
    if (e.all_day()) {
      icalcomponent_add_property(ev, icalproperty_new_dtstart(ical_time(start, true)));
      const DateTime next = minutes_before(start, -24 * 60);
      icalcomponent_add_property(ev, icalproperty_new_dtend(ical_time(next, true)));
    } else {
      // The handset holds no end: an hour for a meeting, a quarter of an
      // hour for a call or a timed reminder, as calendars show them.
      const int length = type == static_cast<int>(EventType::Meeting) ? 60 : 15;
      icalcomponent_add_property(ev, zoned_property(icalproperty_new_dtstart, start, zone));
      icalcomponent_add_property(ev, zoned_property(icalproperty_new_dtend, end_of(start, length, zone), zone));
    }
    const std::string summary = summary_of(e);
    icalcomponent_add_property(ev, icalproperty_new_summary(summary.c_str()));
    icalcomponent_add_property(ev, icalproperty_new_categories(kTypeNames[type - 1]));
    if (type == static_cast<int>(EventType::Call) && !e.data.empty()) {
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
      icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
      icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
      icalcomponent_add_property(alarm, icalproperty_new_description(summary.c_str()));
      icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger_of(e, zone)));
      icalproperty* held = icalproperty_new_x(wall_text(validated(alarm_time(e))).c_str());
      icalproperty_set_x_name(held, kAlarmProperty);
      icalcomponent_add_property(alarm, held);
      icalcomponent_add_component(ev, alarm);
    }
    icalcomponent_add_component(cal.get(), ev);
  }
  char* text = icalcomponent_as_ical_string_r(cal.get());
  std::string out = text != nullptr ? text : "";
  icalmemory_free_buffer(text);
  return out;
}

std::string export_icalendar(const std::vector<CalendarEvent>& events, bool stamp_from_start) {
  IcalendarOptions options;
  options.stamp_from_start = stamp_from_start;
  return export_icalendar(events, options);
}

std::string local_time_zone_id() {
  auto known = [](std::string name) {
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
    if (!name.empty() && name[0] == ':') name.erase(0, 1);
    // A path into the zone files names the zone after "zoneinfo/" (and its
    // "posix/" or "right/" copies).
    if (const std::size_t at = name.find("zoneinfo/"); at != std::string::npos) name.erase(0, at + 9);
    for (const char* copy : {"posix/", "right/"}) {
      if (name.rfind(copy, 0) == 0) name.erase(0, std::string(copy).size());
    }
    return zone_named(name).name.empty() ? std::string() : name;
  };
  if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0') return known(tz);
  std::ifstream file("/etc/timezone");
  std::string line;
  if (file && std::getline(file, line) && !known(line).empty()) return known(line);
  std::error_code error;
  const std::filesystem::path link = std::filesystem::read_symlink("/etc/localtime", error);
  return error ? std::string() : known(link.string());
}

IcalendarImport import_icalendar(const std::string& text, const std::string& time_zone) {
  IcalendarImport result;
  const Zone user = zone_named(time_zone.empty() ? local_time_zone_id() : time_zone);
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
    const std::string data = written_text(summary != nullptr ? summary : "");
    if (icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY) == nullptr) {
      result.changes.push_back(data + ": no start date, not imported");
      result.left_out.push_back(result.changes.back());
      continue;
    }
    icalproperty* dtstart = icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY);
    const icaltimetype zoned_start = icalcomponent_get_dtstart(ev);
    const icaltimetype start = wall(zoned_start, tzid_of(dtstart), user);
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
      const auto [any_whom, any_number] = call_text_and_number(ev, data);
      const std::string whom = written_text(any_whom), number = written_text(any_number);
      e.data = cut_text(number);
      e.call_text = cut_text(whom, kNoteTextLimit - note_text_bytes(e.data).size());
      cut = e.data != number || e.call_text != whom;
    } else {
      e.data = cut_text(data);
      cut = e.data != data;
    }
    if (cut) changed.insert(changed.begin(), "text cut to " + std::to_string(kNoteTextLimit) + " bytes");

    if (icalcomponent* alarm = icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT)) {
      if (icalproperty* p = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY)) {
        const icaltriggertype trigger = icalproperty_get_trigger(p);
        DateTime at;
        // The alarm as the handset held it, when the trigger still says
        // the same (another program may have moved the one and kept the
        // other): a wall-clock time in the start's zone.
        std::optional<DateTime> held;
        for (icalproperty* x = icalcomponent_get_first_property(alarm, ICAL_X_PROPERTY); x != nullptr && !held;
             x = icalcomponent_get_next_property(alarm, ICAL_X_PROPERTY)) {
          const char* name = icalproperty_get_x_name(x);
          if (name != nullptr && upper(name) == kAlarmProperty) held = wall_of(icalproperty_get_x(x));
        }
        if (held) {
          CalendarEvent as_held = e;
          as_held.year = zoned_start.year;
          as_held.month = zoned_start.month;
          as_held.day = zoned_start.day;
          as_held.hour = zoned_start.is_date ? 23 : zoned_start.hour;
          as_held.minute = zoned_start.is_date ? 59 : zoned_start.minute;
          as_held.alarm_year = held->year;
          as_held.alarm_month = held->month;
          as_held.alarm_day = held->day;
          as_held.alarm_hour = held->hour;
          as_held.alarm_minute = held->minute;
          const Zone zone = zoned_start.is_date ? user : zone_of(zoned_start, tzid_of(dtstart));
          if (!same_trigger(trigger_of(as_held, zone), trigger)) held.reset();
        }
        if (held && !zoned_start.is_date && zoned_start.zone != nullptr) {
          icaltimetype t = ical_time(*held, false);
          t.zone = zoned_start.zone;
          t = wall(t, tzid_of(dtstart), user);
          at = validated({t.year, t.month, t.day, t.hour, t.minute});
        } else if (held) {
          at = *held;
        } else if (!icaltime_is_null_time(trigger.time)) {
          const icaltimetype t = wall(trigger.time, tzid_of(p), user);
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
    bool moved = false;
    e = within_written_years(e, &moved);
    if (moved) changed.push_back("after 2999, moved to 31 December 2999");
    for (const std::string& c : changed) result.changes.push_back(describe(e) + c);
    result.events.push_back(std::move(e));
  }
  return result;
}

}  // namespace phondeck
