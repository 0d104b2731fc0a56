#pragma once
// The families of this area, registered with an engine: connect (4), the
// phone book (8) and the media and settings router (9) with the net monitor.
// Other features add their step ranges to media().
#include <functional>

#include "link/connect_family.h"
#include "link/net_monitor_family.h"
#include "link/phonebook_family.h"
#include "link/step_router.h"

namespace phondeck {

class OperationEngine;
class PhoneBook;

class HandsetFamilies {
 public:
  // refresh: the main window's view refresh after a complete phone-book read.
  HandsetFamilies(OperationEngine& engine, PhoneBook& book, std::function<void()> refresh = {});
  ~HandsetFamilies();
  HandsetFamilies(const HandsetFamilies&) = delete;
  HandsetFamilies& operator=(const HandsetFamilies&) = delete;

  StepRouter& media() { return media_; }
  PhoneBookFamily& phone_book() { return phone_book_; }

 private:
  OperationEngine& engine_;
  ConnectFamily connect_;
  PhoneBookFamily phone_book_;
  NetMonitorFamily net_monitor_;
  StepRouter media_;
};

}  // namespace phondeck
