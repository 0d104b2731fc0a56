#pragma once
// The phone-book family (link state 8): memory status, Read (phone memory
// then SIM into the active list) and Clear then Write (the active list's
// first entry to location 1 of its memory).
#include <functional>

#include "link/family_handler.h"

namespace phondeck {

class PhoneBook;

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

 private:
  OperationParams& p_;
};

// Start functions; false when nothing started (or was queued).
// The memory status of both memories, now (family 8, step 1).
bool start_memory_status(OperationEngine& engine);
// PhoneBook > Read through the guard without confirmation: the phone memory
// (unless the model has none), then the SIM, into the active list.
bool start_phone_book_read(OperationEngine& engine);
// PhoneBook > Clear then Write: the active list's first entry to location 1
// of its memory, after "Sure to write to the first record ?".
bool start_clear_then_write(OperationEngine& engine);

class PhoneBookFamily final : public FamilyHandler {
 public:
  static constexpr int kStepMemoryStatus = 1;
  static constexpr int kStepRead = 11;
  static constexpr int kStepReadStatus = 12;
  static constexpr int kStepReadEntry = 13;
  static constexpr int kStepWrite = 91;
  static constexpr int kStepWriteEntry = 92;

  // refresh: the main window's view refresh after a complete read.
  explicit PhoneBookFamily(PhoneBook& book, std::function<void()> refresh = {})
      : book_(book), refresh_(std::move(refresh)) {}
  void set_refresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  // The phone-book model's memories are 200 positions each again.
  void link_reset() override;

 private:
  void send_next_read(OperationEngine& engine);
  void send_write(OperationEngine& engine);
  void store_memory_status(OperationEngine& engine, const LinkFrame& frame);
  void store_entry(OperationEngine& engine, const LinkFrame& frame);
  void finish(OperationEngine& engine, int text_id);

  PhoneBook& book_;
  std::function<void()> refresh_;
};

}  // namespace phondeck
