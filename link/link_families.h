#pragma once
// This area's handset families, registered with the engine for as long as
// the session holds them: connect (4), the phone book (8), and the media and
// settings router (9) with the net monitor's steps. The media and organiser
// areas add their step ranges of state 9 to media_and_settings().
#include <functional>

#include "link/connect_family.h"
#include "link/family_registration.h"
#include "link/net_monitor_family.h"
#include "link/phonebook_family.h"
#include "link/step_router.h"

namespace phondeck {

class OperationEngine;
class PhoneBook;

class LinkFamilies {
 public:
  // refresh: told when a phone-book read has filled the active list.
  LinkFamilies(OperationEngine& engine, PhoneBook& book, std::function<void()> refresh = {});
  LinkFamilies(const LinkFamilies&) = delete;
  LinkFamilies& operator=(const LinkFamilies&) = delete;

  StepRouter& media_and_settings() { return media_and_settings_; }
  PhoneBookFamily& phone_book() { return phone_book_; }

 private:
  ConnectFamily connect_;
  PhoneBookFamily phone_book_;
  NetMonitorFamily net_monitor_;
  StepRouter media_and_settings_;
  FamilyRegistration connect_in_;
  FamilyRegistration phone_book_in_;
  FamilyRegistration media_and_settings_in_;
  FamilyRegistration net_monitor_in_;
};

}  // namespace phondeck
