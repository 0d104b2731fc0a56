#pragma once
// A family handler's place with the engine (its link state) or with a shared
// state's step router (a range of steps), held for as long as this object
// lives. Leaving gives up the place only while this handler still holds it,
// so a family that goes never removes one registered after it.
#include "link/link_state.h"

namespace phondeck {

class FamilyHandler;
class OperationEngine;
class StepRouter;

class FamilyRegistration {
 public:
  FamilyRegistration(OperationEngine& engine, LinkState state, FamilyHandler& handler);
  // Steps first..last of the router's state; an overlap with a range already
  // there is refused (std::invalid_argument).
  FamilyRegistration(StepRouter& router, int first, int last, FamilyHandler& handler);
  ~FamilyRegistration();
  FamilyRegistration(const FamilyRegistration&) = delete;
  FamilyRegistration& operator=(const FamilyRegistration&) = delete;

 private:
  OperationEngine* engine_ = nullptr;
  StepRouter* router_ = nullptr;
  LinkState state_ = LinkState::Disconnected;
  FamilyHandler& handler_;
};

}  // namespace phondeck
