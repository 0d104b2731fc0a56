#pragma once
// iCalendar (.ics) export and import of the calendar list, through libical.
// Each note is a self-contained VEVENT with a stable UID and CATEGORIES
// naming its type:
// - a note without a time of day (23:59; the handset's Reminders and
//   Birthdays) is all-day: DTSTART;VALUE=DATE and DTEND the next day;
// - a timed note is DTSTART;TZID=<zone> (its VTIMEZONE in the calendar),
//   or in UTC, or floating without a zone, with a DTEND an hour later for a
//   Meeting and a quarter of an hour for the other notes;
// - a Birthday repeats yearly (RRULE:FREQ=YEARLY);
// - a Call note's SUMMARY is "Call <text> (<number>)" ("Call <number>"
//   without a text), its number also the DESCRIPTION and a tel: URL;
// - an alarm is a VALARM (ACTION:DISPLAY, DESCRIPTION the SUMMARY) with a
//   TRIGGER relative to the start (for a birthday, to its day in the year
//   the alarm rings), or an absolute one in UTC when no relative one reads
//   back, and X-PHONDECK-ALARM: the handset's own alarm date and time.
#include <string>
#include <vector>

#include "organiser/calendar_list.h"

namespace phondeck {

struct IcalendarOptions {
  // Each event's DTSTAMP is its own start rather than the time of the
  // export: the same notes give the same text.
  bool stamp_from_start = false;
  // The zone the handset's wall-clock times are in, an IANA name
  // ("Europe/Helsinki"); "" the user's own (local_time_zone_id()). A UTC
  // zone ("UTC", "Etc/UTC") writes UTC times; an unknown one floating times.
  std::string time_zone;
  // Floating times whatever the zone: the notes as the handset holds them,
  // read back the same on a computer in any zone (the backup).
  bool floating = false;
  // The handset's IMEI: UIDs stay the same across exports of one handset.
  std::string uid_seed;
};

std::string export_icalendar(const std::vector<CalendarEvent>& events, const IcalendarOptions& options);
// The user's own zone, and the DTSTAMP as `stamp_from_start` says.
std::string export_icalendar(const std::vector<CalendarEvent>& events, bool stamp_from_start = false);

// The user's own time zone as an IANA name: TZ, else /etc/timezone, else the
// /etc/localtime link; "" when unknown (or a name libical has no zone for).
std::string local_time_zone_id();

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
// made absolute, and the text is cut to what a note carries. Floating times
// and times in `time_zone` ("" the user's own) are taken as the wall-clock
// times they say; UTC times and those of other zones are converted to it.
// DTEND is not read: a note has no end. An X-PHONDECK-ALARM that agrees with
// its TRIGGER gives the alarm exactly as the handset held it.
IcalendarImport import_icalendar(const std::string& text, const std::string& time_zone = "");

}  // namespace phondeck
