#pragma once
// A calendar note as the handset's note reply (0x13, sub-type 0x67) carries
// it, and the note write request (0x13, sub-type 0x64) the PC sends.
#include <cstdint>
#include <span>
#include <vector>

#include "organiser/calendar_list.h"

namespace phondeck {

enum class NoteReply {
  Note,      // a note follows; `out` holds it
  Empty,     // 0x93: the location holds no note
  Refused,   // 0x81: the handset is busy (its calendar menu is open)
  Malformed, // too short for the fields it must carry
};

// Reads a note reply's data (payload byte k = data byte k). The text is at
// most the bytes present; the fields are taken as they come.
NoteReply parse_note_reply(std::span<const std::uint8_t> data, CalendarEvent& out);

// The write request's payload for an event: 00 01 00 64 01 10, the length,
// type, date and time, the alarm (all 00 without one), then the text's
// length and text and the number's length and number (a Call note's data;
// empty, a single 00, for the others). Years beyond the two bytes are
// clamped, text and number together are cut to kNoteTextLimit bytes.
std::vector<std::uint8_t> note_write_request(const CalendarEvent& e);

}  // namespace phondeck
