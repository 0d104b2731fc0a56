#include "link/family_registration.h"

#include "link/operation_engine.h"
#include "link/step_router.h"

namespace phondeck {

FamilyRegistration::FamilyRegistration(OperationEngine& engine, LinkState state, FamilyHandler& handler)
    : engine_(&engine), state_(state), handler_(handler) {
  engine.register_family(state, &handler);
}

FamilyRegistration::FamilyRegistration(StepRouter& router, int first, int last, FamilyHandler& handler)
    : router_(&router), handler_(handler) {
  router.add(first, last, &handler);
}

FamilyRegistration::~FamilyRegistration() {
  if (engine_ != nullptr) engine_->unregister_family(state_, &handler_);
  if (router_ != nullptr) router_->remove(&handler_);
}

}  // namespace phondeck
