#pragma once
// One link state shared by several features (the media and settings family
// runs ringing tones, graphics, the net monitor and profiles): the router is
// the state's handler and passes each call to the handler that owns the
// current step's decade range.
#include <vector>

#include "link/family_handler.h"

namespace phondeck {

class StepRouter final : public FamilyHandler {
 public:
  // Steps first..last (inclusive) go to handler. A range that is empty or
  // overlaps one already there is refused (std::invalid_argument): two
  // families can never both own a step.
  void add(int first, int last, FamilyHandler* handler);
  // Removes the handler's ranges (a family that leaves).
  void remove(FamilyHandler* handler);
  FamilyHandler* handler_for(int step) const;

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  // Every handler of the state hears the link reset.
  void link_reset() override;
  // And every one hears that the operation was abandoned: each knows its own.
  void operation_abandoned(OperationResult& lost) override;

 private:
  struct Range {
    int first;
    int last;
    FamilyHandler* handler;
  };
  std::vector<Range> ranges_;
};

}  // namespace phondeck
