#include "link/step_router.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "link/operation_engine.h"

namespace phondeck {

void StepRouter::add(int first, int last, FamilyHandler* handler) {
  const std::string range = std::to_string(first) + ".." + std::to_string(last);
  if (first > last) throw std::invalid_argument("empty step range " + range);
  for (const Range& r : ranges_) {
    if (first <= r.last && r.first <= last) {
      throw std::invalid_argument("step range " + range + " overlaps " + std::to_string(r.first) + ".." +
                                  std::to_string(r.last));
    }
  }
  ranges_.push_back(Range{first, last, handler});
}

void StepRouter::remove(FamilyHandler* handler) {
  std::erase_if(ranges_, [handler](const Range& r) { return r.handler == handler; });
}

FamilyHandler* StepRouter::handler_for(int step) const {
  for (const Range& r : ranges_) {
    if (step >= r.first && step <= r.last) return r.handler;
  }
  return nullptr;
}

void StepRouter::send_phase(OperationEngine& engine) {
  if (FamilyHandler* handler = handler_for(engine.step())) handler->send_phase(engine);
}

void StepRouter::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (FamilyHandler* handler = handler_for(engine.step())) handler->reply_phase(engine, frame);
}

void StepRouter::link_reset() {
  // A handler with several ranges hears it once per range.
  for (const Range& r : ranges_) r.handler->link_reset();
}

void StepRouter::operation_abandoned(OperationResult& lost) {
  for (const Range& r : ranges_) r.handler->operation_abandoned(lost);
}

}  // namespace phondeck
