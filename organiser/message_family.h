#pragma once
// The message family (link state 7): Read messages (11..13, messages longer
// than a frame collected), Read SMSC (21, 22), Write SMSC (31..33), Send to
// selected (41..43), Write message to the outbox (51..55), Delete messages
// (61..64) and Send to all (71..73).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/family_handler.h"
#include "link/reply_frames.h"
#include "organiser/message_reference.h"
#include "organiser/message_store.h"
#include "organiser/sms_codec.h"

namespace phondeck {

// What the message operations work on: the outgoing message, the store, the
// recipients and the message-centre number the handset last reported.
struct MessageRecords {
  OutgoingSms outgoing;
  MessageStore store;
  RecipientList recipients;
  std::string message_centre;
  // The centre's record as the handset last reported it (name, format,
  // validity, ...), which a centre write sends back with the new number.
  std::vector<std::uint8_t> centre_record;
  // The references of messages sent in parts, counted across runs.
  MessageReferences references;
  int validity = 167;  // ValidityCode
};

// The engine's parameters as the message operations use them.
class MessageParams {
 public:
  explicit MessageParams(OperationParams& params) : p_(params) {}
  // Read: the next location, from 1. Send: the next recipient, from 0.
  int next() const { return p_.p1; }
  void set_next(int next) { p_.p1 = next; }
  // Messages read, or recipients sent to.
  int done() const { return p_.p2; }
  void set_done(int done) { p_.p2 = done; }
  // Read: the handset's location count. Send: the recipients to send to.
  int total() const { return p_.p3; }
  void set_total(int total) { p_.p3 = total; }
  // Read: the messages the handset holds.
  int stored() const { return p_.p4; }
  void set_stored(int stored) { p_.p4 = stored; }

 private:
  OperationParams& p_;
};

class MessageFamily;

// Start functions; false when nothing started (or was queued). Each tells
// its completion how it ended: a read the messages it read (kept, when the
// link was lost), a write or store the messages written (failed with the
// handset's answer when it refused one, or when its memory is full), a send
// the recipients it reached with the refused ones in refused_items, a delete
// the messages no longer on the handset. The writes take the answer to the
// write confirmation in options.confirmed.
// Messages > Read, through the guard without confirmation; empties the store.
bool start_message_read(OperationEngine& engine, MessageFamily& family, StartOptions options = {});
// Messages > Write: the outgoing message into the outbox, with confirmation.
bool start_message_write(OperationEngine& engine, StartOptions options = {});
bool start_smsc_read(OperationEngine& engine, StartOptions options = {});
// Writes the held message-centre number, with confirmation as every write.
bool start_smsc_write(OperationEngine& engine, StartOptions options = {});
// Send &All, or Send &Selected with the selected rows' ids (in list order);
// nothing starts for an empty selection, nor (told why) while the outgoing
// message is refused. The send keeps the message as it was at its start.
bool start_send_all(OperationEngine& engine, MessageFamily& family, StartOptions options = {});
bool start_send_selected(OperationEngine& engine, MessageFamily& family, std::vector<std::uint64_t> rows,
                         StartOptions options = {});
// A message to store as the handset's own: its user data and coding, the
// number it goes to and its status (7 unsent, 5 sent).
struct StoredMessage {
  OutgoingSms message;
  std::string number;
  int status = 7;
};
// Writes the messages one after another with the outbox write request, then
// reads the store again; with confirmation as every write. A message whose
// answer was lost to the link is not written a second time.
bool start_messages_store(OperationEngine& engine, MessageFamily& family, std::vector<StoredMessage> messages,
                          StartOptions options = {});
// Deletes the messages at these locations, then reads the store again
// (the caller asks first, and passes No as options.confirmed = false).
bool start_message_delete(OperationEngine& engine, MessageFamily& family, std::vector<int> locations,
                          StartOptions options = {});

class MessageFamily final : public FamilyHandler {
 public:
  // The steps, by what each does (the family's link state is 7).
  enum class Step : int {
    Read = 11,
    ReadStatus = 12,
    ReadMessage = 13,
    SmscRead = 21,
    SmscReadRequest = 22,
    SmscWrite = 31,
    SmscWriteRead = 32,
    SmscWriteRequest = 33,
    SmscWriteReread = 34,
    SmscWriteEnd = 35,
    Selected = 41,
    SelectedReadCentre = 42,
    SelectedSend = 43,
    Write = 51,
    WriteStatus = 52,
    WriteReadCentre = 53,
    WriteRequest = 54,
    WriteReread = 55,
    WriteEnd = 56,
    Delete = 61,
    DeleteRequest = 62,
    DeleteReread = 63,
    DeleteEnd = 64,
    All = 71,
    AllReadCentre = 72,
    AllSend = 73,
  };

  explicit MessageFamily(MessageRecords& records) : records_(records) {}
  MessageRecords& records() { return records_; }
  // Told when a read has completed (the list is rebuilt then).
  void set_read_listener(std::function<void()> listener) { read_done_ = std::move(listener); }
  // Told when a recipient's Result changed or a send ended.
  void set_send_listener(std::function<void()> listener) { send_changed_ = std::move(listener); }
  // Told of a new message-centre number.
  void set_smsc_listener(std::function<void()> listener) { smsc_changed_ = std::move(listener); }
  // A send is running: the list's rows stay, and Delete and Clear List wait.
  bool sending() const { return sending_; }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  void link_reset() override;
  void operation_abandoned(OperationResult& lost) override;

  // Used by the start functions.
  // A send's rows and the message it sends, kept from its start on.
  void set_send(std::vector<std::uint64_t> rows, const OutgoingSms& message) {
    send_rows_ = std::move(rows);
    message_ = message;
  }
  // The locations to delete, with the message the store holds at each: a
  // delete sent again (its answer lost) goes only to that message.
  void set_delete_locations(std::vector<int> locations);
  void set_store(std::vector<StoredMessage> messages) {
    store_ = std::move(messages);
    store_next_ = 0;
    storing_ = true;
  }

 private:
  void send_next_read(OperationEngine& engine);
  void take_read_frame(OperationEngine& engine, const LinkFrame& frame);
  void store_message(OperationEngine& engine, MessageParams& p);
  void send_next_message(OperationEngine& engine);
  bool send_part(OperationEngine& engine, Recipient& row);
  void take_send_reply(OperationEngine& engine, const LinkFrame& frame);
  void send_outbox_write(OperationEngine& engine);
  void send_next_delete(OperationEngine& engine);
  void take_delete_check(OperationEngine& engine, const LinkFrame& frame);
  // Ends the operation without sending: what it was given cannot go
  // (refused), or the handset did not give what it needs (failed).
  void stop(OperationEngine& engine, const std::string& why, bool handset);
  void sending_over();
  bool wait_after_late_reply();

  MessageRecords& records_;
  std::function<void()> read_done_;
  std::function<void()> send_changed_;
  std::function<void()> smsc_changed_;
  // A message longer than one frame, joined (trailers removed).
  MultiFrameReply reply_;
  // Send: the rows chosen at the start, by identity.
  std::vector<std::uint64_t> send_rows_;
  OutgoingSms message_;
  std::uint64_t current_row_ = 0;
  int part_ = 0;  // the part of a message in parts due to the current row
  bool awaiting_ = false;  // a request went out and its answer is due
  bool late_reply_ = false;
  bool sending_ = false;
  bool row_cut_off_ = false;  // a link reset counted the current row failed
  bool centre_reread_ = false;  // the read that ends a centre write answered
  std::string centre_to_write_;  // the number a centre write puts in
  int centre_reads_ = 0;
  std::vector<int> delete_locations_;
  std::vector<std::optional<SmsRecord>> delete_meant_;  // per location; none when not read
  bool delete_unanswered_ = false;  // a delete went out and its answer never came
  bool delete_checking_ = false;    // the location is read before the delete goes again
  std::vector<StoredMessage> store_;  // a store's messages; empty for Write
  std::size_t store_next_ = 0;
  bool storing_ = false;  // the write running is a store
  bool store_next_message();
};

}  // namespace phondeck
