#include "link/step_router.h"

#include "link/operation_engine.h"

namespace phondeck {

void StepRouter::add(int first, int last, FamilyHandler* handler) { ranges_.push_back(Range{first, last, handler}); }

FamilyHandler* StepRouter::handler_for(int step) const {
  for (auto it = ranges_.rbegin(); it != ranges_.rend(); ++it) {
    if (step >= it->first && step <= it->last) return it->handler;
  }
  return nullptr;
}

void StepRouter::send_phase(OperationEngine& engine) {
  if (FamilyHandler* handler = handler_for(engine.step())) handler->send_phase(engine);
}

void StepRouter::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (FamilyHandler* handler = handler_for(engine.step())) handler->reply_phase(engine, frame);
}

}  // namespace phondeck
