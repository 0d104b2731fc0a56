#include "organiser/calendar_note.h"

#include <algorithm>
#include <string>

#include "phonebook/text_codec.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kNoNote = 0x93;
constexpr std::uint8_t kBusy = 0x81;
constexpr std::size_t kFixedFields = 24;  // through the text length of types 1, 3, 4

int word(std::span<const std::uint8_t> d, std::size_t k) { return d[k] << 8 | d[k + 1]; }

std::uint8_t byte_of(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

void put_word(std::vector<std::uint8_t>& out, int value) {
  const int v = std::clamp(value, 0, 0xFFFF);
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

}  // namespace

NoteReply parse_note_reply(std::span<const std::uint8_t> data, CalendarEvent& out) {
  if (data.size() < 5) return NoteReply::Malformed;
  if (data[4] == kNoNote) return NoteReply::Empty;
  if (data[4] == kBusy) return NoteReply::Refused;
  if (data.size() < kFixedFields) return NoteReply::Malformed;
  CalendarEvent e;
  e.type = data[8];
  e.year = word(data, 9);
  e.month = data[11];
  e.day = data[12];
  e.hour = data[13];
  e.minute = data[14];
  e.alarm_year = word(data, 16);
  e.alarm_month = data[18];
  e.alarm_day = data[19];
  e.alarm_hour = data[20];
  e.alarm_minute = data[21];
  // A Call note's text (the number) starts one byte later.
  const std::size_t length_at = e.type == static_cast<int>(EventType::Call) ? 24 : 23;
  if (data.size() <= length_at) return NoteReply::Malformed;
  const std::size_t start = length_at + 1;
  const std::size_t length = std::min<std::size_t>(data[length_at], data.size() - std::min(start, data.size()));
  e.data = decode_name(data.subspan(std::min(start, data.size()), length));
  out = std::move(e);
  return NoteReply::Note;
}

std::vector<std::uint8_t> note_write_request(const CalendarEvent& e) {
  const std::string text = note_text_bytes(e.data);
  std::vector<std::uint8_t> p{0x00, 0x01, 0x00, 0x64, 0x01, 0x10};
  p.push_back(static_cast<std::uint8_t>(text.size() + 19));
  const int type = std::clamp(e.type, 1, 4);
  p.push_back(static_cast<std::uint8_t>(type));
  put_word(p, e.year);
  for (int v : {e.month, e.day, e.hour, e.minute}) p.push_back(byte_of(v));
  p.push_back(0x00);
  if (e.has_alarm()) {
    put_word(p, e.alarm_year);
    for (int v : {e.alarm_month, e.alarm_day, e.alarm_hour, e.alarm_minute}) p.push_back(byte_of(v));
  } else {
    p.insert(p.end(), 6, 0x00);
  }
  p.push_back(0x00);
  if (type == static_cast<int>(EventType::Call)) p.push_back(0x00);
  p.push_back(static_cast<std::uint8_t>(text.size()));
  p.insert(p.end(), text.begin(), text.end());
  if (type != static_cast<int>(EventType::Call)) p.push_back(0x00);
  return p;
}

}  // namespace phondeck
