// The calendar's iCalendar file: what each note is written as, in a zone,
// in UTC and floating, and that the import reads it back to the same notes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>

#include "organiser/icalendar.h"
#include "support/calendar_events.h"

namespace phondeck {
namespace {

using testing::call_note;
using testing::event;
using testing::with_alarm;

IcalendarOptions in_zone(std::string zone) {
  IcalendarOptions o;
  o.stamp_from_start = true;
  o.time_zone = std::move(zone);
  o.uid_seed = "356789012345678";
  return o;
}

// The lines of the one VEVENT of a file.
std::string vevent_of(const std::string& text) {
  const std::size_t from = text.find("BEGIN:VEVENT");
  return from == std::string::npos ? "" : text.substr(from, text.find("END:VEVENT", from) - from);
}

TEST(Icalendar, EveryNoteTypeIsWrittenAsCalendarsReadItAndComesBackAsItWas) {
  const std::string hel = "DTSTART;TZID=Europe/Helsinki:";
  const std::string hel_end = "DTEND;TZID=Europe/Helsinki:";
  struct Case {
    const char* what;
    CalendarEvent note;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"meeting, alarm 10 minutes before", with_alarm(event(2026, 12, 8, 9, 30, 3, "Project meeting"), 2026, 12, 8, 9, 20),
       {hel + "20261208T093000", hel_end + "20261208T103000", "SUMMARY:Project meeting", "CATEGORIES:Meeting",
        "BEGIN:VALARM", "ACTION:DISPLAY", "DESCRIPTION:Project meeting", "TRIGGER:-PT10M",
        "X-PHONDECK-ALARM:20261208T092000"}},
      {"meeting ending after midnight", event(2026, 12, 31, 23, 30, 3, "Party"), {hel_end + "20270101T003000"}},
      {"call with whom and number", with_alarm(call_note(event(2026, 12, 9, 12, 0, 2, "+358401234567"), "Anna"), 2026, 12, 9, 11, 0),
       {hel_end + "20261209T121500", "SUMMARY:Call Anna (+358401234567)", "CATEGORIES:Call",
        "DESCRIPTION:+358401234567", "URL:tel:+358401234567", "DESCRIPTION:Call Anna (+358401234567)",
        "TRIGGER:-PT1H"}},
      {"call with a number only", event(2026, 12, 9, 13, 0, 2, "*#06#"), {"SUMMARY:Call *#06#", "URL:tel:*%2306%23"}},
      {"call with whom only", call_note(event(2026, 12, 9, 16, 0, 2, ""), "Nobody"), {"SUMMARY:Call Nobody"}},
      {"call with a number no tel: URL carries", call_note(event(2026, 12, 9, 15, 0, 2, "0401 112p23"), "Pause"),
       {"SUMMARY:Call Pause (0401 112p23)", "DESCRIPTION:0401 112p23"}},
      {"reminder, alarm on its day", with_alarm(event(2026, 12, 10, 23, 59, 1, "Bins out"), 2026, 12, 10, 7, 30),
       {"DTSTART;VALUE=DATE:20261210", "DTEND;VALUE=DATE:20261211", "CATEGORIES:Reminder", "TRIGGER:PT7H30M"}},
      {"reminder, alarm the evening before", with_alarm(event(2027, 1, 1, 23, 59, 1, "\u8336"), 2026, 12, 31, 20, 0),
       {"DTSTART;VALUE=DATE:20270101", "DTEND;VALUE=DATE:20270102", "TRIGGER:-PT4H", "SUMMARY:\u8336"}},
      {"reminder at a time of day", event(2026, 12, 12, 8, 15, 1, "Call the bank"),
       {hel + "20261212T081500", hel_end + "20261212T083000", "CATEGORIES:Reminder"}},
      {"meeting without a time of day", event(2026, 12, 14, 23, 59, 3, "Away"),
       {"DTSTART;VALUE=DATE:20261214", "CATEGORIES:Meeting"}},
      {"birthday", event(1980, 12, 24, 23, 59, 4, "Mum"),
       {"DTSTART;VALUE=DATE:19801224", "DTEND;VALUE=DATE:19801225", "RRULE:FREQ=YEARLY", "CATEGORIES:Birthday"}},
      {"birthday, alarm the day before in a later year",
       with_alarm(event(1980, 12, 24, 23, 59, 4, "Mum"), 2026, 12, 23, 18, 0),
       {"RRULE:FREQ=YEARLY", "TRIGGER:-PT6H", "X-PHONDECK-ALARM:20261223T180000"}},
      {"birthday on 1 January, alarm on New Year's Eve", with_alarm(event(1982, 1, 1, 23, 59, 4, "Kid"), 2026, 12, 31, 20, 0),
       {"TRIGGER:-PT4H"}},
      {"birthday on a leap day", with_alarm(event(1980, 2, 29, 23, 59, 4, "Leap"), 2028, 2, 29, 9, 0),
       {"DTSTART;VALUE=DATE:19800229", "DTEND;VALUE=DATE:19800301", "TRIGGER:PT9H"}},
      {"meeting in the hour summer time skips", with_alarm(event(2026, 3, 29, 3, 30, 3, "Gap"), 2026, 3, 29, 3, 0),
       {hel + "20260329T033000", hel_end + "20260329T053000"}},
      {"alarm more than a year ahead", with_alarm(event(2028, 1, 5, 9, 0, 1, "Passport"), 2026, 12, 1, 9, 0),
       {"TRIGGER;VALUE=DATE-TIME:20261201T070000Z"}},
      {"alarm after the start", with_alarm(event(2026, 6, 13, 10, 0, 3, "Standup"), 2026, 6, 13, 10, 15),
       {"TRIGGER;VALUE=DATE-TIME:20260613T071500Z"}},
  };
  std::vector<CalendarEvent> all;
  for (const Case& c : cases) {
    const std::string text = export_icalendar({c.note}, in_zone("Europe/Helsinki"));
    const std::string lines = vevent_of(text);
    for (const std::string& line : c.lines) EXPECT_NE(lines.find(line + "\r\n"), std::string::npos) << c.what << ": " << line << "\n" << lines;
    EXPECT_EQ(text.find("BEGIN:VTIMEZONE\r\nTZID:Europe/Helsinki\r\n") != std::string::npos, !c.note.all_day()) << c.what;
    const IcalendarImport back = import_icalendar(text, "Europe/Helsinki");
    EXPECT_EQ(back.events, std::vector<CalendarEvent>{c.note}) << c.what;
    EXPECT_EQ(back.changes, std::vector<std::string>{}) << c.what;
    all.push_back(c.note);
  }
  // All in one file; the same notes of the same handset keep their UIDs.
  const std::string text = export_icalendar(all, in_zone("Europe/Helsinki"));
  EXPECT_EQ(import_icalendar(text, "Europe/Helsinki").events, all);
  EXPECT_EQ(export_icalendar(all, in_zone("Europe/Helsinki")), text);
  std::set<std::string> uids;
  for (std::size_t at = text.find("\r\nUID:"); at != std::string::npos; at = text.find("\r\nUID:", at + 1)) {
    uids.insert(text.substr(at, text.find("\r\n", at + 2) - at));
  }
  EXPECT_EQ(uids.size(), all.size());
  // Another handset's notes have UIDs of their own.
  IcalendarOptions other = in_zone("Europe/Helsinki");
  other.uid_seed = "356789012345679";
  const std::string first = vevent_of(text);
  EXPECT_NE(vevent_of(export_icalendar({all[0]}, other)).substr(0, first.find("DTSTAMP")), first.substr(0, first.find("DTSTAMP")));
}

TEST(Icalendar, ZonesFloatingAndUtcTimesAndTheirImport) {
  const CalendarEvent meeting = with_alarm(event(2026, 12, 8, 10, 30, 3, "Review"), 2026, 12, 8, 10, 20);
  struct Case {
    const char* what;
    IcalendarOptions options;
    const char* start;  // the DTSTART line
    bool vtimezone;
  };
  IcalendarOptions floating = in_zone("Europe/Helsinki");
  floating.floating = true;
  const Case cases[] = {
      {"a zone", in_zone("Europe/Berlin"), "DTSTART;TZID=Europe/Berlin:20261208T103000", true},
      {"UTC", in_zone("UTC"), "DTSTART:20261208T103000Z", false},
      {"Etc/UTC", in_zone("Etc/UTC"), "DTSTART:20261208T103000Z", false},
      {"an unknown zone", in_zone("Nowhere/Else"), "DTSTART:20261208T103000", false},
      {"floating", floating, "DTSTART:20261208T103000", false},
  };
  for (const Case& c : cases) {
    const std::string text = export_icalendar({meeting}, c.options);
    EXPECT_NE(text.find(std::string(c.start) + "\r\n"), std::string::npos) << c.what << "\n" << text;
    EXPECT_EQ(text.find("BEGIN:VTIMEZONE") != std::string::npos, c.vtimezone) << c.what;
    EXPECT_EQ(import_icalendar(text, c.options.time_zone).events, std::vector<CalendarEvent>{meeting}) << c.what;
  }
  // Read in another zone: a zoned time and its alarm move to the reader's
  // wall clock, a floating one (the backup's) stays as the handset held it.
  const std::string berlin = export_icalendar({meeting}, in_zone("Europe/Berlin"));
  EXPECT_EQ(import_icalendar(berlin, "Europe/Helsinki").events,
            std::vector<CalendarEvent>{with_alarm(event(2026, 12, 8, 11, 30, 3, "Review"), 2026, 12, 8, 11, 20)});
  EXPECT_EQ(import_icalendar(export_icalendar({meeting}, in_zone("UTC")), "Europe/Helsinki").events,
            std::vector<CalendarEvent>{with_alarm(event(2026, 12, 8, 12, 30, 3, "Review"), 2026, 12, 8, 12, 20)});
  EXPECT_EQ(import_icalendar(export_icalendar({meeting}, floating), "America/New_York").events,
            std::vector<CalendarEvent>{meeting});
  // libical writes no time after 3000: a note beyond 2999 goes out on
  // 31 December 2999 rather than as an empty time, and comes in so too.
  const CalendarEvent far = with_alarm(event(3027, 5, 1, 9, 0, 3, "Far"), 3027, 5, 1, 8, 50);
  const std::string far_text = export_icalendar({far}, in_zone("UTC"));
  EXPECT_NE(far_text.find("DTSTART:29991231T090000Z\r\n"), std::string::npos) << far_text;
  EXPECT_NE(far_text.find("DTEND:29991231T100000Z\r\n"), std::string::npos) << far_text;
  std::string far_in = far_text;
  far_in.replace(far_in.find("DTSTART:29991231"), 16, "DTSTART:30270501");
  const IcalendarImport far_back = import_icalendar(far_in, "UTC");
  ASSERT_EQ(far_back.events.size(), 1u);
  EXPECT_EQ(far_back.events[0].year, 2999);
  EXPECT_EQ(far_back.changes.size(), 1u);
  // Another program moved the alarm and kept the handset's: the trigger wins.
  std::string moved = berlin;
  moved.replace(moved.find("TRIGGER:-PT10M"), 14, "TRIGGER:-PT30M");
  EXPECT_EQ(import_icalendar(moved, "Europe/Berlin").events,
            std::vector<CalendarEvent>{with_alarm(event(2026, 12, 8, 10, 30, 3, "Review"), 2026, 12, 8, 10, 0)});

  // The user's own zone, from TZ.
  const char* was = std::getenv("TZ");
  const std::optional<std::string> saved = was != nullptr ? std::optional<std::string>(was) : std::nullopt;
  const std::pair<const char*, const char*> tz[] = {{"Europe/Helsinki", "Europe/Helsinki"},
                                                    {":America/New_York", "America/New_York"},
                                                    {"/usr/share/zoneinfo/Asia/Tokyo", "Asia/Tokyo"},
                                                    {"UTC", "UTC"},
                                                    {"Nowhere/Else", ""}};
  for (const auto& [value, id] : tz) {
    setenv("TZ", value, 1);
    EXPECT_EQ(local_time_zone_id(), id) << value;
  }
  setenv("TZ", "Europe/Helsinki", 1);
  EXPECT_NE(export_icalendar({meeting}).find("DTSTART;TZID=Europe/Helsinki:20261208T103000"), std::string::npos);
  if (saved) {
    setenv("TZ", saved->c_str(), 1);
  } else {
    unsetenv("TZ");
  }
}

}  // namespace
}  // namespace phondeck
