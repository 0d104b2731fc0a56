#pragma once
// The phone-book family (link state 8): memory status, Read (phone memory
// then SIM into the active list), Clear then Write (the active list's first
// entry to location 1 of its memory) and Write All (every entry of the active
// list to its memory and position).
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/family_handler.h"
#include "phonebook/entry.h"

namespace phondeck {

class PhoneBook;
class PhoneBookList;

// The engine's parameters as the phone-book operations use them.
class PhoneBookParams {
 public:
  explicit PhoneBookParams(OperationParams& params) : p_(params) {}
  // The memory being read or written: 0 the phone, 1 the SIM (p0).
  int memory() const { return p_.p0 != 0 ? 1 : 0; }
  void set_memory(int memory) { p_.p0 = memory; }
  // The next location to read, from 1 (p1).
  int location() const { return p_.p1; }
  void set_location(int location) { p_.p1 = location; }
  // Entries read from the current memory, or written (p2).
  int count() const { return p_.p2; }
  void set_count(int count) { p_.p2 = count; }
  // Write All: clear the positions of each memory the list does not use (p3).
  bool replace() const { return p_.p3 != 0; }
  void set_replace(bool replace) { p_.p3 = replace ? 1 : 0; }

 private:
  OperationParams& p_;
};

// Start functions; false when nothing started (or was queued). Each tells
// options.done how it ended: a read the entries read, a write the entries
// written.
// The memory status of both memories, now (family 8, step 1).
bool start_memory_status(OperationEngine& engine);
// PhoneBook > Read through the guard without confirmation: the phone memory
// (unless the model has none), then the SIM, into the active list.
bool start_phone_book_read(OperationEngine& engine, StartOptions options = {});
// PhoneBook > Clear then Write: the active list's first entry to location 1
// of its memory. The starter asks "Sure to write to the first record ?"
// (clear_then_write_question()) and passes the answer as options.confirmed.
bool start_clear_then_write(OperationEngine& engine, StartOptions options = {});

// Write All of `list` (the active list) through the write guard; the
// starter has asked the questions (link/phonebook_questions.h). Refused
// (BadInput, with a message naming both) when two entries hold the same
// position of one memory. replace: the positions of each memory that the
// list does not use are cleared; otherwise they are left as they are. A
// replace is refused (BadInput) when the import the list came from took
// nothing, and (UserSaidNo) when it left contacts out unless
// left_out_accepted says the user chose to go on.
// Done: `entries` written, `refused_items` the entries the handset refused
// (named in `message`); Failed with the handset's first code when it
// refused every entry. LinkLost: the entries written before the loss.
bool start_write_all(OperationEngine& engine, const PhoneBookList& list, bool replace, StartOptions options = {},
                     bool left_out_accepted = false);

// What a starter checks before it asks anything: the message a Write All
// of `list` is refused with (two entries share a position; a replace of an
// import that took nothing), if any.
std::optional<std::string> write_all_refusal(OperationEngine& engine, const PhoneBookList& list, bool replace);
// The question a replace asks when the import the list came from left
// contacts out, naming them; nullopt when it left nothing out.
std::optional<std::string> write_all_left_out_question(const PhoneBookList& list);
// "Replace the handset's phone book?"
std::string write_all_replace_question();
// "Sure to write to the first record ?"
std::string clear_then_write_question();

// The position an entry names in its memory (1..capacity), or 0 when it
// names none there.
int entry_position(const PhoneBookEntry& entry, int capacity);
// The memory an entry is written to: 1 for the SIM, else 0 (phone).
int entry_memory(const PhoneBookEntry& entry);
// The first two entries that name the same position of the same memory
// (capacities of the phone memory and the SIM), if any.
std::optional<std::pair<std::size_t, std::size_t>> duplicate_position(const std::vector<PhoneBookEntry>& entries,
                                                                      std::array<int, 2> capacity);

class PhoneBookFamily final : public FamilyHandler {
 public:
  enum class Step : int {
    MemoryStatus = 1,
    Read = 11,
    ReadStatus = 12,
    ReadEntry = 13,
    Write = 91,
    WriteEntry = 92,
    WriteAll = 101,
    WriteAllStatus = 102,
    WriteAllPlan = 103,
    WriteAllProbe = 104,  // reading for free positions
    WriteAllEntry = 105,
    WriteAllCount = 106,  // memory status before clearing
    WriteAllSweep = 107,  // reading for positions to clear
    WriteAllClear = 108,
  };

  // refresh: the main window's view refresh after a complete read.
  explicit PhoneBookFamily(PhoneBook& book, std::function<void()> refresh = {})
      : book_(book), refresh_(std::move(refresh)) {}
  void set_refresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  // The phone-book model's memories are 200 positions each again.
  void link_reset() override;
  // A Write All cut short by the link says how many entries were written.
  void operation_abandoned(OperationResult& lost) override;

 private:
  // One entry of a Write All, as the list held it when the write began.
  struct WriteAllItem {
    std::size_t index = 0;  // in the active list
    PhoneBookEntry entry;
    int memory = 0;
    int position = 0;  // 0: none yet
    bool from_list = false;  // the position is the entry's own
    enum class Outcome { Pending, Written, Refused } outcome = Outcome::Pending;
    std::string reason;
    int code = -1;  // the handset's refusal code (-1: refused here)
  };
  struct WriteAll {
    std::vector<WriteAllItem> items;
    bool replace = false;
    std::size_t next = 0;            // the next item to write
    std::array<int, 2> cursor{1, 1};  // the position being read, per memory
    std::array<int, 2> to_clear{0, 0};
    bool counted = false;            // to_clear holds the count
    int sweeping = 0;                // the memory being cleared
    int written = 0;
  };

  void write_all_begin(OperationEngine& engine);
  void write_all_plan(OperationEngine& engine);
  void write_all_probe(OperationEngine& engine);
  void write_all_next(OperationEngine& engine);
  void write_all_sweep(OperationEngine& engine);
  void write_all_reply(OperationEngine& engine, const LinkFrame& frame);
  void write_all_finish(OperationEngine& engine);
  void end_write_all(OperationEngine& engine, const std::string& status);
  void refuse_item(OperationEngine& engine, WriteAllItem& item, std::string reason, int code = -1);
  bool position_taken(int memory, int position) const;
  void send_entry(OperationEngine& engine, const PhoneBookEntry& entry, int memory, int location);
  void send_read(OperationEngine& engine, int memory, int location);

  void send_next_read(OperationEngine& engine);
  void send_write(OperationEngine& engine);
  void store_memory_status(OperationEngine& engine, const LinkFrame& frame);
  void store_entry(OperationEngine& engine, const LinkFrame& frame);

  PhoneBook& book_;
  std::function<void()> refresh_;
  std::optional<WriteAll> write_all_;  // while a Write All runs or may go on
};

}  // namespace phondeck
