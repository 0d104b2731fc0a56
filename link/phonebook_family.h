#pragma once
// The phone-book family (link state 8): memory status, Read (phone memory
// then SIM into the active list) and Clear then Write (the active list's
// first entry to location 1 of its memory).
#include <functional>

#include "link/family_handler.h"

namespace phondeck {

class PhoneBook;

// Starts the memory-status operation now (family 8, step 1).
int start_memory_status(OperationEngine& engine);

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
