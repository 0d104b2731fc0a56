#pragma once
// A calendar event with the fields the tests set, the alarm off.
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

}  // namespace phondeck::testing
