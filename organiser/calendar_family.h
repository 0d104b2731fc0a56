#pragma once
// The calendar family (link state 10): Read calendar (steps 11..12) adds
// every note of the handset to the calendar list; Write calendar (41..43)
// deletes the handset's notes (Delete all notes, 21..23) and writes the list.
#include <functional>
#include <string>
#include <vector>

#include "link/family_handler.h"
#include "organiser/calendar_list.h"

namespace phondeck {

// The engine's parameters as the calendar operations use them.
class CalendarParams {
 public:
  explicit CalendarParams(OperationParams& params) : p_(params) {}
  // The next location to read, from 1 (p1).
  int location() const { return p_.p1; }
  void set_location(int location) { p_.p1 = location; }
  // Events written so far (p2) of the total to write (p3).
  int written() const { return p_.p2; }
  void set_written(int written) { p_.p2 = written; }
  int total() const { return p_.p3; }
  void set_total(int total) { p_.p3 = total; }
  // Reads of location 1 made by Delete all notes (p4).
  int rounds() const { return p_.p4; }
  void set_rounds(int rounds) { p_.p4 = rounds; }

 private:
  OperationParams& p_;
};

// Start functions; false when nothing started (or was queued). Both are
// refused on models beginning with "5".
// Calendar > Read through the guard without confirmation: done with the
// notes read; failed when the handset refused a read (its menu open), the
// notes before it kept.
bool start_calendar_read(OperationEngine& engine, StartOptions options = {});
// Calendar > Write through the guard with confirmation: the list as it is
// now replaces every note of the handset. Done with the notes written;
// failed (the step and the handset's code, the events not written in the
// message) when the handset would not clear or took no more.
bool start_calendar_write(OperationEngine& engine, StartOptions options = {});

class CalendarFamily final : public FamilyHandler {
 public:
  enum class Step : int {
    OpenRead = 11,
    ReadNote = 12,
    OpenDelete = 21,
    DeleteRead = 22,  // asks for location 1 until it is empty
    DeleteNote = 23,
    OpenWrite = 41,
    WriteClear = 42,  // Delete all notes as a sub-operation
    WriteNote = 43,
  };
  // No handset of these models holds more notes: a location 1 that is still
  // full after this many deletes means the handset keeps it.
  static constexpr int kMaxNotes = 100;
  // A note whose answer never came: the write starts again from the clear
  // this many times before it stops.
  static constexpr int kMaxRestarts = 2;

  explicit CalendarFamily(CalendarList& list) : list_(list) {}
  // Told when a read has added to the list (the view is rebuilt).
  void set_refresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  // A write cut short by the link starts again from the clear when the link
  // comes back; when it does not, the result names the events not written.
  void link_reset() override;
  void operation_abandoned(OperationResult& lost) override;

 private:
  void read_reply(OperationEngine& engine, const LinkFrame& frame);
  void delete_read_reply(OperationEngine& engine, const LinkFrame& frame);
  void begin_write(OperationEngine& engine);
  void send_next_note(OperationEngine& engine);
  // The message of a write that stopped: the reason (if any), then each
  // event from the first not written.
  std::string unwritten_text(const std::string& reason, std::size_t written);

  CalendarList& list_;
  std::function<void()> refresh_;
  // The write in progress: the events as they were when it started.
  std::vector<CalendarEvent> to_write_;
  bool writing_ = false;
  bool interrupted_ = false;  // a write the link cut short
  int restarts_ = 0;
  std::size_t confirmed_ = 0;  // notes the handset has confirmed
  int unanswered_ = -1;        // the note sent and not yet confirmed
  bool clear_failed_ = false;
};

// One event as a line of a message: date, time and text.
std::string event_line(const CalendarEvent& e);

}  // namespace phondeck
