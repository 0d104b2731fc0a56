// The calendar list, its date arithmetic, the event editor and the note
// bytes, at their edges.
#include <gtest/gtest.h>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/text_table.h"
#include "organiser/calendar_note.h"
#include "organiser/calendar_window.h"
#include "organiser/icalendar.h"
#include "phonebook/entry.h"
#include "support/calendar_events.h"

namespace phondeck {
namespace {

using Bytes = std::vector<std::uint8_t>;

using testing::call_note;
using testing::event;
using testing::with_alarm;

class Calendar : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    set_active_code_page(CodePage::Windows1252);
    config() = Configuration{};
  }
};

TEST_F(Calendar, AlarmBeforeCrossesMidnightMonthAndYearEnds) {
  struct Case {
    DateTime at;
    int minutes;
    DateTime expect;
  };
  const Case cases[] = {
      {{2001, 1, 1, 0, 5}, 10, {2000, 12, 31, 23, 55}},
      {{2000, 3, 1, 0, 10}, 30, {2000, 2, 29, 23, 40}},
      {{1900, 3, 1, 0, 0}, 60, {1900, 2, 28, 23, 0}},
      {{2026, 5, 1, 12, 0}, 60, {2026, 5, 1, 11, 0}},
      {{1, 1, 1, 0, 5}, 10, {1, 1, 1, 0, 0}},
      // A negative count goes forward: a note's end, the day after.
      {{2026, 12, 31, 23, 30}, -60, {2027, 1, 1, 0, 30}},
      {{2028, 2, 28, 23, 59}, -24 * 60, {2028, 2, 29, 23, 59}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(minutes_before(c.at, c.minutes), c.expect) << c.at.year << "-" << c.at.month;
    EXPECT_EQ(minutes_since_epoch(c.at) - minutes_since_epoch(minutes_before(c.at, c.minutes)),
              c.at.year == 1 ? 5 : c.minutes);
  }
}

TEST_F(Calendar, ValidationClampsAndLowersTheDayUntilItExists) {
  struct Case {
    DateTime in;
    DateTime out;
  };
  const Case cases[] = {
      {{2001, 2, 30, 10, 0}, {2001, 2, 28, 10, 0}},
      {{2000, 2, 31, 10, 0}, {2000, 2, 29, 10, 0}},
      {{2001, 4, 31, 24, 60}, {2001, 4, 30, 23, 59}},
      {{0, 0, 0, -1, -5}, {1, 1, 1, 0, 0}},
      {{70000, 13, 99, 5, 5}, {60000, 12, 31, 5, 5}},
  };
  for (const Case& c : cases) EXPECT_EQ(validated(c.in), c.out) << c.in.year << "-" << c.in.month;
  EXPECT_EQ(field_value("abc"), 0);
  EXPECT_EQ(field_value(" 12 "), 12);
  EXPECT_EQ(field_value("99999999999"), INT_MAX);
}

TEST_F(Calendar, SortCollapsesOnlyTrueDuplicates) {
  CalendarList list;
  list.append(event(2026, 5, 2, 9, 0, 3, "B"));
  list.append(event(2026, 5, 1, 9, 0, 3, "Same"));
  list.append(event(2026, 5, 1, 9, 0, 1, "Same"));
  list.append(event(2026, 5, 1, 9, 0, 3, "Same"));
  list.append(event(2026, 5, 1, 9, 0, 3, "Other text"));
  list.append(event(2025, 12, 31, 23, 59, 4, "Z"));
  // Call notes: the same number for two people both stay.
  list.append(call_note(event(2026, 5, 3, 9, 0, 2, "112"), "Ann"));
  list.append(call_note(event(2026, 5, 3, 9, 0, 2, "112"), "Bob"));
  list.append(call_note(event(2026, 5, 3, 9, 0, 2, "112"), "Ann"));
  list.sort_and_collapse();
  std::vector<std::string> order;
  for (const CalendarEvent& e : list.events()) order.push_back(std::to_string(e.type) + shown_text(e));
  EXPECT_EQ(order, (std::vector<std::string>{"4Z", "1Same", "3Same", "3Other text", "3B", "2Ann 112", "2Bob 112"}));
}

TEST_F(Calendar, BirthdayOnTwentyNinthFebruaryRecursAndBolds) {
  CalendarList list;
  list.append(event(1980, 2, 29, 23, 59, 4, "Leap"));
  list.append(event(2024, 2, 3, 10, 0, 3, "Meeting"));
  EXPECT_TRUE(CalendarList::on_date(list.at(0), 2024, 2, 29));
  EXPECT_TRUE(CalendarList::on_date(list.at(0), 2000, 2, 29));
  EXPECT_FALSE(CalendarList::on_date(list.at(1), 2025, 2, 3));  // not a birthday: its year only
  EXPECT_EQ(list.bold_days(2024, 2), (std::set<int>{3, 29}));
  EXPECT_EQ(list.bold_days(2025, 2), (std::set<int>{29}));  // the meeting is of 2024 only
  EXPECT_TRUE(list.bold_days(2024, 3).empty());
}

TEST_F(Calendar, NoteRequestBytes) {
  CalendarEvent meeting = with_alarm(event(2001, 1, 1, 0, 5, 3, "Hi"), 2000, 12, 31, 23, 55);
  const Bytes m = note_write_request(meeting);
  const Bytes expect_m{0x00, 0x01, 0x00, 0x64, 0x01, 0x10, 2 + 19, 3, 0x07, 0xD1, 1, 1, 0, 5, 0,
                       0x07, 0xD0, 12, 31, 23, 55, 0, 2, 'H', 'i', 0};
  EXPECT_EQ(m, expect_m);

  // No alarm: bytes 15..20 all 00; a Call note made here: an empty text, then
  // its number.
  const Bytes c = note_write_request(event(2001, 1, 1, 9, 0, 2, "112"));
  const Bytes expect_c{0x00, 0x01, 0x00, 0x64, 0x01, 0x10, 3 + 19, 2, 0x07, 0xD1, 1, 1, 9, 0, 0,
                       0, 0, 0, 0, 0, 0, 0, 0, 3, '1', '1', '2'};
  EXPECT_EQ(c, expect_c);

  // Years beyond the two bytes are clamped, not wrapped.
  const Bytes y = note_write_request(event(70000, 1, 1, 9, 0, 1, ""));
  EXPECT_EQ(y[8], 0xFF);
  EXPECT_EQ(y[9], 0xFF);
}

TEST_F(Calendar, LongTextsAreCutOnACharacterBoundary) {
  struct Case {
    std::string text;
    std::size_t bytes;   // as written
    std::size_t chars;   // characters kept
  };
  std::string chinese;
  for (int i = 0; i < 200; ++i) chinese += "\u8336";
  std::string accented;
  for (int i = 0; i < 300; ++i) accented += "\u00e9";
  const Case cases[] = {
      {std::string(300, 'a'), 229, 229},
      {accented, 229, 229},          // one byte each in the code page
      {chinese, 2 + 2 * 113, 113},   // 0x04 0xFF, then whole UCS-2 characters
      {"short", 5, 5},
  };
  for (const Case& c : cases) {
    const std::string bytes = note_text_bytes(c.text);
    EXPECT_EQ(bytes.size(), c.bytes);
    EXPECT_EQ(utf8_to_code_points(cut_note_text(c.text)).size(), c.chars);
    const Bytes request = note_write_request(event(2026, 1, 1, 9, 0, 1, c.text));
    EXPECT_EQ(request[22], c.bytes);
    EXPECT_EQ(request[6], c.bytes + 19);
  }
}

TEST_F(Calendar, NoteRepliesOfEveryType) {
  auto reply = [](int type, Bytes text, bool alarm) {
    Bytes d{0x00, 0x01, 0x00, 0x67, 0x01, 0, 0, 0, static_cast<std::uint8_t>(type), 0x07, 0xD1, 2, 3, 4, 5, 0};
    if (alarm) {
      d.insert(d.end(), {0x07, 0xD1, 2, 3, 3, 55});
    } else {
      d.insert(d.end(), 6, 0);
    }
    d.push_back(0);
    d.push_back(static_cast<std::uint8_t>(text.size()));
    d.insert(d.end(), text.begin(), text.end());
    d.insert(d.end(), {0x01, 0x42});  // trailer
    return d;
  };
  // Every type: text length at 23, text from 24; a Call note's number after it.
  auto call = [&reply](Bytes text, Bytes number) {
    Bytes d = reply(2, text, false);
    d.resize(d.size() - 2);
    d.push_back(static_cast<std::uint8_t>(number.size()));
    d.insert(d.end(), number.begin(), number.end());
    d.insert(d.end(), {0x01, 0x42});
    return d;
  };
  CalendarEvent e;
  ASSERT_EQ(parse_note_reply(call({}, {'1', '2'}), e), NoteReply::Note);
  EXPECT_EQ(e, event(2001, 2, 3, 4, 5, 2, "12"));
  ASSERT_EQ(parse_note_reply(call({'B', 'o', 'b'}, {'0', '4', '0', '1', '1', '1', '2', '2', '2', '3'}), e),
            NoteReply::Note);
  EXPECT_EQ(e.data, "0401112223");
  EXPECT_EQ(e.call_text, "Bob");
  EXPECT_EQ(shown_text(e), "Bob 0401112223");
  // Written back as it was read.
  Bytes written = call({'B', 'o', 'b'}, {'0', '4', '0', '1', '1', '1', '2', '2', '2', '3'});
  written.erase(written.begin() + 4, written.begin() + 5);  // the reply's status byte
  written.resize(written.size() - 2);
  written[3] = 0x64;
  const Bytes request = note_write_request(e);
  EXPECT_EQ(Bytes(request.begin() + 7, request.end()), Bytes(written.begin() + 7, written.end()));
  EXPECT_EQ(request[6], 3 + 10 + 19);
  // Number and text share the room: the text is cut to what the number
  // leaves, never dropped whole.
  const CalendarEvent crowded = call_note(event(2001, 1, 1, 9, 0, 2, std::string(200, '1')), std::string(40, 'x'));
  const Bytes full = note_write_request(crowded);
  EXPECT_EQ(full[22], 29);
  EXPECT_EQ(full[22 + 1 + 29], 200);
  EXPECT_EQ(full[6], 229 + 19);
  // A number length past the record is cut there.
  Bytes short_call = call({'B'}, {'1', '2', '3'});
  short_call[short_call.size() - 6] = 40;
  ASSERT_EQ(parse_note_reply(short_call, e), NoteReply::Note);
  EXPECT_EQ(e.data, "123\x01" "B");
  ASSERT_EQ(parse_note_reply(reply(3, {' ', 'M', ' '}, true), e), NoteReply::Note);
  EXPECT_EQ(e, with_alarm(event(2001, 2, 3, 4, 5, 3, "M"), 2001, 2, 3, 3, 55));
  ASSERT_EQ(parse_note_reply(reply(1, {0x04, 0xFF, 0x83, 0x36}, false), e), NoteReply::Note);
  EXPECT_EQ(e.data, "\u8336");
  // A stated length beyond the data takes what is there.
  Bytes cut = reply(4, {'A', 'n', 'n', 'a'}, false);
  cut.resize(cut.size() - 4);
  ASSERT_EQ(parse_note_reply(cut, e), NoteReply::Note);
  EXPECT_EQ(e.data, "An");
  EXPECT_EQ(parse_note_reply(Bytes{0, 1, 0, 0x67, 0x93}, e), NoteReply::Empty);
  EXPECT_EQ(parse_note_reply(Bytes{0, 1, 0, 0x67, 0x81}, e), NoteReply::Refused);
  EXPECT_EQ(parse_note_reply(Bytes{0, 1, 0, 0x67, 0x01, 0, 0}, e), NoteReply::Malformed);
}

TEST_F(Calendar, EditorDerivesBeforeAndStoresEvents) {
  CalendarList list;
  list.append(with_alarm(event(2001, 1, 1, 0, 5, 3, "Ten"), 2000, 12, 31, 23, 55));
  list.append(with_alarm(event(2001, 1, 1, 12, 0, 3, "Hour"), 2001, 1, 1, 11, 0));
  list.append(with_alarm(event(2001, 1, 1, 12, 0, 3, "Odd"), 2001, 1, 1, 11, 1));
  EventEditor editor(list);
  const AlarmBefore expect[] = {AlarmBefore::TenMinutes, AlarmBefore::OneHour, AlarmBefore::UserDefined};
  for (std::size_t i = 0; i < 3; ++i) {
    editor.open_event(i);
    EXPECT_EQ(editor.before(), expect[i]) << i;
  }

  // A new meeting on an hour node, 30 minutes before, then moved to a day
  // that does not exist: the day is lowered and the alarm follows.
  editor.open_hour({2001, 2, 10}, 9);
  editor.set_type(2);
  editor.set_alarm_enabled(true);
  editor.set_before(AlarmBefore::ThirtyMinutes);
  EXPECT_EQ(editor.alarm_fields(), (DateFields{"2001", "2", "10", "8", "30"}));
  editor.event_fields()[2] = "30";
  editor.leave_event_field(2);
  EXPECT_EQ(editor.event_fields()[2], "28");
  EXPECT_EQ(editor.alarm_fields(), (DateFields{"2001", "2", "28", "8", "30"}));
  editor.text() = "Plan";
  const std::size_t at = editor.ok();
  EXPECT_EQ(list.at(at), with_alarm(event(2001, 2, 28, 9, 0, 3, "Plan"), 2001, 2, 28, 8, 30));
  EXPECT_EQ(list.at(at).index, "new");

  // The alarm switched off: a new event has every alarm field 0, a changed
  // one only its alarm year.
  editor.open_day({2001, 3, 1});
  EXPECT_EQ(editor.before(), AlarmBefore::UserDefined);
  EXPECT_EQ(list.at(editor.ok()), event(2001, 3, 1, 23, 59, 1, ""));
  editor.open_event(1);
  editor.set_alarm_enabled(false);
  const CalendarEvent& changed = list.at(editor.ok());
  EXPECT_EQ(changed.alarm_year, 0);
  EXPECT_EQ(changed.alarm_hour, 11);

  // Labels follow the type; a dropped entry fills the text by type.
  PhoneBookEntry entry;
  entry.Name = "Anna";
  entry.UNICODE = "\u5b89";
  entry.Phone = "0401";
  const int labels[] = {1430, 1431, 1432, 1433};
  const std::string dropped[] = {"\u5b89Anna", "0401", "\u5b89Anna", "\u5b89Anna"};
  for (int t = 0; t < 4; ++t) {
    editor.call_text().clear();
    editor.set_type(t);
    EXPECT_EQ(editor.text_label_id(), labels[t]);
    EXPECT_EQ(editor.call_text_shown(), t == 1);
    editor.drop_entry(entry);
    EXPECT_EQ(editor.text(), dropped[t]);
    EXPECT_EQ(editor.call_text(), t == 1 ? "\u5b89Anna" : "");
  }
  editor.text() = std::string(300, 'x');
  EXPECT_EQ(editor.text_bytes_left(), 0);
  editor.text() = "abc";
  EXPECT_EQ(editor.text_bytes_left(), 226);

  // A Call note shows and keeps its text beside its number; the two share
  // the bytes left.
  list.append(call_note(event(2001, 4, 1, 10, 0, 2, "0401112223"), "Bob"));
  editor.open_event(list.size() - 1);
  EXPECT_EQ(editor.text(), "0401112223");
  EXPECT_EQ(editor.call_text(), "Bob");
  EXPECT_EQ(editor.call_text_label_id(), 1433);
  EXPECT_EQ(editor.text_bytes_left(), 229 - 10 - 3);
  editor.call_text() = "Bob Smith";
  const CalendarEvent& stored = list.at(editor.ok());
  EXPECT_EQ(shown_text(stored), "Bob Smith 0401112223");
  EXPECT_EQ(stored.call_text, "Bob Smith");
  editor.set_type(0);
  EXPECT_EQ(list.at(editor.ok()).call_text, "") << "only a Call note has a text beside its data";
}

TEST_F(Calendar, IcalendarRoundTripKeepsEveryNote) {
  // Every note type with and without an alarm, with and without a time of
  // day; an event without one may ring during its day or before it.
  std::vector<CalendarEvent> events{
      with_alarm(event(2026, 12, 8, 10, 30, 3, "Project meeting"), 2026, 12, 8, 10, 20),
      event(2026, 12, 8, 14, 0, 3, "Review"),
      event(2026, 12, 9, 9, 0, 2, "+358401234567"),
      with_alarm(event(2026, 12, 9, 12, 0, 2, "0401112223"), 2026, 12, 9, 11, 0),
      call_note(event(2026, 12, 9, 13, 0, 2, "0401112223"), "Bob"),
      call_note(event(2026, 12, 9, 14, 0, 2, "*#06#"), "Code"),
      call_note(event(2026, 12, 9, 15, 0, 2, "0401 112p23"), "Pause"),
      call_note(event(2026, 12, 9, 16, 0, 2, ""), "Nobody"),
      event(1980, 12, 24, 23, 59, 4, "Mum"),
      with_alarm(event(1975, 3, 1, 23, 59, 4, "Dad"), 1975, 3, 1, 9, 0),
      with_alarm(event(2026, 12, 10, 23, 59, 1, "\u8336"), 2026, 12, 9, 20, 0),
      with_alarm(event(2026, 12, 11, 23, 59, 1, "Bins out"), 2026, 12, 11, 7, 30),
      event(2026, 12, 12, 8, 15, 1, "Call the bank"),
      // Alarms no trigger relative to the start reads back: a birthday's in
      // a later year, one after a timed start, one more than a year before.
      with_alarm(event(1950, 12, 24, 23, 59, 4, "Grandma"), 2026, 12, 24, 9, 0),
      with_alarm(event(2026, 12, 13, 10, 0, 3, "Standup"), 2026, 12, 13, 10, 15),
      with_alarm(event(2028, 1, 5, 9, 0, 1, "Renew passport"), 2026, 12, 1, 9, 0),
  };
  const std::string text = export_icalendar(events);
  EXPECT_NE(text.find("RRULE:FREQ=YEARLY"), std::string::npos);
  EXPECT_NE(text.find("BEGIN:VALARM"), std::string::npos);
  EXPECT_NE(text.find("TRIGGER:-PT10M"), std::string::npos);
  EXPECT_NE(text.find("TRIGGER;VALUE=DATE-TIME:"), std::string::npos);
  EXPECT_NE(text.find("DTSTART;VALUE=DATE:19801224"), std::string::npos);
  // A Call note: the text is the summary, the number where calendars show it.
  EXPECT_NE(text.find("SUMMARY:Call Bob (0401112223)\r\n"), std::string::npos);
  EXPECT_NE(text.find("DESCRIPTION:0401112223\r\n"), std::string::npos);
  EXPECT_NE(text.find("URL:tel:0401112223\r\n"), std::string::npos);
  EXPECT_NE(text.find("URL:tel:*%2306%23\r\n"), std::string::npos);
  EXPECT_EQ(text.find("tel:0401 112p23"), std::string::npos);
  const IcalendarImport back = import_icalendar(text);
  ASSERT_TRUE(back.ok);
  EXPECT_EQ(back.events, events);
  EXPECT_EQ(back.changes, std::vector<std::string>{});

  // A file that gave a Call note's number as its summary and its text as the
  // description (as this program once wrote it) comes in the right way round.
  const std::string earlier =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:1\r\n"
      "DTSTART:20261209T130000\r\nSUMMARY:0401112223\r\nDESCRIPTION:Bob\r\nCATEGORIES:Call\r\n"
      "END:VEVENT\r\nEND:VCALENDAR\r\n";
  EXPECT_EQ(import_icalendar(earlier).events, std::vector<CalendarEvent>{events[4]});

  // A tel: URL's escapes: "%23" is "#", a "%" before no two hex digits stays.
  std::string escaped = earlier;
  escaped.replace(escaped.find("DESCRIPTION:Bob"), 15, "URL:tel:*%2306%23%zz");
  const IcalendarImport read = import_icalendar(escaped);
  ASSERT_EQ(read.events.size(), 1U);
  EXPECT_EQ(read.events[0].data, "*#06#%zz");
}

// An impossible date or time, or an event cut off before its end, is left
// out and said with its line; the other events come in.
TEST_F(Calendar, IcalendarImportRefusesImpossibleTimesAndKeepsTheWholeEvents) {
  const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n";
  const std::string good = "BEGIN:VEVENT\r\nUID:g\r\nDTSTART:20270105T093000\r\nSUMMARY:Dentist\r\nCATEGORIES:Meeting\r\nEND:VEVENT\r\n";
  auto with_start = [](const std::string& start) {
    return "BEGIN:VEVENT\r\nUID:b\r\nDTSTART" + start + "\r\nSUMMARY:Bad\r\nEND:VEVENT\r\n";
  };
  struct Case {
    std::string file;
    std::string said;  // the one change line
  };
  const Case cases[] = {
      {head + with_start(":20271340T256199") + good + "END:VCALENDAR\r\n",
       "line 6 \"DTSTART:20271340T256199\": no month 13, not imported"},
      {head + good + with_start(":20270230T100000") + "END:VCALENDAR\r\n",
       "line 12 \"DTSTART:20270230T100000\": no day 30 in that month, not imported"},
      {head + good + with_start(";VALUE=DATE:20270132"), "line 12 \"DTSTART;VALUE=DATE:20270132\": no day 32 in that month, not imported"},
      {head + with_start(":20270105T240000") + good, "line 6 \"DTSTART:20270105T240000\": no such time of day, not imported"},
      {head + good + "BEGIN:VEVENT\r\nUID:cut\r\nDTSTART:20270106T100000\r\n",
       "line 10: the event is cut off before its end, not imported"},
      {head + good, ""},
  };
  for (const Case& c : cases) {
    const IcalendarImport in = import_icalendar(c.file);
    ASSERT_TRUE(in.ok) << c.file;
    ASSERT_EQ(in.events.size(), 1u) << c.file;
    EXPECT_EQ(in.events[0], event(2027, 1, 5, 9, 30, 3, "Dentist"));
    EXPECT_EQ(in.changes, c.said.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.said});
  }
}

// Files the parser would print its own warnings about (an END with nothing
// open, a BEGIN it does not count) import silently, and blanks after a time
// are no part of it.
TEST_F(Calendar, IcalendarImportIsSilentAndTakesBlanksAfterATime) {
  const std::string good = "BEGIN:VEVENT\r\nUID:g\r\nDTSTART:20270105T093000\r\nSUMMARY:Dentist\r\nCATEGORIES:Meeting\r\nEND:VEVENT\r\n";
  const std::string calendar = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
  const std::string end = "END:VCALENDAR\r\n";
  struct Case {
    const char* what;
    std::string file;
  };
  const Case cases[] = {
      {"END before BEGIN", "END:VCALENDAR\r\n" + calendar + good + end},
      {"END twice", calendar + good + "END:VEVENT\r\n" + end + end},
      {"a misspelt END", calendar + good + "END:VCALE=DAR\r\n" + end},
      {"END; and a bare BEGIN", calendar + "BEGIN\r\n" + good + end + "END;\r\n"},
      {"a blank after END", calendar + good + "END \t:VCALENDAR\r\n" + end},
      {"a trailing blank", calendar + "BEGIN:VEVENT\r\nUID:g\r\nDTSTART:20270105T093000 \r\nSUMMARY:Dentist\r\n"
                           "CATEGORIES:Meeting\r\nEND:VEVENT\r\n" + end},
  };
  for (const Case& c : cases) {
    ::testing::internal::CaptureStderr();
    const IcalendarImport in = import_icalendar(c.file);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << c.what;
    ASSERT_TRUE(in.ok) << c.what;
    ASSERT_EQ(in.events.size(), 1u) << c.what;
    EXPECT_EQ(in.events[0], event(2027, 1, 5, 9, 30, 3, "Dentist")) << c.what;
    EXPECT_EQ(in.changes, std::vector<std::string>{}) << c.what;
  }
  const IcalendarImport zoned = import_icalendar(
      calendar + "BEGIN:VEVENT\r\nDTSTART;TZID=US/Eastern:20020107T095000 \r\nSUMMARY:Zoned\r\n"
                 "CATEGORIES:Meeting\r\nEND:VEVENT\r\n" + end);
  ASSERT_EQ(zoned.events.size(), 1u);
  EXPECT_EQ(zoned.events[0].year, 2002);
  EXPECT_EQ(zoned.changes, std::vector<std::string>{});
}

TEST_F(Calendar, IcalendarImportTurnsWhatTheHandsetLacksIntoNotes) {
  const std::string file =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
      "BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20270315T140000\r\nSUMMARY:Weekly sync\r\n"
      "RRULE:FREQ=WEEKLY\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;VALUE=DATE:20270401\r\nSUMMARY:Anniversary\r\n"
      "RRULE:FREQ=YEARLY\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:3\r\nSUMMARY:No date\r\nEND:VEVENT\r\n"
      "END:VCALENDAR\r\n";
  const IcalendarImport in = import_icalendar(file);
  ASSERT_TRUE(in.ok);
  ASSERT_EQ(in.events.size(), 2u);
  EXPECT_EQ(in.events[0], with_alarm(event(2027, 3, 15, 14, 0, 3, "Weekly sync"), 2027, 3, 15, 13, 45));
  EXPECT_EQ(in.events[1], event(2027, 4, 1, 23, 59, 4, "Anniversary"));
  // Repeats dropped, no type, yearly made a birthday, no date.
  EXPECT_EQ(in.changes.size(), 4u);
  EXPECT_FALSE(import_icalendar("not a calendar").ok);
}

}  // namespace
}  // namespace phondeck
