#include "organiser/calendar_list.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <tuple>

#include "app/code_page.h"

namespace phondeck {

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

namespace {

// Days from 1 January of year 1 (civil calendar, any year).
std::int64_t days_since_epoch(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 306 - 365;  // day 0 = 0001-01-01
}

}  // namespace

std::int64_t minutes_since_epoch(const DateTime& t) {
  return (days_since_epoch(t.year, t.month, t.day) * 24 + t.hour) * 60 + t.minute;
}

DateTime minutes_before(const DateTime& t, int minutes) {
  DateTime r = t;
  int of_day = t.hour * 60 + t.minute - minutes;
  while (of_day < 0) {
    of_day += 24 * 60;
    if (--r.day < 1) {
      if (--r.month < 1) {
        r.month = 12;
        --r.year;
      }
      r.day = days_in_month(r.year, r.month);
    }
  }
  while (of_day >= 24 * 60) {
    of_day -= 24 * 60;
    if (++r.day > days_in_month(r.year, r.month)) {
      r.day = 1;
      if (++r.month > 12) {
        r.month = 1;
        ++r.year;
      }
    }
  }
  if (r.year < 1) return DateTime{1, 1, 1, 0, 0};
  r.hour = of_day / 60;
  r.minute = of_day % 60;
  return r;
}

std::string shown_text(const CalendarEvent& e) {
  if (e.type != static_cast<int>(EventType::Call) || e.call_text.empty()) return e.data;
  return e.data.empty() ? e.call_text : e.call_text + " " + e.data;
}

DateTime event_time(const CalendarEvent& e) { return {e.year, e.month, e.day, e.hour, e.minute}; }

DateTime alarm_time(const CalendarEvent& e) {
  return {e.alarm_year, e.alarm_month, e.alarm_day, e.alarm_hour, e.alarm_minute};
}

DateTime validated(DateTime t) {
  t.year = std::clamp(t.year, 1, 60000);
  t.month = std::clamp(t.month, 1, 12);
  t.day = std::clamp(t.day, 1, 31);
  while (t.day > days_in_month(t.year, t.month)) --t.day;
  t.hour = std::clamp(t.hour, 0, 23);
  t.minute = std::clamp(t.minute, 0, 59);
  return t;
}

int field_value(const std::string& text) {
  std::size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return 0;
  const std::size_t end = text.find_last_not_of(' ') + 1;
  long long value = 0;
  const char* first = text.data() + start;
  const char* last = text.data() + end;
  if (*first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) return *first == '-' ? INT_MIN : INT_MAX;
  if (ec != std::errc() || ptr != last) return 0;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int before_minutes(AlarmBefore before) {
  switch (before) {
    case AlarmBefore::TenMinutes: return 10;
    case AlarmBefore::ThirtyMinutes: return 30;
    case AlarmBefore::OneHour: return 60;
    default: return 0;
  }
}

AlarmBefore before_of(const CalendarEvent& e) {
  if (!e.has_alarm()) return AlarmBefore::UserDefined;
  const std::int64_t distance = minutes_since_epoch(event_time(e)) - minutes_since_epoch(alarm_time(e));
  for (AlarmBefore b : {AlarmBefore::TenMinutes, AlarmBefore::ThirtyMinutes, AlarmBefore::OneHour}) {
    if (distance == before_minutes(b)) return b;
  }
  return AlarmBefore::UserDefined;
}

void apply_before(CalendarEvent& e, AlarmBefore before) {
  if (e.alarm_year == 0) e.alarm_year = e.year;
  if (before == AlarmBefore::UserDefined || e.all_day()) return;
  const DateTime a = minutes_before(event_time(e), before_minutes(before));
  e.alarm_year = a.year;
  e.alarm_month = a.month;
  e.alarm_day = a.day;
  e.alarm_hour = a.hour;
  e.alarm_minute = a.minute;
}

namespace {

// One character as the handset gets it, in the code page or as UCS-2.
bool code_page_holds(const std::string& utf8) {
  return from_code_page(to_code_page(utf8)) == utf8;
}

}  // namespace

std::string cut_note_text(const std::string& utf8, std::size_t limit) {
  const bool ucs2 = !code_page_holds(utf8);
  std::size_t used = ucs2 ? 2 : 0;
  std::string out;
  for (char32_t c : utf8_to_code_points(utf8)) {
    std::string one;
    append_utf8(one, c);
    const std::size_t bytes = ucs2 ? utf8_to_ucs2be(one).size() : to_code_page(one).size();
    if (used + bytes > limit) break;
    used += bytes;
    out += one;
  }
  return out;
}

std::string note_text_bytes(const std::string& utf8, std::size_t limit) {
  const std::string cut = cut_note_text(utf8, limit);
  if (code_page_holds(cut)) return to_code_page(cut);
  return std::string("\x04\xFF", 2) + utf8_to_ucs2be(cut);
}

void CalendarList::remove(const std::set<std::size_t>& positions) {
  std::vector<CalendarEvent> kept;
  for (std::size_t i = 0; i < events_.size(); ++i) {
    if (!positions.contains(i)) kept.push_back(std::move(events_[i]));
  }
  events_ = std::move(kept);
}

void CalendarList::sort_and_collapse() {
  auto key = [](const CalendarEvent& e) { return std::tie(e.year, e.month, e.day, e.hour, e.minute, e.type); };
  std::stable_sort(events_.begin(), events_.end(),
                   [&](const CalendarEvent& a, const CalendarEvent& b) { return key(a) < key(b); });
  std::vector<CalendarEvent> kept;
  for (CalendarEvent& e : events_) {
    // Equal keys are neighbours after the sort; look back over them.
    bool repeat = false;
    for (auto it = kept.rbegin(); it != kept.rend() && key(*it) == key(e); ++it) {
      if (it->data == e.data && it->call_text == e.call_text) {
        repeat = true;
        break;
      }
    }
    if (!repeat) kept.push_back(std::move(e));
  }
  events_ = std::move(kept);
}

std::set<int> CalendarList::bold_days(int year, int month) const {
  std::set<int> days;
  for (const CalendarEvent& e : events_) {
    if (on_date(e, year, month, e.day)) days.insert(e.day);
  }
  return days;
}

bool CalendarList::on_date(const CalendarEvent& e, int year, int month, int day) {
  return e.month == month && e.day == day && (e.type == static_cast<int>(EventType::Birthday) || e.year == year);
}

}  // namespace phondeck
