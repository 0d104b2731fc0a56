#pragma once
// The Calendar window's logic (the Qt window TForm13 wraps it): the event
// tree in day view or all-events view, the month calendar's bold days, the
// tool-bar commands and keys, deleting and moving events, and the clock and
// diary-alarm controls. And the event editor's logic (TForm14).
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/operation_result.h"
#include "organiser/calendar_list.h"
#include "organiser/clock_family.h"

namespace phondeck {

class CalendarFamilies;
class OperationEngine;
class Prompt;
struct PhoneBookEntry;

struct CalendarDate {
  int year = 2000;
  int month = 1;
  int day = 1;
  bool operator==(const CalendarDate&) const = default;
};

struct CalendarNode {
  enum class Kind { Root, TheDay, Hour, Event };
  Kind kind = Kind::Root;
  int id = 0;                    // pre-order number, 0 for the root
  int hour = -1;                 // Hour nodes
  std::size_t event = 0;         // Event nodes: position in the list
  std::string label;
  int icon = -1;                 // Event nodes: type + 1
  bool alarm = false;            // Event nodes: the state icon
  std::vector<CalendarNode> children;
};

enum class CalendarCommand { New, Import, Export, Read, Update, Write, Back };
// Ctrl+digit in tool-bar order: 1 New, 2 Import, 3 Export, 4 Read, 5 Update,
// 6 Write, 0 Back; nothing for other digits.
std::optional<CalendarCommand> calendar_command_for_digit(int digit);

// The editor's fields: year, month, day, hour, minute.
using DateFields = std::array<std::string, 5>;

class EventEditor {
 public:
  explicit EventEditor(CalendarList& list) : list_(list) {}

  // On an event of the list; on an hour of a date (minute 0); or on a date
  // without a time (23:59, "User Define").
  void open_event(std::size_t index);
  void open_hour(const CalendarDate& date, int hour);
  void open_day(const CalendarDate& date);
  bool editing_new() const { return !index_.has_value(); }

  DateFields& event_fields() { return event_; }
  DateFields& alarm_fields() { return alarm_; }
  // The text field: subject, a Call note's number, or name.
  std::string& text() { return text_; }
  // A Call note's text beside its number (whom to call), in a field of its
  // own that shows for Call only.
  std::string& call_text() { return call_text_; }
  bool call_text_shown() const;
  int call_text_label_id() const;  // Name
  int type_index() const { return type_index_; }  // 0 Reminder .. 3 Birthday
  bool alarm_enabled() const { return alarm_on_; }
  AlarmBefore before() const { return before_; }

  // Leaving a field: its value corrected (and the alarm recomputed when an
  // event field changed).
  void leave_event_field(int field);
  void leave_alarm_field(int field);
  void set_type(int index);
  void set_alarm_enabled(bool on);
  void set_before(AlarmBefore before);
  // The alarm fields and Before can be changed only with the alarm on.
  bool alarm_fields_enabled() const { return alarm_on_; }
  // The label of the text field: Subject, Phone, Subject or Name.
  int text_label_id() const;
  // Bytes the handset still has room for in the text (a Call note's
  // number and text together).
  int text_bytes_left() const;
  // A phone-book entry dropped on the text fields: a Call note takes its
  // number and name, the other types its name.
  void drop_entry(const PhoneBookEntry& entry);
  // Stores the event (appended when new); returns its position.
  std::size_t ok();

 private:
  CalendarEvent fields_event() const;
  void show(const CalendarEvent& e);
  void recompute_alarm();

  CalendarList& list_;
  std::optional<std::size_t> index_;
  DateFields event_{};
  DateFields alarm_{};
  std::string text_;
  std::string call_text_;
  int type_index_ = 0;
  bool alarm_on_ = false;
  AlarmBefore before_ = AlarmBefore::TenMinutes;
};

class CalendarWindow {
 public:
  using DateFormat = std::function<std::string(const CalendarDate&)>;

  // today: the date shown at creation and on every showing. date_format: the
  // day view's root; date_text (the user's short date format) unless given.
  CalendarWindow(CalendarFamilies& families, OperationEngine& engine, Prompt& prompt, CalendarDate today,
                 DateFormat date_format = {});

  CalendarList& list() { return list_; }
  EventEditor& editor() { return editor_; }

  // -- View.
  void show_day(const CalendarDate& date);
  void show_all();
  bool all_events() const { return all_; }
  const CalendarDate& selected() const { return selected_; }
  // Sorts and collapses the list and builds the tree of the current view.
  void rebuild();
  const CalendarNode& tree() const { return tree_; }
  const CalendarNode* node(int id) const;
  // Days of the month bold in the month calendar.
  std::set<int> bold_days(int year, int month) const { return list_.bold_days(year, month); }

  // -- Commands (tool bar, keys, context menu).
  // Runs a tool-bar command; Back and Import/Export need the window, which
  // handles them itself (false here).
  bool run(CalendarCommand command);
  // The context menu's New: only on nodes that are not events.
  bool can_create_on(int id) const;
  // Opens the editor on a node (double-click, New): false when nothing opens.
  bool open_editor(int id);
  // Removes the node's event and every event below it (after "Are you sure
  // to clear ?" when delete confirmation is on).
  void delete_node(int id);
  // Drops an event node on another node of the day view: the event takes
  // that event's time, that hour at minute 0, or 23:59.
  bool drop(int event_id, int target_id);

  // -- iCalendar files: a message says what went wrong or what changed.
  // Writes the list as an iCalendar file; `report`, if given, receives
  // "N events exported to FILE".
  bool export_file(const std::string& path, std::string* report = nullptr);
  bool import_file(const std::string& path);
  // Before a Write, which replaces the handset's notes with the list: false
  // (after saying why) when the last import took no event and the list is
  // empty; when it left events out, asks whether to write the rest. Run
  // also clears the import's note when the list is read or emptied.
  bool write_allowed();

  // -- Clock and diary alarm.
  void write_time();
  void read_time();
  // The handset's clock as last read, or "" before a read.
  std::string handset_time_text() const;
  std::string& alarm_hour() { return alarm_hour_; }
  std::string& alarm_minute() { return alarm_minute_; }
  bool alarm_enabled() const { return alarm_enabled_; }
  void set_alarm_enabled(bool on) { alarm_enabled_ = on; }
  // Leaving Hour or Minute: clamped to 0..23, 0..59.
  void leave_alarm_fields();
  void read_alarm();
  void write_alarm();
  // Takes the alarm the handset reported into the fields.
  void alarm_read();

 private:
  // A write's start options: "Sure to write?" asked when it is on.
  StartOptions confirmed_write();
  CalendarNode event_node(std::size_t index, bool with_date) const;
  void number(CalendarNode& node, int& next);
  void collect_events(const CalendarNode& node, std::set<std::size_t>& out) const;

  CalendarFamilies& families_;
  CalendarList& list_;
  OperationEngine& engine_;
  Prompt& prompt_;
  DateFormat date_format_;
  EventEditor editor_;
  CalendarDate selected_;
  bool all_ = false;
  CalendarNode tree_;
  std::string alarm_hour_ = "0";
  std::string alarm_minute_ = "0";
  bool alarm_enabled_ = false;
  // What the last import took and left out, until the list is read, emptied
  // or written.
  struct ImportNote {
    std::string source;
    std::size_t taken = 0;
    std::vector<std::string> left_out;
  };
  std::optional<ImportNote> import_note_;
};

}  // namespace phondeck
