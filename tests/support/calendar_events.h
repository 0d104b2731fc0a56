#pragma once
// A calendar event with the fields the tests set, the alarm off; an alarm
// and a Call note's text put on one.
#include <string>
#include <utility>

#include "organiser/calendar_list.h"

namespace phondeck::testing {

inline CalendarEvent event(int y, int mo, int d, int h, int mi, int type, std::string text) {
  CalendarEvent e;
  e.year = y;
  e.month = mo;
  e.day = d;
  e.hour = h;
  e.minute = mi;
  e.type = type;
  e.data = std::move(text);
  return e;
}

inline CalendarEvent with_alarm(CalendarEvent e, int y, int mo, int d, int h, int mi) {
  e.alarm_year = y;
  e.alarm_month = mo;
  e.alarm_day = d;
  e.alarm_hour = h;
  e.alarm_minute = mi;
  return e;
}

inline CalendarEvent call_note(CalendarEvent e, std::string text) {
  e.call_text = std::move(text);
  return e;
}

}  // namespace phondeck::testing
