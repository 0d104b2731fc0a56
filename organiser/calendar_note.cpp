#include "organiser/calendar_note.h"

#include <algorithm>
#include <string>

#include "phonebook/text_codec.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kNoNote = 0x93;
constexpr std::uint8_t kBusy = 0x81;
constexpr std::size_t kTextLengthAt = 23;
constexpr std::size_t kFixedFields = kTextLengthAt + 1;

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
  // Every type: the text's length, the text; a Call note then its number's
  // length and the number. A length is cut at the end of the record.
  std::size_t at = kTextLengthAt;
  auto field = [&data, &at]() {
    if (at >= data.size()) return std::string();
    const std::size_t start = at + 1;
    const std::size_t length = std::min<std::size_t>(data[at], data.size() - start);
    at = start + length;
    return decode_name(data.subspan(start, length));
  };
  std::string text = field();
  if (e.type == static_cast<int>(EventType::Call)) {
    e.call_text = std::move(text);
    e.data = field();
  } else {
    e.data = std::move(text);
  }
  out = std::move(e);
  return NoteReply::Note;
}

std::vector<std::uint8_t> note_write_request(const CalendarEvent& e) {
  const int type = std::clamp(e.type, 1, 4);
  const bool call = type == static_cast<int>(EventType::Call);
  // A Call note's number is its data, its text the call_text; both share
  // the note's room, the number first.
  const std::string number = call ? note_text_bytes(e.data) : std::string();
  const std::string text = note_text_bytes(call ? e.call_text : e.data, kNoteTextLimit - number.size());
  std::vector<std::uint8_t> p{0x00, 0x01, 0x00, 0x64, 0x01, 0x10};
  p.push_back(static_cast<std::uint8_t>(text.size() + number.size() + 19));
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
  // The text, then the number (empty for every type but Call).
  p.push_back(static_cast<std::uint8_t>(text.size()));
  p.insert(p.end(), text.begin(), text.end());
  p.push_back(static_cast<std::uint8_t>(number.size()));
  p.insert(p.end(), number.begin(), number.end());
  return p;
}

}  // namespace phondeck
