#include "organiser/calendar_window.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/configuration.h"
#include "app/date_text.h"
#include "app/file_replace.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/start_questions.h"
#include "organiser/calendar_families.h"
#include "organiser/icalendar.h"
#include "phonebook/entry.h"

namespace phondeck {
namespace {

constexpr int kTextTheDay = 1340;
constexpr int kTextAllEvents = 1341;
constexpr int kTextSubject = 1430;
constexpr int kTextPhone = 1431;
constexpr int kTextMeetingSubject = 1432;
constexpr int kTextName = 1433;
constexpr int kTextSureClear = 3200;
constexpr int kTextSureClearAll = 3201;
constexpr int kTextClockNotSet = 3690;
constexpr int kTextFileError = 3402;
constexpr int kTextEventsExported = 3703;
constexpr int kTextImported = 3433;
constexpr int kTextNotCalendar = 3434;
constexpr int kTextImportTookNothing = 3435;
constexpr int kTextLeftOut = 3436;
constexpr int kTextReplaceWithRest = 3437;
// Left-out events named in a question; the rest are counted.
constexpr std::size_t kListedLeftOut = 20;

std::string listed(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t k = 0; k < lines.size() && k < kListedLeftOut; ++k) text += "\n" + lines[k];
  if (lines.size() > kListedLeftOut) text += "\n... " + std::to_string(lines.size() - kListedLeftOut) + " more";
  return text;
}

std::string time_label(int hour, int minute) {
  // Hour, ":", a "0" when the minute has one digit, the minute.
  return std::to_string(hour) + ":" + (minute >= 0 && minute < 10 ? "0" : "") + std::to_string(minute);
}

DateFields fields_of(const DateTime& t) {
  return {std::to_string(t.year), std::to_string(t.month), std::to_string(t.day), std::to_string(t.hour),
          std::to_string(t.minute)};
}

DateTime time_of(const DateFields& f) {
  return {field_value(f[0]), field_value(f[1]), field_value(f[2]), field_value(f[3]), field_value(f[4])};
}

}  // namespace

std::optional<CalendarCommand> calendar_command_for_digit(int digit) {
  switch (digit) {
    case 0: return CalendarCommand::Back;
    case 1: return CalendarCommand::New;
    case 2: return CalendarCommand::Import;
    case 3: return CalendarCommand::Export;
    case 4: return CalendarCommand::Read;
    case 5: return CalendarCommand::Update;
    case 6: return CalendarCommand::Write;
    default: return std::nullopt;
  }
}

// ------------------------------------------------------------- event editor

void EventEditor::show(const CalendarEvent& e) {
  event_ = fields_of(event_time(e));
  alarm_ = fields_of(alarm_time(e));
  text_ = e.data;
  call_text_ = e.call_text;
  type_index_ = std::clamp(e.type, 1, 4) - 1;
  alarm_on_ = e.has_alarm();
}

void EventEditor::open_event(std::size_t index) {
  index_ = index;
  const CalendarEvent& e = list_.at(index);
  show(e);
  before_ = before_of(e);
}

void EventEditor::open_hour(const CalendarDate& date, int hour) {
  index_.reset();
  CalendarEvent e;
  e.year = date.year;
  e.month = date.month;
  e.day = date.day;
  e.hour = hour;
  e.minute = 0;
  show(e);
  alarm_ = event_;
}

void EventEditor::open_day(const CalendarDate& date) {
  index_.reset();
  CalendarEvent e;
  e.year = date.year;
  e.month = date.month;
  e.day = date.day;
  show(e);
  alarm_ = event_;
  before_ = AlarmBefore::UserDefined;
}

CalendarEvent EventEditor::fields_event() const {
  CalendarEvent e;
  const DateTime t = validated(time_of(event_));
  e.year = t.year;
  e.month = t.month;
  e.day = t.day;
  e.hour = t.hour;
  e.minute = t.minute;
  e.type = type_index_ + 1;
  const DateTime a = validated(time_of(alarm_));
  e.alarm_year = a.year;
  e.alarm_month = a.month;
  e.alarm_day = a.day;
  e.alarm_hour = a.hour;
  e.alarm_minute = a.minute;
  return e;
}

void EventEditor::recompute_alarm() {
  if (!alarm_on_ || before_ == AlarmBefore::UserDefined) return;
  CalendarEvent e = fields_event();
  if (field_value(alarm_[0]) == 0) e.alarm_year = 0;
  apply_before(e, before_);
  alarm_ = fields_of(alarm_time(e));
}

void EventEditor::leave_event_field(int field) {
  (void)field;
  event_ = fields_of(validated(time_of(event_)));
  recompute_alarm();
}

void EventEditor::leave_alarm_field(int field) {
  (void)field;
  alarm_ = fields_of(validated(time_of(alarm_)));
}

void EventEditor::set_type(int index) { type_index_ = std::clamp(index, 0, 3); }

void EventEditor::set_alarm_enabled(bool on) {
  alarm_on_ = on;
  recompute_alarm();
}

void EventEditor::set_before(AlarmBefore before) {
  before_ = before;
  recompute_alarm();
}

int EventEditor::text_label_id() const {
  static constexpr int kLabels[] = {kTextSubject, kTextPhone, kTextMeetingSubject, kTextName};
  return kLabels[std::clamp(type_index_, 0, 3)];
}

bool EventEditor::call_text_shown() const { return type_index_ + 1 == static_cast<int>(EventType::Call); }

int EventEditor::call_text_label_id() const { return kTextName; }

int EventEditor::text_bytes_left() const {
  std::size_t used = note_text_bytes(text_).size();
  bool whole = cut_note_text(text_) == text_;
  if (call_text_shown()) {
    const std::size_t room = kNoteTextLimit - used;
    used += note_text_bytes(call_text_, room).size();
    whole = whole && cut_note_text(call_text_, room) == call_text_;
  }
  return whole ? static_cast<int>(kNoteTextLimit - used) : 0;
}

void EventEditor::drop_entry(const PhoneBookEntry& entry) {
  if (call_text_shown()) {
    text_ = entry.Phone;
    call_text_ = entry.UNICODE + entry.Name;
  } else {
    text_ = entry.UNICODE + entry.Name;
  }
}

std::size_t EventEditor::ok() {
  CalendarEvent e = fields_event();
  e.data = cut_note_text(text_);
  if (call_text_shown()) e.call_text = cut_note_text(call_text_, kNoteTextLimit - note_text_bytes(e.data).size());
  if (!index_ || *index_ >= list_.size()) {
    e.index = "new";
    if (!alarm_on_) e.alarm_year = e.alarm_month = e.alarm_day = e.alarm_hour = e.alarm_minute = 0;
    list_.append(std::move(e));
    index_ = list_.size() - 1;
    return *index_;
  }
  CalendarEvent& stored = list_.at(*index_);
  e.index = stored.index;
  if (!alarm_on_) {
    // Only the alarm year says "no alarm"; the rest stays for next time.
    e.alarm_year = 0;
  }
  stored = std::move(e);
  return *index_;
}

// ------------------------------------------------------------------ window

CalendarWindow::CalendarWindow(CalendarFamilies& families, OperationEngine& engine, Prompt& prompt,
                               CalendarDate today, DateFormat date_format)
    : families_(families),
      list_(families.list()),
      engine_(engine),
      prompt_(prompt),
      date_format_(std::move(date_format)),
      editor_(families.list()),
      selected_(today) {
  if (!date_format_) date_format_ = [](const CalendarDate& d) { return date_text(d.year, d.month, d.day); };
  rebuild();
}

void CalendarWindow::show_day(const CalendarDate& date) {
  selected_ = date;
  all_ = false;
  rebuild();
}

void CalendarWindow::show_all() {
  all_ = true;
  rebuild();
}

CalendarNode CalendarWindow::event_node(std::size_t index, bool with_date) const {
  const CalendarEvent& e = list_.at(index);
  CalendarNode n;
  n.kind = CalendarNode::Kind::Event;
  n.event = index;
  n.label = time_label(e.hour, e.minute) + "  " + shown_text(e);
  if (with_date) {
    n.label = std::to_string(e.year) + "/" + std::to_string(e.month) + "/" + std::to_string(e.day) + " " + n.label;
  }
  n.icon = e.type + 1;
  n.alarm = e.has_alarm();
  return n;
}

void CalendarWindow::rebuild() {
  list_.sort_and_collapse();
  tree_ = CalendarNode{};
  if (all_) {
    tree_.label = tx(kTextAllEvents);
    for (std::size_t i = 0; i < list_.size(); ++i) tree_.children.push_back(event_node(i, true));
  } else {
    tree_.label = date_format_(selected_);
    CalendarNode the_day;
    the_day.kind = CalendarNode::Kind::TheDay;
    the_day.label = tx(kTextTheDay);
    tree_.children.push_back(std::move(the_day));
    const int first = config().TimeStart;
    const int last = config().TimeEnd;
    for (int h = first; h <= last; ++h) {
      CalendarNode hour;
      hour.kind = CalendarNode::Kind::Hour;
      hour.hour = h;
      hour.label = std::to_string(h) + ":00";
      tree_.children.push_back(std::move(hour));
    }
    for (std::size_t i = 0; i < list_.size(); ++i) {
      const CalendarEvent& e = list_.at(i);
      if (!CalendarList::on_date(e, selected_.year, selected_.month, selected_.day)) continue;
      CalendarNode* under = &tree_.children.front();
      if (!e.all_day() && e.hour >= first && e.hour <= last) {
        under = &tree_.children[static_cast<std::size_t>(e.hour - first + 1)];
      }
      under->children.push_back(event_node(i, false));
    }
  }
  int next = 0;
  number(tree_, next);
}

void CalendarWindow::number(CalendarNode& node, int& next) {
  node.id = next++;
  for (CalendarNode& child : node.children) number(child, next);
}

const CalendarNode* CalendarWindow::node(int id) const {
  std::vector<const CalendarNode*> stack{&tree_};
  while (!stack.empty()) {
    const CalendarNode* n = stack.back();
    stack.pop_back();
    if (n->id == id) return n;
    for (const CalendarNode& c : n->children) stack.push_back(&c);
  }
  return nullptr;
}

bool CalendarWindow::run(CalendarCommand command) {
  switch (command) {
    case CalendarCommand::New:
      if (list_.empty()) return true;
      if (config().DelConfirm && !prompt_.ask_yes_no(tx(kTextSureClearAll))) return true;
      list_.clear();
      import_note_.reset();
      rebuild();
      return true;
    case CalendarCommand::Read:
      if (start_calendar_read(engine_)) import_note_.reset();
      return true;
    case CalendarCommand::Write:
      if (write_allowed() && start_calendar_write(engine_, confirmed_write())) import_note_.reset();
      return true;
    case CalendarCommand::Update:
      return true;
    default:
      return false;
  }
}

bool CalendarWindow::can_create_on(int id) const {
  const CalendarNode* n = node(id);
  return n != nullptr && n->kind != CalendarNode::Kind::Event;
}

bool CalendarWindow::open_editor(int id) {
  const CalendarNode* n = node(id);
  if (n == nullptr) return false;
  switch (n->kind) {
    case CalendarNode::Kind::Event:
      editor_.open_event(n->event);
      return true;
    case CalendarNode::Kind::Hour:
      editor_.open_hour(selected_, n->hour);
      return true;
    default:
      editor_.open_day(selected_);
      return true;
  }
}

void CalendarWindow::collect_events(const CalendarNode& n, std::set<std::size_t>& out) const {
  if (n.kind == CalendarNode::Kind::Event) out.insert(n.event);
  for (const CalendarNode& c : n.children) collect_events(c, out);
}

void CalendarWindow::delete_node(int id) {
  const CalendarNode* n = node(id);
  if (n == nullptr) return;
  std::set<std::size_t> events;
  collect_events(*n, events);
  if (events.empty()) return;
  if (config().DelConfirm && !prompt_.ask_yes_no(tx(kTextSureClear))) return;
  list_.remove(events);
  rebuild();
}

bool CalendarWindow::drop(int event_id, int target_id) {
  if (all_) return false;
  const CalendarNode* from = node(event_id);
  const CalendarNode* to = node(target_id);
  if (from == nullptr || to == nullptr || from->kind != CalendarNode::Kind::Event || from == to) return false;
  CalendarEvent& e = list_.at(from->event);
  switch (to->kind) {
    case CalendarNode::Kind::Event: {
      const CalendarEvent& other = list_.at(to->event);
      e.hour = other.hour;
      e.minute = other.minute;
      break;
    }
    case CalendarNode::Kind::Hour:
      e.hour = to->hour;
      e.minute = 0;
      break;
    default:
      e.hour = 23;
      e.minute = 59;
      break;
  }
  rebuild();
  return true;
}

bool CalendarWindow::export_file(const std::string& path, std::string* report) {
  list_.sort_and_collapse();
  const std::string text = export_icalendar(list_.events());
  if (!replace_file(path, path + ".tmp", text.data(), text.size(), FileAccess::Owner)) {
    prompt_.message(tx(kTextFileError));
    return false;
  }
  if (report != nullptr) *report = tx_with(kTextEventsExported, {std::to_string(list_.events().size()), path});
  return true;
}

bool CalendarWindow::import_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    prompt_.message(tx(kTextFileError));
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  IcalendarImport result = import_icalendar(all.str());
  if (!result.ok) {
    prompt_.message(tx(kTextNotCalendar));
    return false;
  }
  import_note_ = ImportNote{path, result.events.size(), result.left_out};
  for (CalendarEvent& e : result.events) list_.append(std::move(e));
  rebuild();
  if (result.events.empty()) {
    prompt_.message(tx_with(kTextImportTookNothing, {path}) + listed(result.left_out));
  } else if (!result.changes.empty() || !result.left_out.empty()) {
    std::string text = tx(kTextImported);
    for (const std::string& line : result.changes) text += "\n" + line;
    for (const std::string& line : result.left_out) {
      if (std::find(result.changes.begin(), result.changes.end(), line) == result.changes.end()) text += "\n" + line;
    }
    prompt_.message(text);
  }
  return true;
}

bool CalendarWindow::write_allowed() {
  if (!import_note_) return true;
  const ImportNote& note = *import_note_;
  if (list_.empty() && note.taken == 0) {
    prompt_.message(tx_with(kTextImportTookNothing, {note.source}) + listed(note.left_out));
    return false;
  }
  if (note.left_out.empty()) return true;
  return prompt_.ask_yes_no(tx_with(kTextReplaceWithRest, {std::to_string(note.left_out.size()), note.source,
                                                           std::to_string(list_.size())}) +
                            "\n" + tx(kTextLeftOut) + listed(note.left_out));
}

StartOptions CalendarWindow::confirmed_write() {
  StartOptions options;
  options.confirmed = ask_write_confirmation(engine_, prompt_);
  return options;
}

void CalendarWindow::write_time() { start_write_time(engine_); }

void CalendarWindow::read_time() { start_read_time(engine_); }

std::string CalendarWindow::handset_time_text() const {
  const HandsetClock& c = families_.clock().clock();
  if (!c.read) return std::string();
  if (!c.date_set) return tx(kTextClockNotSet);
  return date_time_text(c.time.year, c.time.month, c.time.day, c.time.hour, c.time.minute);
}

void CalendarWindow::leave_alarm_fields() {
  alarm_hour_ = std::to_string(std::clamp(field_value(alarm_hour_), 0, 23));
  alarm_minute_ = std::to_string(std::clamp(field_value(alarm_minute_), 0, 59));
}

void CalendarWindow::read_alarm() { start_read_alarm(engine_); }

void CalendarWindow::write_alarm() {
  leave_alarm_fields();
  start_write_alarm(engine_, alarm_enabled_, field_value(alarm_hour_), field_value(alarm_minute_), confirmed_write());
}

void CalendarWindow::alarm_read() {
  const DiaryAlarm& a = families_.clock().alarm();
  alarm_enabled_ = a.enabled;
  alarm_hour_ = std::to_string(a.hour);
  alarm_minute_ = std::to_string(a.minute);
}

}  // namespace phondeck
