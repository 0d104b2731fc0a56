#pragma once
// Calendar notes (0x13), the clock and the diary alarm (0x11), and the
// keypad (0x0C) of the virtual handset.
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/families.h"
#include "sim/handset_codec.h"

namespace phondeck::sim {

struct NoteTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  bool operator==(const NoteTime&) const = default;
};

struct CalendarNote {
  int type = 1;                  // 1 Reminder, 2 Call, 3 Meeting, 4 Birthday
  NoteTime when;
  std::optional<NoteTime> alarm;
  Bytes text;                    // as written (possibly 0x04 0xFF + UCS-2)
  Bytes number;                  // a Call note's number
  bool operator==(const CalendarNote&) const = default;
};

struct KeyPress {
  bool press = true;             // false: released
  int key = 0;
  bool operator==(const KeyPress&) const = default;
};

struct ClockTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const ClockTime&) const = default;
};

struct CalendarState {
  std::vector<CalendarNote> notes;  // location k is notes[k - 1]
  int limit = 50;                   // notes the handset holds
  bool menu_open = false;           // its calendar menu is open: deletes and writes refused
  bool keeps_deleted = false;       // a faulty handset: a delete leaves the note
  bool date_set = false;            // the clock has been set
  ClockTime clock;                  // as last set
  bool alarm_on = false;
  int alarm_hour = 0;
  int alarm_minute = 0;
  std::vector<KeyPress> keys;       // every key request, in order
  // When the clock was set on the handset's own clock (not saved): reads
  // add the time since.
  std::optional<std::int64_t> clock_set_ms;
};

HandsetFamily calendar_family();

// A first-time user's calendar: one note of each type, two with an alarm,
// one with a UCS-2 text; the clock not yet set, the alarm off.
CalendarState demo_calendar();

}  // namespace phondeck::sim
