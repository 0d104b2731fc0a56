#pragma once
// This area's handset families and the records they fill, held by the
// session and registered with the engine for as long as it lives: the
// message (7), calendar (10) and clock (11) families with their own link
// states; the profile and option families on step ranges of the media and
// settings state (9). The outgoing message (OutgoingSms), the message store,
// the calendar list and the profile set live here beside them.
#include "link/family_registration.h"
#include "link/step_router.h"
#include "organiser/calendar_families.h"
#include "organiser/message_family.h"
#include "organiser/profile_family.h"

namespace phondeck {

class OperationEngine;

class OrganiserFamilies {
 public:
  // media_and_settings: the router of link state 9, shared with the link's
  // and the media area's families.
  OrganiserFamilies(OperationEngine& engine, StepRouter& media_and_settings)
      : engine_(engine), media_and_settings_(media_and_settings) {}
  OrganiserFamilies(const OrganiserFamilies&) = delete;
  OrganiserFamilies& operator=(const OrganiserFamilies&) = delete;

  OperationEngine& engine() { return engine_; }
  StepRouter& media_and_settings() { return media_and_settings_; }
  MessageRecords& messages() { return message_records_; }
  MessageFamily& message_family() { return message_family_; }
  CalendarFamilies& calendar() { return calendar_; }
  ProfileSet& profiles() { return profiles_; }
  ProfileFamily& profile_family() { return profile_family_; }

 private:
  OperationEngine& engine_;
  StepRouter& media_and_settings_;
  MessageRecords message_records_;
  MessageFamily message_family_{message_records_};
  FamilyRegistration message_family_in_{engine_, LinkState::Messages, message_family_};
  CalendarFamilies calendar_{engine_};
  ProfileSet profiles_;
  ProfileFamily profile_family_{profiles_};
  FamilyRegistration profile_family_in_{media_and_settings_, ProfileFamily::kFirstStep, ProfileFamily::kLastStep,
                                        profile_family_};
};

}  // namespace phondeck
