#pragma once
// The calendar: events as the handset's calendar notes hold them, the list
// the Calendar window shows, and the date and time arithmetic the window and
// the event editor share (validation, the alarm before an event).
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace phondeck {

enum class EventType { Reminder = 1, Call = 2, Meeting = 3, Birthday = 4 };

// One calendar event. The time 23:59 marks an event without a time of day;
// alarm_year 0 means no alarm (the other alarm fields are then 0 as well, or
// left as they were after the alarm was switched off in the editor).
struct CalendarEvent {
  std::string index = "new";  // the handset location it was read from, or "new"
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 23;
  int minute = 59;
  int type = 1;               // EventType as a number, 1..4
  std::string data;           // subject, phone number (Call) or name (Birthday); UTF-8
  std::string call_text;      // a Call note's text beside its number (whom to call)
  int alarm_year = 0;
  int alarm_month = 0;
  int alarm_day = 0;
  int alarm_hour = 0;
  int alarm_minute = 0;

  bool has_alarm() const { return alarm_year != 0; }
  bool all_day() const { return hour == 23 && minute == 59; }
  bool operator==(const CalendarEvent&) const = default;
};

// A date and time to the minute, for the arithmetic below.
struct DateTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  bool operator==(const DateTime&) const = default;
};

bool is_leap_year(int year);
int days_in_month(int year, int month);
// Minutes from 1 January of year 1, 00:00 (proleptic Gregorian calendar).
std::int64_t minutes_since_epoch(const DateTime& t);
// The time `minutes` before t (after it for a negative count), across
// midnight, month and year ends. A result before year 1 stays at 1 January
// of year 1, 00:00.
DateTime minutes_before(const DateTime& t, int minutes);

// What the list shows of an event: its data; for a Call note its text,
// then its number.
std::string shown_text(const CalendarEvent& e);

DateTime event_time(const CalendarEvent& e);
DateTime alarm_time(const CalendarEvent& e);

// The editor's field validation: each field clamped to its range (Year
// 1..60000), then the day lowered until the date exists.
DateTime validated(DateTime t);
// A field's text as the editor reads it: non-numeric text counts as 0, and
// a number beyond int range counts as the nearest end.
int field_value(const std::string& text);

// How far before the event the alarm rings, as the editor offers it.
enum class AlarmBefore { UserDefined = 0, TenMinutes = 1, ThirtyMinutes = 2, OneHour = 3 };
int before_minutes(AlarmBefore before);  // 0 for UserDefined
// The choice matching the distance between event and alarm; UserDefined when
// none does.
AlarmBefore before_of(const CalendarEvent& e);
// Sets the alarm to the event time less the chosen distance; an event at
// 23:59 or a user-defined distance leaves it as it is. An alarm year of 0
// first takes the event's year.
void apply_before(CalendarEvent& e, AlarmBefore before);

// Event texts go to the handset as at most this many bytes (a Call note's
// text and number together).
inline constexpr std::size_t kNoteTextLimit = 229;
// The bytes a text is written as: the active code page when it holds every
// character, else 0x04 0xFF and UCS-2 big-endian. Cut to whole characters
// within `limit` bytes.
std::string note_text_bytes(const std::string& utf8, std::size_t limit = kNoteTextLimit);
// The longest start of the text that note_text_bytes() writes whole.
std::string cut_note_text(const std::string& utf8, std::size_t limit = kNoteTextLimit);

class CalendarList {
 public:
  const std::vector<CalendarEvent>& events() const { return events_; }
  std::size_t size() const { return events_.size(); }
  bool empty() const { return events_.empty(); }
  const CalendarEvent& at(std::size_t i) const { return events_.at(i); }
  CalendarEvent& at(std::size_t i) { return events_.at(i); }

  void append(CalendarEvent e) { events_.push_back(std::move(e)); }
  void clear() { events_.clear(); }
  void replace(std::vector<CalendarEvent> events) { events_ = std::move(events); }
  // Removes the events at these positions (any order, repeats allowed).
  void remove(const std::set<std::size_t>& positions);

  // Sorted by date, time and type (as numbers, stable), then every event
  // equal to an earlier one in date, time, type and text (a Call note's
  // text and number) removed.
  void sort_and_collapse();

  // The days of a month with an event on them: events of that year, and
  // birthdays of any year.
  std::set<int> bold_days(int year, int month) const;
  // Does the event fall on this date (a birthday in any year)?
  static bool on_date(const CalendarEvent& e, int year, int month, int day);

 private:
  std::vector<CalendarEvent> events_;
};

}  // namespace phondeck
