#pragma once
// iCalendar (.ics) export and import of the calendar list, through libical.
// Each event is a VEVENT: DTSTART (a DATE for an event without a time of
// day), SUMMARY, a VALARM for an alarm, CATEGORIES naming the note type and
// RRULE:FREQ=YEARLY for a birthday.
#include <string>
#include <vector>

#include "organiser/calendar_list.h"

namespace phondeck {

// Each event's DTSTAMP is the time of the export, or with `stamp_from_start`
// its own start, so that the same notes always give the same text.
std::string export_icalendar(const std::vector<CalendarEvent>& events, bool stamp_from_start = false);

struct IcalendarImport {
  bool ok = false;                      // the text was an iCalendar object
  std::vector<CalendarEvent> events;    // as the handset can hold them
  std::vector<std::string> changes;     // one line per event that had to change
  // One line per event or other entry of the file that was not taken, with
  // why (also among `changes`).
  std::vector<std::string> left_out;
};

// What the handset cannot hold is turned into the nearest note: an event
// without a time of day is kept at 23:59, a recurrence other than a yearly
// one becomes a single note (a yearly one a birthday), a relative alarm is
// made absolute, and the text is cut to what a note carries.
IcalendarImport import_icalendar(const std::string& text);

}  // namespace phondeck
