#pragma once
// The messages of the last read (SmsRecord, MessageStore) and the SMS
// Sending window's recipients (RecipientList), whose rows keep an identity so
// that a send in progress follows the rows, not their places.
#include <cstdint>
#include <string>
#include <vector>

namespace phondeck {

struct SmsRecord {
  std::string Phone;
  std::string Abstract;
  std::string Time;
  std::string Text;
  std::string SMSC;
  std::string Type;  // status code, decimal: 1, 3 inbox; 5, 7 outbox
  std::string Pos;   // location, decimal
  // The time stamp with its zone, ISO 8601 ("2026-12-08T09:30:00+02:00");
  // "" without one (outbox) or when its bytes give no time.
  std::string Stamp{};
  // A part of a message in parts: its reference, the number of parts and its
  // own number (from 1); total 0 for a whole message.
  int ConcatRef = 0;
  int ConcatTotal = 0;
  int ConcatPart = 0;
  // As the handset gave them: the first octet, the data coding, the user-data
  // length byte and the user data, its header included.
  int FirstOctet = 0;
  int DataCoding = 0;
  int Length = -1;
  std::vector<std::uint8_t> UserData{};
};

// A message as the lists show it: one record, or the parts of one message
// (same folder, sender and reference) in part order, joined.
struct JoinedMessage {
  std::vector<std::size_t> records;  // store indices, in part order
  std::string text;                  // a missing part shows as a gap
  int total = 0;                     // parts of the message; 0 for a whole message
  bool missing() const { return total > 0 && records.size() < static_cast<std::size_t>(total); }
  // "[3]" for a joined message, "[2/3]" when parts are missing; "" else.
  std::string mark() const;
};

enum class SmsFolder { Root, Inbox, Outbox };

bool record_in_folder(const SmsRecord& record, SmsFolder folder);

class MessageStore {
 public:
  void clear() { records_.clear(); }
  void append(SmsRecord record) { records_.push_back(std::move(record)); }
  bool has_location(const std::string& pos) const;
  const std::vector<SmsRecord>& records() const { return records_; }
  std::size_t size() const { return records_.size(); }
  const SmsRecord& at(std::size_t i) const { return records_.at(i); }
  // Indices of the folder's records, in store order.
  std::vector<std::size_t> folder(SmsFolder folder) const;
  // The folder's messages with their parts joined, in the order of each
  // message's first record.
  std::vector<JoinedMessage> joined(SmsFolder folder) const;

 private:
  std::vector<SmsRecord> records_;
};

struct Recipient {
  std::uint64_t id = 0;
  std::string Phone;
  std::string Name;
  std::string Result;
  bool sent = false;  // the handset took the message (all its parts) for this number
};

class RecipientList {
 public:
  // Inserts before row `before` (appends when it is past the end); returns the id.
  std::uint64_t insert(std::size_t before, std::string phone, std::string name);
  std::uint64_t append(std::string phone, std::string name) { return insert(rows_.size(), std::move(phone), std::move(name)); }
  void remove(std::uint64_t id);
  void clear() { rows_.clear(); }
  void clear_results();
  // The row with this id, or nullptr when it was removed.
  Recipient* find(std::uint64_t id);
  const std::vector<Recipient>& rows() const { return rows_; }
  std::vector<Recipient>& rows() { return rows_; }
  std::size_t size() const { return rows_.size(); }
  std::vector<std::uint64_t> ids() const;

 private:
  std::vector<Recipient> rows_;
  std::uint64_t next_id_ = 1;
};

}  // namespace phondeck
