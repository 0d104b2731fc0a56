#include "organiser/message_family.h"

#include <algorithm>
#include <array>
#include <utility>

#include "app/text_table.h"
#include "link/message_types.h"
#include "link/operation_engine.h"
#include "link/reply_frames.h"
#include "organiser/long_message.h"
#include "phonebook/text_codec.h"

namespace phondeck {
namespace {

using Step = MessageFamily::Step;

constexpr int kTextReadProcessing = 3016;
constexpr int kTextReadCompleted = 3017;
constexpr int kTextWriteProcessing = 3018;
constexpr int kTextWriteCompleted = 3019;
constexpr int kTextDeleteProcessing = 3020;
constexpr int kTextDeleteCompleted = 3021;
constexpr int kTextSmscProcessing = 3022;
constexpr int kTextSmscCompleted = 3023;
constexpr int kTextSendProcessing = 3024;
constexpr int kTextSendCompleted = 3025;
constexpr int kTextNotEnoughMemory = 3404;
constexpr int kTextCentreNotRead = 3691;
constexpr int kTextSucceeded = 3503;
constexpr int kTextFailed = 3504;
constexpr int kTextFailedBecause = 3700;

constexpr std::uint8_t kSubRecord = 0x08;
constexpr std::uint8_t kHeaderIndicator = 0x40;  // first octet: user data begins with a header
constexpr std::uint8_t kSubNoRecord = 0x09;
constexpr std::uint8_t kNoRecordBeyond = 0x02;  // 09 02: past the memory's end
constexpr std::uint8_t kSubDeleted = 0x0B;
constexpr std::uint8_t kSubNotDeleted = 0x0C;
// A handset that gives no location count is read until the stored messages
// are found or it answers that the memory ended.
constexpr int kLocationsAtMost = 255;
constexpr std::uint8_t kSubSent = 0x02;
constexpr std::uint8_t kSubSmscWritten = 0x31;
constexpr std::uint8_t kSubSmscRead = 0x34;
constexpr std::uint8_t kSubStatus = 0x37;
constexpr std::uint8_t kSubWritten = 0x05;
constexpr std::uint8_t kSubNotWritten = 0x06;

// The step after this one.
Step after(Step step) { return static_cast<Step>(static_cast<int>(step) + 1); }

// The operation goes on at `next` when the sub-operation started now ends.
void push_then(OperationEngine& engine, Step next) { engine.push(LinkState::Messages, static_cast<int>(next)); }

void send_status_request(OperationEngine& engine) {
  const std::array<std::uint8_t, 5> request{0x00, 0x01, 0x00, 0x36, 0x64};
  engine.frames().send_request(kMsgSms, request, 1);
}

Operation message_operation(Step step) {
  Operation op;
  op.family = LinkState::Messages;
  op.step = static_cast<int>(step);
  return op;
}

// Read messages from location 1 as a sub-operation (after a write or delete).
void start_read_now(OperationEngine& engine) {
  Operation read = message_operation(Step::Read);
  OperationParams params;
  MessageParams p(params);
  p.set_next(1);
  p.set_done(0);
  read.params = params;
  engine.start(read, 0);
}

}  // namespace

bool start_message_read(OperationEngine& engine, MessageFamily&, StartOptions options) {
  Operation read = message_operation(Step::Read);
  OperationParams params;
  MessageParams p(params);
  p.set_next(1);
  p.set_done(0);
  read.params = params;
  return engine.guard_without_confirmation(read.with(std::move(options)));
}

bool start_message_write(OperationEngine& engine, StartOptions options) {
  return engine.guard_with_confirmation(message_operation(Step::Write).with(std::move(options)));
}

bool start_messages_store(OperationEngine& engine, MessageFamily& family, std::vector<StoredMessage> messages,
                          StartOptions options) {
  if (messages.empty()) return engine.refuse(options.done, Refusal::BadInput);
  if (!engine.guard_with_confirmation(message_operation(Step::Write).with(std::move(options)))) {
    return false;
  }
  family.set_store(std::move(messages));
  return true;
}

bool start_smsc_read(OperationEngine& engine, StartOptions options) {
  return engine.guard_without_confirmation(message_operation(Step::SmscRead).with(std::move(options)));
}

bool start_smsc_write(OperationEngine& engine, StartOptions options) {
  return engine.guard_with_confirmation(message_operation(Step::SmscWrite).with(std::move(options)));
}

namespace {
// An operation over `total` items (recipients, locations), counted from 0.
Operation counted_operation(Step step, std::size_t total) {
  Operation operation = message_operation(step);
  OperationParams params;
  MessageParams p(params);
  p.set_next(0);
  p.set_done(0);
  p.set_total(static_cast<int>(total));
  operation.params = params;
  return operation;
}

bool start_send(OperationEngine& engine, MessageFamily& family, Step step, std::vector<std::uint64_t> rows,
                StartOptions options) {
  if (family.sending()) return engine.refuse(options.done, Refusal::Busy);
  const OutgoingSms& outgoing = family.records().outgoing;
  if (!outgoing.refusal.empty()) return engine.refuse(options.done, Refusal::BadInput, outgoing.refusal);
  Operation send = counted_operation(step, rows.size());
  family.set_send(std::move(rows), outgoing);
  return engine.guard_without_confirmation(send.with(std::move(options)));
}
}  // namespace

bool start_send_all(OperationEngine& engine, MessageFamily& family, StartOptions options) {
  return start_send(engine, family, Step::All, family.records().recipients.ids(), std::move(options));
}

bool start_send_selected(OperationEngine& engine, MessageFamily& family, std::vector<std::uint64_t> rows,
                         StartOptions options) {
  if (rows.empty()) return engine.refuse(options.done, Refusal::BadInput);
  return start_send(engine, family, Step::Selected, std::move(rows), std::move(options));
}

void MessageFamily::set_delete_locations(std::vector<int> locations) {
  delete_meant_.clear();
  for (const int location : locations) {
    std::optional<SmsRecord> meant;
    for (const SmsRecord& r : records_.store.records()) {
      if (r.Pos == std::to_string(location)) meant = r;
    }
    delete_meant_.push_back(std::move(meant));
  }
  delete_locations_ = std::move(locations);
  delete_unanswered_ = false;
  delete_checking_ = false;
}

bool start_message_delete(OperationEngine& engine, MessageFamily& family, std::vector<int> locations,
                          StartOptions options) {
  if (locations.empty()) return engine.refuse(options.done, Refusal::BadInput);
  Operation del = counted_operation(Step::Delete, locations.size());
  family.set_delete_locations(std::move(locations));
  return engine.guard_without_confirmation(del.with(std::move(options)));
}

void MessageFamily::send_phase(OperationEngine& engine) {
  const Step step = engine.step_as<Step>();
  switch (step) {
    case Step::Read:
    case Step::SmscRead:
    case Step::SmscWrite:
    case Step::Selected:
    case Step::All:
    case Step::Write:
    case Step::Delete:
      if (step == Step::Read) {
        records_.store.clear();
        reply_.reset();
      }
      if (step == Step::SmscWrite) {
        centre_to_write_ = records_.message_centre;
        centre_reads_ = 0;
      }
      if (step == Step::Selected || step == Step::All) {
        sending_ = true;
        awaiting_ = false;
        part_ = 0;
      }
      engine.open_exchange(after(step));
      return;
    case Step::ReadStatus:
    case Step::WriteStatus:
      send_status_request(engine);
      return;
    case Step::ReadMessage:
      send_next_read(engine);
      return;
    case Step::SmscReadRequest: {
      const std::array<std::uint8_t, 6> request{0x00, 0x01, 0x00, 0x33, 0x64, 0x01};
      engine.frames().send_request(kMsgSmsCentre, request, 1);
      return;
    }
    case Step::SmscWriteRead:
      // The centre is read first: everything but its number goes back as read.
      engine.status_text_id(kTextSmscProcessing);
      records_.centre_record.clear();
      push_then(engine, Step::SmscWriteRequest);
      engine.start(message_operation(Step::SmscRead), 0);
      return;
    case Step::SmscWriteRequest: {
      if (records_.centre_record.empty()) {
        // Not read (a reconnect cut the read short, or the answer held no
        // centre): read again, but never write a centre that was not read.
        if (++centre_reads_ > 2) return stop(engine, tx(kTextCentreNotRead), true);
        engine.set_step(Step::SmscWriteRead);
        send_phase(engine);
        return;
      }
      const MessageRequest request = smsc_write_payload(records_.centre_record, centre_to_write_);
      if (request.payload.empty()) return stop(engine, request.error, false);
      engine.frames().send_request(kMsgSmsCentre, request.payload, 1);
      return;
    }
    case Step::SmscWriteReread:
      centre_reread_ = false;
      push_then(engine, Step::SmscWriteEnd);
      engine.start(message_operation(Step::SmscRead), 0);
      return;
    case Step::SmscWriteEnd:
      if (!centre_reread_) {  // resumed after a reconnect cut the read short
        engine.set_step(Step::SmscWriteReread);
        send_phase(engine);
        return;
      }
      engine.finish(kTextSmscCompleted);
      return;
    case Step::SelectedReadCentre:
    case Step::AllReadCentre:
      engine.progress_done();
      engine.progress_max(MessageParams(engine.params()).total());
      engine.status_text_id(kTextSendProcessing);
      push_then(engine, after(step));
      engine.start(message_operation(Step::SmscRead), 0);
      return;
    case Step::SelectedSend:
    case Step::AllSend:
      send_next_message(engine);
      return;
    case Step::WriteReadCentre:
      engine.status_text_id(kTextWriteProcessing);
      awaiting_ = false;
      push_then(engine, Step::WriteRequest);
      engine.start(message_operation(Step::SmscRead), 0);
      return;
    case Step::WriteRequest:
      send_outbox_write(engine);
      return;
    case Step::WriteReread:
    case Step::DeleteReread:
      push_then(engine, after(step));
      start_read_now(engine);
      return;
    case Step::WriteEnd:
    case Step::DeleteEnd:
      storing_ = false;
      engine.finish();
      return;
    case Step::DeleteRequest:
      send_next_delete(engine);
      return;
    default:
      return;
  }
}

void MessageFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  const std::span<const std::uint8_t> payload = reply_payload(frame);
  const int sub = payload.size() > 3 ? payload[3] : -1;
  MessageParams p(engine.params());
  switch (engine.step_as<Step>()) {
    case Step::ReadStatus:
      // A late answer of another kind must not end the read as if the
      // handset held nothing: it waits for the status (time-outs apply).
      if (frame.type() != kMsgSms || payload.size() < 11 || sub != kSubStatus) return;
      engine.frames().acknowledge(frame.type());
      p.set_total(payload[7]);
      p.set_stored(payload[10]);
      engine.progress_done();
      engine.progress_max(p.stored());
      engine.status_text_id(kTextReadProcessing);
      reply_.reset();
      engine.set_step(Step::ReadMessage);
      return;
    case Step::ReadMessage:
      if (frame.type() == kMsgSms) take_read_frame(engine, frame);
      return;
    case Step::SmscReadRequest:
      if (frame.type() != kMsgSmsCentre) return;
      if (const std::optional<std::string> number = parse_smsc_reply(payload)) {
        records_.message_centre = *number;
        records_.centre_record = smsc_reply_record(payload);
        if (smsc_changed_) smsc_changed_();
      }
      centre_reread_ = true;
      engine.frames().acknowledge(frame.type());
      engine.set_end();
      return;
    case Step::SmscWriteRequest:
      if (frame.type() != kMsgSmsCentre) return;
      engine.frames().acknowledge(frame.type());
      engine.set_step(Step::SmscWriteReread);
      return;
    case Step::SelectedSend:
    case Step::AllSend:
      // A message-centre answer to a request sent again arrives late: it
      // is no recipient's answer.
      if (frame.type() == kMsgSmsCentre && awaiting_ && sub != kSubSmscRead && sub != kSubSmscWritten) {
        take_send_reply(engine, frame);
      } else {
        late_reply_ = true;
      }
      return;
    case Step::WriteStatus:
      if (frame.type() != kMsgSms || payload.size() < 11 || sub != kSubStatus) return;
      engine.frames().acknowledge(frame.type());
      if (payload[10] < payload[7]) {
        engine.set_step(Step::WriteReadCentre);
        return;
      }
      // The handset has no free location: nothing is written.
      storing_ = false;
      engine.result().message = tx(kTextNotEnoughMemory);
      engine.finish_failed(-1);
      return;
    case Step::WriteRequest:
      if (frame.type() != kMsgSms || !awaiting_ || (sub != kSubWritten && sub != kSubNotWritten)) {
        late_reply_ = true;
        return;
      }
      awaiting_ = false;
      engine.frames().acknowledge(frame.type());
      if (sub == kSubWritten) {
        ++engine.result().messages;
      } else {
        // Refused: the operation goes on (a store with its next message)
        // and ends failed with the handset's answer.
        OperationResult& result = engine.result();
        ++result.refused_items;
        result.ending = Ending::Failed;
        result.step = static_cast<int>(Step::WriteRequest);
        result.code = sub;
      }
      if (storing_) {
        engine.progress_advance();
        if (store_next_message()) return;  // the engine sends the next
      }
      engine.status_text_id(kTextWriteCompleted);
      engine.set_step(Step::WriteReread);
      return;
    case Step::DeleteRequest:
      if (delete_checking_) {
        if (frame.type() == kMsgSms && awaiting_ && (reply_.collecting() || sub == kSubRecord || sub == kSubNoRecord)) {
          take_delete_check(engine, frame);
        } else if (frame.type() == kMsgSms && (sub == kSubDeleted || sub == kSubNotDeleted)) {
          engine.frames().drop_reply(frame.type());  // the first delete's, late: the read tells
        } else {
          late_reply_ = true;
        }
        return;
      }
      // The answer names no location: it answers the one delete outstanding.
      if (frame.type() != kMsgSms || !awaiting_ || (sub != kSubDeleted && sub != kSubNotDeleted)) {
        late_reply_ = true;
        return;
      }
      awaiting_ = false;
      delete_unanswered_ = false;
      engine.frames().acknowledge(frame.type());
      if (sub == kSubDeleted) {
        p.set_done(p.done() + 1);
        engine.result().messages = p.done();
      } else {
        // Not deleted: the others go on, and the delete ends failed.
        OperationResult& result = engine.result();
        ++result.refused_items;
        result.ending = Ending::Failed;
        result.step = static_cast<int>(Step::DeleteRequest);
        result.code = sub;
      }
      p.set_next(p.next() + 1);
      engine.progress_advance();
      return;
    default:
      return;
  }
}

// A late answer to an earlier request completed the exchange: the awaited
// answer is still to come, so nothing is sent (the time-outs apply).
bool MessageFamily::wait_after_late_reply() {
  const bool late = late_reply_;
  late_reply_ = false;
  return late;
}

void MessageFamily::link_reset() {
  // A stored message cut off before its answer may be on the handset: the
  // resumed store goes on with the next.
  if (awaiting_ && storing_) ++store_next_;
  // A delete cut off before its answer: the resumed one reads the location first.
  if (awaiting_ && !delete_locations_.empty() && !delete_checking_) delete_unanswered_ = true;
  delete_checking_ = false;
  late_reply_ = false;
  reply_.reset();
  if (sending_ && (awaiting_ || part_ > 0)) {
    // Cut off before the handset answered: it may have gone out, so a
    // resumed send goes on with the next row and this one is counted failed.
    if (Recipient* row = records_.recipients.find(current_row_)) {
      row->Result = tx(kTextFailed);
      row_cut_off_ = true;
    }
  }
  awaiting_ = false;
  part_ = 0;
  if (sending_) {
    sending_ = false;
    if (send_changed_) send_changed_();
  }
}

void MessageFamily::operation_abandoned(OperationResult& lost) {
  storing_ = false;
  if (std::exchange(row_cut_off_, false)) ++lost.refused_items;
}

void MessageFamily::sending_over() {
  if (!sending_) return;
  sending_ = false;
  if (send_changed_) send_changed_();
}

void MessageFamily::stop(OperationEngine& engine, const std::string& why, bool handset) {
  storing_ = false;
  sending_over();
  OperationResult& result = engine.result();
  result.message = why;
  // A store stopped after some of its messages went in did not run whole.
  if (handset || result.messages > 0) {
    engine.finish_failed(-1);
    return;
  }
  result.ending = Ending::Refused;
  result.refusal = Refusal::BadInput;
  engine.finish();
}

void MessageFamily::send_next_read(OperationEngine& engine) {
  if (reply_.collecting()) return;  // the rest of a long message is on its way
  MessageParams p(engine.params());
  const int locations = p.total() > 0 ? p.total() : kLocationsAtMost;
  if (p.next() <= locations && p.done() < p.stored()) {
    const std::array<std::uint8_t, 8> request{0x00, 0x01, 0x00, 0x07, 0x02, static_cast<std::uint8_t>(p.next()),
                                              0x01, 0x64};
    engine.frames().send_request(kMsgSmsCentre, request, 1);
    return;
  }
  engine.finish(kTextReadCompleted);
  if (read_done_) read_done_();
}

void MessageFamily::take_read_frame(OperationEngine& engine, const LinkFrame& frame) {
  const std::span<const std::uint8_t> payload = reply_payload(frame);
  MessageParams p(engine.params());
  if (reply_.continues(frame)) {
    engine.frames().acknowledge(frame.type());
    if (reply_.add(frame) == MultiFrameReply::Take::Complete) store_message(engine, p);
    return;
  }
  const bool record = payload.size() > 4 && payload[3] == kSubRecord;
  // A frame out of turn is left alone; a first frame starts the message
  // afresh (the request was sent again).
  if (reply_.collecting() && !record) return;
  reply_.reset();
  // Every record names its location: one for another location is a late
  // answer to a request sent again, and is not taken twice.
  if (payload.size() > 6 && record && payload[6] != p.next()) {
    engine.frames().acknowledge(frame.type());
    return;
  }
  engine.frames().acknowledge(frame.type());
  if (record) {
    if (!sms_status_known(payload[4])) {
      engine.progress_advance();
      p.set_next(p.next() + 1);
      return;
    }
    if (reply_.begin(frame) == MultiFrameReply::Take::Complete) store_message(engine, p);
    return;
  }
  if (payload.size() > 4 && payload[3] == kSubNoRecord && payload[4] == kNoRecordBeyond) {
    p.set_stored(p.done());  // the memory ends here
    return;
  }
  p.set_next(p.next() + 1);  // an empty or unreadable location
}

namespace {
// A record as read, its text decoded (a part of a message in parts by its header).
SmsRecord record_of(ReceivedSms sms) {
  SmsRecord record;
  record.Phone = sms.number;
  // A part of a message in parts: its header says which.
  if ((sms.first_octet & kHeaderIndicator) != 0 && !sms.user_data.empty()) {
    record.Text = decode_after_header(sms.user_data, sms.coding, sms.length);
    const ConcatInfo concat = read_concat_header(sms.user_data).value_or(ConcatInfo{});
    if (concat.total > 1) {
      record.ConcatRef = concat.reference;
      record.ConcatTotal = concat.total;
      record.ConcatPart = concat.part;
    }
  } else {
    record.Text = decode_user_data(sms.user_data, sms.coding, sms.length);
  }
  record.Abstract = message_abstract(record.Text);
  record.Time = sms.time;
  record.Stamp = sms.stamp;
  record.SMSC = sms.smsc;
  record.Type = std::to_string(sms.status);
  record.Pos = std::to_string(sms.location);
  record.FirstOctet = sms.first_octet;
  record.DataCoding = sms.coding;
  record.Length = sms.length;
  record.UserData = std::move(sms.user_data);
  return record;
}

// The message a delete meant: what a message that took its place would not share.
bool same_message(const SmsRecord& a, const SmsRecord& b) {
  return a.Phone == b.Phone && a.Time == b.Time && a.Text == b.Text;
}
}  // namespace

void MessageFamily::store_message(OperationEngine& engine, MessageParams& p) {
  ReceivedSms sms;
  if (const std::vector<std::uint8_t> bytes = reply_.take_bytes(); parse_sms_record(bytes, sms)) {
    SmsRecord record = record_of(std::move(sms));
    if (!records_.store.has_location(record.Pos)) records_.store.append(std::move(record));
  }
  // The read's own count; a read after a write or delete counts nothing.
  if (engine.depth() == 0) engine.result().messages = static_cast<int>(records_.store.size());
  engine.progress_advance();
  p.set_next(p.next() + 1);
  p.set_done(p.done() + 1);
}

void MessageFamily::send_next_message(OperationEngine& engine) {
  MessageParams p(engine.params());
  if (!sending_) {  // resumed after a reconnect
    sending_ = true;
    if (std::exchange(row_cut_off_, false)) ++engine.result().refused_items;
    if (send_changed_) send_changed_();
  }
  if (awaiting_ && wait_after_late_reply()) return;
  if (awaiting_) {
    // The handset never answered this recipient and the request has been
    // given up: it is not sent again (it may have gone out), but counted failed.
    awaiting_ = false;
    part_ = 0;
    if (Recipient* row = records_.recipients.find(current_row_)) row->Result = tx(kTextFailed);
    ++engine.result().refused_items;
    p.set_done(p.done() + 1);
    engine.progress_advance();
    if (send_changed_) send_changed_();
    // Its answer may still be on the way (the handset heard only the last
    // sending) and would be taken for the next recipient's: a status
    // exchange first, which the handset answers after it.
    if (engine.push(engine.state(), engine.step())) {
      engine.start(Operation{LinkState::Resynchronise, ResynchroniseFamily::kStepFlush, std::nullopt, false, {}, std::nullopt}, 0);
      return;
    }
  }
  if (part_ > 0) {
    // The next part of a message in parts, to the same recipient.
    if (Recipient* row = records_.recipients.find(current_row_)) {
      if (send_part(engine, *row)) return;
    } else {
      part_ = 0;
      p.set_done(p.done() + 1);
      engine.progress_advance();
    }
  }
  if (p.next() == 0 && p.total() > 0) {
    // The message centre goes into every request: one that does not fit is
    // refused before anything is sent.
    std::string error;
    if (!number_field(records_.message_centre, AddressKind::MessageCentre, &error)) return stop(engine, error, false);
  }
  while (p.done() < p.total() && p.next() < static_cast<int>(send_rows_.size())) {
    const std::uint64_t id = send_rows_[static_cast<std::size_t>(p.next())];
    p.set_next(p.next() + 1);
    Recipient* row = records_.recipients.find(id);
    if (row == nullptr) {  // removed since the start: nobody to send to
      p.set_done(p.done() + 1);
      engine.progress_advance();
      continue;
    }
    current_row_ = id;
    part_ = 0;
    if (send_part(engine, *row)) return;
  }
  sending_ = false;
  engine.finish(kTextSendCompleted);
  if (send_changed_) send_changed_();
}

// Sends the current part to the row; false (the row counted failed) when the
// request cannot be built.
bool MessageFamily::send_part(OperationEngine& engine, Recipient& row) {
  const MessageRequest request =
      send_request_payload(message_, records_.message_centre, row.Phone, records_.validity, part_);
  if (request.payload.empty()) {
    MessageParams p(engine.params());
    part_ = 0;
    std::string result = tx(kTextFailedBecause);
    if (const std::size_t at = result.find("%s"); at != std::string::npos) result.replace(at, 2, request.error);
    row.Result = std::move(result);
    ++engine.result().refused_items;
    p.set_done(p.done() + 1);
    engine.progress_advance();
    if (send_changed_) send_changed_();
    return false;
  }
  awaiting_ = true;
  late_reply_ = false;
  engine.frames().send_request(kMsgSmsCentre, request.payload, 1);
  return true;
}

void MessageFamily::take_send_reply(OperationEngine& engine, const LinkFrame& frame) {
  const std::span<const std::uint8_t> payload = reply_payload(frame);
  awaiting_ = false;
  const bool sent = payload.size() > 3 && payload[3] == kSubSent;
  if (sent && part_ + 1 < message_.parts()) {
    // The recipient has this part; the result waits for the last one.
    ++part_;
    engine.frames().acknowledge(frame.type());
    return;
  }
  MessageParams p(engine.params());
  if (Recipient* row = records_.recipients.find(current_row_)) {
    row->Result = sent ? tx(kTextSucceeded) : send_refused_text(payload, part_, message_.parts());
    row->sent = sent;
  }
  ++(sent ? engine.result().messages : engine.result().refused_items);
  part_ = 0;
  p.set_done(p.done() + 1);
  engine.progress_advance();
  engine.frames().acknowledge(frame.type());
  if (send_changed_) send_changed_();
}

void MessageFamily::send_outbox_write(OperationEngine& engine) {
  if (awaiting_ && wait_after_late_reply()) return;
  if (awaiting_) {
    // Given up without an answer: not written a second time; the read that
    // follows shows whether it arrived.
    awaiting_ = false;
    if (!storing_ || !store_next_message()) engine.set_step(Step::WriteReread);
    engine.set_again();
    return;
  }
  if (storing_) {
    if (store_next_ >= store_.size()) {  // the last one was cut off
      engine.set_step(Step::WriteReread);
      engine.set_again();
      return;
    }
    const StoredMessage& m = store_[store_next_];
    const MessageRequest request =
        outbox_write_payload(m.message, records_.message_centre, records_.validity, m.number, m.status);
    if (request.payload.empty()) return stop(engine, request.error, false);
    if (store_next_ == 0) engine.progress_max(static_cast<int>(store_.size()));
    awaiting_ = true;
    engine.frames().send_request(kMsgSms, request.payload, 1);
    return;
  }
  const MessageRequest request = outbox_write_payload(records_.outgoing, records_.message_centre, records_.validity);
  if (request.payload.empty()) return stop(engine, request.error, false);
  awaiting_ = true;
  engine.frames().send_request(kMsgSms, request.payload, 1);
}

// A store moves on to its next message; false (and the store over) after
// the last.
bool MessageFamily::store_next_message() { return ++store_next_ < store_.size(); }

// The answer to the read before a delete sent again: the message meant is
// deleted again only if it is still there; else the first delete took it.
void MessageFamily::take_delete_check(OperationEngine& engine, const LinkFrame& frame) {
  const std::span<const std::uint8_t> payload = reply_payload(frame);
  MessageParams p(engine.params());
  const int location = delete_locations_[static_cast<std::size_t>(p.next())];
  MultiFrameReply::Take take = MultiFrameReply::Take::Ignored;
  if (reply_.collecting()) {
    take = reply_.add(frame);
    if (take == MultiFrameReply::Take::Ignored) return;
  } else {
    // A record of another location answers an earlier read.
    if (payload[3] == kSubRecord && (payload.size() <= 6 || payload[6] != location)) {
      engine.frames().drop_reply(frame.type());
      return;
    }
    take = reply_.begin(frame);
  }
  engine.frames().acknowledge(frame.type());
  if (take != MultiFrameReply::Take::Complete) return;
  awaiting_ = false;
  delete_checking_ = false;
  delete_unanswered_ = false;
  const std::vector<std::uint8_t> read = reply_.take_bytes();
  ReceivedSms sms;
  const bool still = read.size() > 3 && read[3] == kSubRecord && parse_sms_record(read, sms) &&
                     same_message(record_of(std::move(sms)), *delete_meant_[static_cast<std::size_t>(p.next())]);
  if (still) return;  // the send phase deletes it
  // Gone: the delete whose answer was lost took it.
  p.set_done(p.done() + 1);
  engine.result().messages = p.done();
  p.set_next(p.next() + 1);
  engine.progress_advance();
}

void MessageFamily::send_next_delete(OperationEngine& engine) {
  MessageParams p(engine.params());
  if (awaiting_ && wait_after_late_reply()) return;
  if (p.next() == 0 && !awaiting_) {
    engine.progress_done();
    engine.progress_max(p.total());
    engine.status_text_id(kTextDeleteProcessing);
  }
  if (awaiting_ && !delete_checking_) delete_unanswered_ = true;  // given up without an answer
  awaiting_ = false;
  while (p.next() < static_cast<int>(delete_locations_.size())) {
    const auto at = static_cast<std::size_t>(p.next());
    const auto location = static_cast<std::uint8_t>(delete_locations_[at]);
    if (delete_unanswered_) {
      // The handset may have deleted it and stored a new message there
      // since: the location is read first, and deleted only if it still
      // holds the message meant. One never read is not deleted again.
      if (!delete_meant_[at]) {
        delete_unanswered_ = false;
        p.set_next(p.next() + 1);
        engine.progress_advance();
        continue;
      }
      delete_checking_ = true;
      reply_.reset();
      const std::array<std::uint8_t, 8> read{0x00, 0x01, 0x00, 0x07, 0x02, location, 0x01, 0x64};
      awaiting_ = true;
      engine.frames().send_request(kMsgSmsCentre, read, 1);
      return;
    }
    const std::array<std::uint8_t, 6> request{0x00, 0x01, 0x00, 0x0A, 0x02, location};
    awaiting_ = true;
    engine.frames().send_request(kMsgSms, request, 1);
    return;
  }
  engine.status_text_id(kTextDeleteCompleted);
  engine.progress_done();
  engine.set_step(Step::DeleteReread);
  engine.set_again();
}

}  // namespace phondeck
