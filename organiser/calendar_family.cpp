#include "organiser/calendar_family.h"

#include <array>
#include <cstdio>

#include "app/date_text.h"
#include "app/text_table.h"
#include "link/message_types.h"
#include "link/operation_engine.h"
#include "organiser/calendar_note.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kTypeCalendar = kMsgCalendar;
constexpr int kSubWritten = 0x65;
constexpr int kSubNote = 0x67;
constexpr int kSubDeleted = 0x69;
constexpr int kNoNote = 0x93;
constexpr int kBusy = 0x81;
constexpr int kFull = 0x73;
constexpr int kLastLocation = 255;  // the request's location is one byte

constexpr int kTextReadProcessing = 3026;
constexpr int kTextReadCompleted = 3027;
constexpr int kTextDeleteProcessing = 3028;
constexpr int kTextDeleteCompleted = 3029;
constexpr int kTextWriteProcessing = 3030;
constexpr int kTextWriteCompleted = 3031;
constexpr int kTextNotEnoughMemory = 3404;
constexpr int kTextNotCleared = 3430;
constexpr int kTextNotWritten = 3431;
constexpr int kTextBusy = 3432;

void send_note_request(OperationEngine& engine, std::uint8_t sub, int location) {
  const std::array<std::uint8_t, 5> request{0x00, 0x01, 0x00, sub, static_cast<std::uint8_t>(location)};
  engine.frames().send_request(kTypeCalendar, request, 1);
}

}  // namespace

std::string event_line(const CalendarEvent& e) {
  return date_time_text(e.year, e.month, e.day, e.hour, e.minute) + "  " + e.data;
}

bool start_calendar_read(OperationEngine& engine, StartOptions options) {
  Operation read;
  read.family = LinkState::Calendar;
  read.step = static_cast<int>(CalendarFamily::Step::OpenRead);
  read.model_check = true;
  OperationParams params;
  CalendarParams(params).set_location(1);
  read.params = params;
  return engine.guard_without_confirmation(read.with(std::move(options)));
}

bool start_calendar_write(OperationEngine& engine, StartOptions options) {
  Operation write;
  write.family = LinkState::Calendar;
  write.step = static_cast<int>(CalendarFamily::Step::OpenWrite);
  write.model_check = true;
  OperationParams params;
  CalendarParams p(params);
  p.set_written(0);
  p.set_total(0);  // counted from the list when the write starts
  write.params = params;
  return engine.guard_with_confirmation(write.with(std::move(options)));
}

void CalendarFamily::send_phase(OperationEngine& engine) {
  CalendarParams p(engine.params());
  switch (engine.step_as<Step>()) {
    case Step::OpenRead:
      engine.progress_done();
      engine.progress_max(16);
      engine.status_text_id(kTextReadProcessing);
      engine.open_exchange(Step::ReadNote);
      return;
    case Step::ReadNote:
      if (p.location() < 1 || p.location() > kLastLocation) {
        engine.finish(kTextReadCompleted);
        if (refresh_) refresh_();
        return;
      }
      send_note_request(engine, 0x66, p.location());
      return;
    case Step::OpenDelete:
      clear_failed_ = false;
      p.set_rounds(0);
      engine.progress_done();
      engine.progress_max(16);
      engine.status_text_id(kTextDeleteProcessing);
      engine.open_exchange(Step::DeleteRead);
      return;
    case Step::DeleteRead:
      // Bounded: a handset that keeps its first note would be asked for ever.
      if (p.rounds() >= kMaxNotes) {
        clear_failed_ = true;
        engine.finish_failed(-1);
        return;
      }
      p.set_rounds(p.rounds() + 1);
      send_note_request(engine, 0x66, 1);
      return;
    case Step::DeleteNote:
      send_note_request(engine, 0x68, 1);
      return;
    case Step::OpenWrite:
      to_write_ = list_.events();
      restarts_ = 0;
      begin_write(engine);
      return;
    case Step::WriteClear:
      if (interrupted_) {
        begin_write(engine);
        return;
      }
      engine.push(LinkState::Calendar, static_cast<int>(Step::WriteNote));
      engine.set_step(Step::OpenDelete);
      send_phase(engine);
      return;
    case Step::WriteNote:
      if (interrupted_) {
        begin_write(engine);
        return;
      }
      send_next_note(engine);
      return;
  }
}

// Resumed after a reconnect too: notes are appended, not placed, so the
// handset is cleared again and every event of the write is sent afresh.
void CalendarFamily::begin_write(OperationEngine& engine) {
  CalendarParams p(engine.params());
  writing_ = true;
  interrupted_ = false;
  confirmed_ = 0;
  unanswered_ = -1;
  clear_failed_ = false;
  p.set_written(0);
  p.set_total(static_cast<int>(to_write_.size()));
  engine.result().notes = 0;
  engine.set_step(Step::OpenWrite);
  engine.open_exchange(Step::WriteClear);
}

void CalendarFamily::send_next_note(OperationEngine& engine) {
  CalendarParams p(engine.params());
  if (clear_failed_) {
    // The clear has marked the result failed at its step.
    writing_ = false;
    to_write_.clear();
    engine.result().message = tx(kTextNotCleared);
    engine.finish();
    return;
  }
  engine.progress_max(p.total());
  engine.status_text_id(kTextWriteProcessing);
  if (unanswered_ == p.written()) {
    // Sent again after the retries ran out: the handset may hold it without
    // its answer having come back, and notes are appended, not placed. Start
    // again from the clear rather than risk a second copy, a few times.
    if (restarts_ < kMaxRestarts) {
      ++restarts_;
      begin_write(engine);
      return;
    }
    writing_ = false;
    unanswered_ = -1;
    engine.result().message = unwritten_text(std::string(), static_cast<std::size_t>(p.written()));
    engine.finish_failed(-1);
    return;
  }
  if (p.written() < p.total() && static_cast<std::size_t>(p.written()) < to_write_.size()) {
    unanswered_ = p.written();
    const std::vector<std::uint8_t> request =
        note_write_request(to_write_[static_cast<std::size_t>(p.written())]);
    engine.frames().send_request(kTypeCalendar, request, 1);
    return;
  }
  writing_ = false;
  to_write_.clear();
  engine.finish(kTextWriteCompleted);
}

void CalendarFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.type() != kTypeCalendar) return;
  switch (engine.step_as<Step>()) {
    case Step::ReadNote:
      if (frame.sub_type() == kSubNote) read_reply(engine, frame);
      return;
    case Step::DeleteRead:
      delete_read_reply(engine, frame);
      return;
    case Step::DeleteNote:
      if (frame.sub_type() != kSubDeleted) return;
      engine.frames().acknowledge(kTypeCalendar);
      if (frame.data(4) == kBusy) {
        // Refused (its calendar menu is open): stop, and write nothing.
        clear_failed_ = true;
        engine.finish_failed(kBusy);
        return;
      }
      engine.set_step(Step::DeleteRead);
      return;
    case Step::WriteNote: {
      if (frame.sub_type() != kSubWritten) return;
      engine.frames().acknowledge(kTypeCalendar);
      CalendarParams p(engine.params());
      unanswered_ = -1;
      const int code = frame.data(4);
      if (code == kFull || code == kBusy) {
        writing_ = false;
        engine.result().message = unwritten_text(tx(code == kFull ? kTextNotEnoughMemory : kTextBusy),
                                                 static_cast<std::size_t>(p.written()));
        engine.finish_failed(code);
        return;
      }
      p.set_written(p.written() + 1);
      confirmed_ = static_cast<std::size_t>(p.written());
      engine.result().notes = p.written();
      engine.progress_advance();
      return;
    }
    default:
      return;
  }
}

void CalendarFamily::read_reply(OperationEngine& engine, const LinkFrame& frame) {
  CalendarEvent event;
  const NoteReply reply = parse_note_reply({frame.data(), frame.data_length()}, event);
  // A reply too short for its fields is not taken: the request is sent again.
  if (reply == NoteReply::Malformed) return;
  engine.frames().acknowledge(kTypeCalendar);
  CalendarParams p(engine.params());
  switch (reply) {
    case NoteReply::Note:
      event.index = std::to_string(p.location());
      list_.append(std::move(event));
      p.set_location(p.location() + 1);
      ++engine.result().notes;
      engine.progress_advance();
      return;
    case NoteReply::Refused:
      // The notes before it stay in the list.
      engine.result().message = tx(kTextBusy);
      engine.finish_failed(kBusy, kTextReadCompleted);
      if (refresh_) refresh_();
      return;
    default:
      engine.finish(kTextReadCompleted);
      if (refresh_) refresh_();
      return;
  }
}

void CalendarFamily::delete_read_reply(OperationEngine& engine, const LinkFrame& frame) {
  const int sub = frame.sub_type();
  if (sub != kSubNote && sub != kSubDeleted) return;
  engine.frames().acknowledge(kTypeCalendar);
  if (frame.data(4) == kNoNote) {
    engine.finish(kTextDeleteCompleted);
    return;
  }
  if (sub == kSubNote) {
    if (frame.data(4) == kBusy) {
      clear_failed_ = true;
      engine.finish_failed(kBusy);
      return;
    }
    engine.set_step(Step::DeleteNote);
  }
  // A late delete answer: the send phase asks for location 1 again.
}

void CalendarFamily::link_reset() {
  if (!writing_) return;
  writing_ = false;
  interrupted_ = true;
}

void CalendarFamily::operation_abandoned(OperationResult& lost) {
  if (!interrupted_) return;
  interrupted_ = false;
  // Which were written is not known past the last answer: name them all
  // from the first the handset has not confirmed.
  lost.notes = static_cast<int>(confirmed_);
  lost.message = unwritten_text(std::string(), confirmed_);
}

std::string CalendarFamily::unwritten_text(const std::string& reason, std::size_t written) {
  std::string text = reason.empty() ? std::string() : reason + "\n";
  text += tx(kTextNotWritten);
  for (std::size_t i = written; i < to_write_.size(); ++i) text += "\n" + event_line(to_write_[i]);
  to_write_.clear();
  return text;
}

}  // namespace phondeck
