#pragma once
// The calendar (10) and clock (11) families with the calendar list they
// fill, each registered on its own link state for as long as this lives.
#include "link/family_registration.h"
#include "link/operation_engine.h"
#include "organiser/calendar_family.h"
#include "organiser/calendar_list.h"
#include "organiser/clock_family.h"

namespace phondeck {

class CalendarFamilies {
 public:
  explicit CalendarFamilies(OperationEngine& engine)
      : calendar_(list_),
        calendar_in_(engine, LinkState::Calendar, calendar_),
        clock_in_(engine, LinkState::Clock, clock_) {}
  CalendarFamilies(const CalendarFamilies&) = delete;
  CalendarFamilies& operator=(const CalendarFamilies&) = delete;

  CalendarList& list() { return list_; }
  CalendarFamily& calendar() { return calendar_; }
  ClockFamily& clock() { return clock_; }

 private:
  CalendarList list_;
  CalendarFamily calendar_;
  ClockFamily clock_;
  FamilyRegistration calendar_in_;
  FamilyRegistration clock_in_;
};

}  // namespace phondeck
