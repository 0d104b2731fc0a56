// Calendar notes (0x13), the clock and the diary alarm (0x11), and the
// keypad (0x0C).
#include "sim/family_calendar.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string_view>

#include "sim/handset.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

constexpr std::uint8_t kReadNote = 0x66;
constexpr std::uint8_t kNote = 0x67;
constexpr std::uint8_t kDeleteNote = 0x68;
constexpr std::uint8_t kDeleted = 0x69;
constexpr std::uint8_t kWriteNote = 0x64;
constexpr std::uint8_t kWritten = 0x65;
constexpr std::uint8_t kDone = 0x01;
constexpr std::uint8_t kNoNote = 0x93;
constexpr std::uint8_t kBusy = 0x81;
constexpr std::uint8_t kFull = 0x73;
// Switching the alarm off through the menu.
constexpr int kAlarmOffKeys[] = {15, 25, 4, 1, 2, 15};

void put_time(Bytes& p, const NoteTime& t) {
  p.push_back(static_cast<std::uint8_t>(t.year >> 8));
  p.push_back(static_cast<std::uint8_t>(t.year & 0xFF));
  for (int v : {t.month, t.day, t.hour, t.minute}) p.push_back(static_cast<std::uint8_t>(v));
}

NoteTime time_at(const Bytes& d, std::size_t k) {
  return {d[k] << 8 | d[k + 1], d[k + 2], d[k + 3], d[k + 4], d[k + 5]};
}

bool read_note(Handset& handset, const Request& request) {
  if (request.sub_type() != kReadNote) return false;
  const CalendarState& c = handset.state().calendar;
  const int location = request.at(4);
  if (location < 1 || location > static_cast<int>(c.notes.size())) {
    handset.reply(kTypeCalendar, Bytes{0x00, 0x01, 0x00, kNote, kNoNote});
    return true;
  }
  const CalendarNote& n = c.notes[static_cast<std::size_t>(location - 1)];
  Bytes p{0x00, 0x01, 0x00, kNote, kDone, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(n.type)};
  put_time(p, n.when);
  p.push_back(0x00);
  if (n.alarm) {
    put_time(p, *n.alarm);
  } else {
    p.insert(p.end(), 6, 0x00);
  }
  p.push_back(0x00);
  p.push_back(static_cast<std::uint8_t>(n.text.size()));  // 23
  p.insert(p.end(), n.text.begin(), n.text.end());
  if (n.type == 2) {  // a Call note: its number after the text
    p.push_back(static_cast<std::uint8_t>(n.number.size()));
    p.insert(p.end(), n.number.begin(), n.number.end());
  }
  handset.reply(kTypeCalendar, std::move(p));
  return true;
}

bool delete_note(Handset& handset, const Request& request) {
  if (request.sub_type() != kDeleteNote) return false;
  CalendarState& c = handset.state().calendar;
  const int location = request.at(4);
  std::uint8_t result = kDone;
  if (c.menu_open) {
    result = kBusy;
  } else if (location < 1 || location > static_cast<int>(c.notes.size())) {
    result = kNoNote;
  } else if (!c.keeps_deleted) {
    // The notes after it move up one location.
    c.notes.erase(c.notes.begin() + (location - 1));
  }
  handset.reply(kTypeCalendar, Bytes{0x00, 0x01, 0x00, kDeleted, result});
  return true;
}

bool write_note(Handset& handset, const Request& request) {
  if (request.sub_type() != kWriteNote) return false;
  CalendarState& c = handset.state().calendar;
  const Bytes& d = request.payload;
  // 00 01 00 64 01 10 L type year(2) month day hour minute 00 alarm(6) 00 text...
  CalendarNote n;
  n.type = request.at(7);
  std::uint8_t result = kDone;
  // The text's length and text from byte 22, then the number's (a single 00
  // for every type but Call).
  const std::size_t length_at = 22;
  const std::size_t number_at = d.size() > length_at ? length_at + 1 + d[length_at] : d.size();
  if (number_at >= d.size() || d.size() < number_at + 1 + d[number_at] || n.type < 1 || n.type > 4) {
    result = 0x02;  // malformed
  } else if (c.menu_open) {
    result = kBusy;
  } else if (static_cast<int>(c.notes.size()) >= c.limit) {
    result = kFull;
  } else {
    n.when = time_at(d, 8);
    if (d[15] != 0 || d[16] != 0) n.alarm = time_at(d, 15);
    n.text.assign(d.begin() + static_cast<long>(length_at + 1), d.begin() + static_cast<long>(number_at));
    if (n.type == 2) {
      n.number.assign(d.begin() + static_cast<long>(number_at + 1),
                      d.begin() + static_cast<long>(number_at + 1 + d[number_at]));
    }
    c.notes.push_back(std::move(n));
  }
  handset.reply(kTypeCalendar, Bytes{0x00, 0x01, 0x00, kWritten, result,
                                     static_cast<std::uint8_t>(c.notes.size())});
  return true;
}

// The clock as it stands now: as set, plus the time since.
ClockTime clock_now(Handset& handset) {
  CalendarState& c = handset.state().calendar;
  const std::int64_t now = handset.clock().now_ms();
  if (!c.clock_set_ms) c.clock_set_ms = now;
  using namespace std::chrono;
  const ClockTime& t = c.clock;
  const year_month_day date{year{std::clamp(t.year, 0, 9999)}, month{static_cast<unsigned>(t.month)},
                            day{static_cast<unsigned>(t.day)}};
  if (!date.ok()) return t;
  const sys_seconds base = sys_days{date} + hours{t.hour} + minutes{t.minute} + seconds{t.second};
  const sys_seconds at = base + seconds{(now - *c.clock_set_ms) / 1000};
  const sys_days day_of = floor<days>(at);
  const year_month_day ymd{day_of};
  const hh_mm_ss<seconds> hms{at - day_of};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(hms.hours().count()),
          static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count())};
}

bool clock_request(Handset& handset, const Request& request) {
  CalendarState& c = handset.state().calendar;
  switch (request.sub_type()) {
    case 0x60:  // set the clock: 01 01 07, year (2), month, day, hour, minute, second
      if (request.payload.size() < 14) return false;
      c.clock = {request.at(7) << 8 | request.at(8), request.at(9), request.at(10), request.at(11),
                 request.at(12), request.at(13)};
      c.date_set = true;
      c.clock_set_ms = handset.clock().now_ms();
      handset.reply(kTypeClock, Bytes{0x00, 0x01, 0x00, 0x61, kDone});
      return true;
    case 0x62: {
      const ClockTime t = clock_now(handset);
      // Byte 5: 01 once the clock has been set.
      handset.reply(kTypeClock, Bytes{0x00, 0x01, 0x00, 0x63, 0x01, static_cast<std::uint8_t>(c.date_set ? 1 : 0),
                                      0x00, 0x00, static_cast<std::uint8_t>(t.year >> 8),
                                      static_cast<std::uint8_t>(t.year & 0xFF), static_cast<std::uint8_t>(t.month),
                                      static_cast<std::uint8_t>(t.day), static_cast<std::uint8_t>(t.hour),
                                      static_cast<std::uint8_t>(t.minute), static_cast<std::uint8_t>(t.second)});
      return true;
    }
    case 0x6B:  // set the alarm: 01 20 03 02, hour, minute
      if (request.payload.size() < 10 || request.at(8) > 23 || request.at(9) > 59) {
        handset.reply(kTypeClock, Bytes{0x00, 0x01, 0x00, 0x6C, 0x02});
        return true;
      }
      c.alarm_on = true;
      c.alarm_hour = request.at(8);
      c.alarm_minute = request.at(9);
      handset.reply(kTypeClock, Bytes{0x00, 0x01, 0x00, 0x6C, kDone});
      return true;
    case 0x6D:
      handset.reply(kTypeClock, Bytes{0x00, 0x01, 0x00, 0x6E, kDone, 0x00, 0x00, 0x00,
                                      static_cast<std::uint8_t>(c.alarm_on ? 2 : 1),
                                      static_cast<std::uint8_t>(c.alarm_hour),
                                      static_cast<std::uint8_t>(c.alarm_minute)});
      return true;
    default:
      return false;
  }
}

// Key presses are only recorded (and acknowledged); the menu sequence that
// switches the alarm off does so.
bool key_request(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x42) return false;
  CalendarState& c = handset.state().calendar;
  c.keys.push_back(KeyPress{request.at(4) == 1, request.at(5)});
  std::vector<int> presses;
  for (const KeyPress& k : c.keys) {
    if (k.press) presses.push_back(k.key);
  }
  const std::size_t n = std::size(kAlarmOffKeys);
  if (!c.keys.back().press && presses.size() >= n &&
      std::equal(std::begin(kAlarmOffKeys), std::end(kAlarmOffKeys), presses.end() - static_cast<long>(n))) {
    c.alarm_on = false;
  }
  return true;
}

void add_handlers(DispatchTable& table) {
  table.add(kTypeCalendar, read_note);
  table.add(kTypeCalendar, delete_note);
  table.add(kTypeCalendar, write_note);
  table.add(kTypeClock, clock_request);
  table.add(kTypeKeypad, key_request);
}

nlohmann::json time_json(const NoteTime& t) { return {t.year, t.month, t.day, t.hour, t.minute}; }

NoteTime time_of(const nlohmann::json& j) {
  if (!j.is_array() || j.size() != 5) throw std::invalid_argument("a note time is [year, month, day, hour, minute]");
  NoteTime t{json_as<int>(j[0]), json_as<int>(j[1]), json_as<int>(j[2]), json_as<int>(j[3]), json_as<int>(j[4])};
  if (t.year < 0 || t.year > 0xFFFF || t.month < 0 || t.month > 255 || t.day < 0 || t.day > 255 || t.hour < 0 ||
      t.hour > 255 || t.minute < 0 || t.minute > 255) {
    throw std::invalid_argument("note time out of range");
  }
  return t;
}

bool printable(const Bytes& b) {
  return std::all_of(b.begin(), b.end(), [](std::uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

void save(const HandsetState& state, nlohmann::json& j) {
  const CalendarState& c = state.calendar;
  nlohmann::json notes = nlohmann::json::array();
  for (const CalendarNote& n : c.notes) {
    nlohmann::json e{{"type", n.type}, {"when", time_json(n.when)}};
    if (n.alarm) e["alarm"] = time_json(*n.alarm);
    if (printable(n.text)) {
      e["text"] = std::string(n.text.begin(), n.text.end());
    } else {
      e["text_bytes"] = n.text;
    }
    if (n.type == 2) e["number"] = std::string(n.number.begin(), n.number.end());
    notes.push_back(std::move(e));
  }
  nlohmann::json keys = nlohmann::json::array();
  for (const KeyPress& k : c.keys) keys.push_back({k.press ? "press" : "release", k.key});
  const ClockTime& t = c.clock;
  j["calendar"] = {{"limit", c.limit},
                   {"menu_open", c.menu_open},
                   {"keeps_deleted", c.keeps_deleted},
                   {"notes", std::move(notes)}};
  j["clock"] = {{"date_set", c.date_set}, {"time", {t.year, t.month, t.day, t.hour, t.minute, t.second}}};
  j["alarm"] = {{"on", c.alarm_on}, {"hour", c.alarm_hour}, {"minute", c.alarm_minute}};
  j["keys"] = std::move(keys);
}

void load(const nlohmann::json& j, HandsetState& state) {
  CalendarState& c = state.calendar;
  if (j.contains("calendar")) {
    const nlohmann::json& cal = j.at("calendar");
    c.limit = json_field(cal, "limit", c.limit);
    if (c.limit < 0 || c.limit > 255) throw std::invalid_argument("calendar limit out of range");
    c.menu_open = json_field(cal, "menu_open", c.menu_open);
    c.keeps_deleted = json_field(cal, "keeps_deleted", c.keeps_deleted);
    if (cal.contains("notes")) {
      c.notes.clear();
      for (const nlohmann::json& e : cal.at("notes")) {
        CalendarNote n;
        n.type = json_as<int>(e.at("type"));
        if (n.type < 1 || n.type > 4) throw std::invalid_argument("note type out of range");
        n.when = time_of(e.at("when"));
        if (e.contains("alarm")) n.alarm = time_of(e.at("alarm"));
        if (e.contains("text_bytes")) {
          for (const int b : json_ints(e.at("text_bytes"))) {
            if (b < 0 || b > 0xFF) throw std::invalid_argument("note text byte out of range");
            n.text.push_back(static_cast<std::uint8_t>(b));
          }
        } else {
          const std::string text = json_field(e, "text", std::string());
          n.text.assign(text.begin(), text.end());
        }
        if (n.type == 2) {
          const std::string number = json_field(e, "number", std::string());
          n.number.assign(number.begin(), number.end());
        }
        if (n.text.size() + n.number.size() > 229) throw std::invalid_argument("note text too long");
        c.notes.push_back(std::move(n));
      }
    }
  }
  if (j.contains("clock")) {
    const nlohmann::json& k = j.at("clock");
    c.date_set = json_field(k, "date_set", c.date_set);
    if (k.contains("time")) {
      const auto t = json_ints(k.at("time"));
      if (t.size() != 6) throw std::invalid_argument("clock time is [year, month, day, hour, minute, second]");
      c.clock = {t[0], t[1], t[2], t[3], t[4], t[5]};
    }
  }
  if (j.contains("alarm")) {
    const nlohmann::json& a = j.at("alarm");
    c.alarm_on = json_field(a, "on", c.alarm_on);
    c.alarm_hour = std::clamp(json_field(a, "hour", c.alarm_hour), 0, 23);
    c.alarm_minute = std::clamp(json_field(a, "minute", c.alarm_minute), 0, 59);
  }
  if (j.contains("keys")) {
    c.keys.clear();
    for (const nlohmann::json& k : j.at("keys")) {
      c.keys.push_back(KeyPress{k.at(0).get<std::string>() == "press", json_as<int>(k.at(1))});
    }
  }
}

}  // namespace

CalendarState demo_calendar() {
  CalendarState c;
  auto text = [](std::string_view t) { return Bytes(t.begin(), t.end()); };
  c.notes.push_back({3, {2026, 12, 8, 10, 30}, NoteTime{2026, 12, 8, 10, 20}, text("Project meeting"), {}});
  c.notes.push_back({2, {2026, 12, 9, 9, 0}, std::nullopt, text("Call Anna"), text("+358401234567")});
  c.notes.push_back({4, {1980, 12, 24, 23, 59}, std::nullopt, text("Mum"), {}});
  // "Drink tea" in Chinese, as UCS-2 behind the 0x04 0xFF marker.
  c.notes.push_back({1, {2026, 12, 10, 23, 59}, NoteTime{2026, 12, 10, 8, 0}, Bytes{0x04, 0xFF, 0x55, 0x9D, 0x83, 0x36}, {}});
  c.clock = {2026, 1, 1, 0, 0, 0};
  return c;
}

HandsetFamily calendar_family() { return {"calendar", add_handlers, save, load}; }

}  // namespace phondeck::sim
