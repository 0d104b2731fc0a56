#pragma once
// The contract between the operation engine and a family of operations.
#include <cstdint>

#include "link/link_frame.h"
#include "link/operation_result.h"

namespace phondeck {

class OperationEngine;

// The five parameters of one stack level; start functions fill them, family
// handlers read and update them.
struct OperationParams {
  std::int32_t p0 = 0;
  std::int32_t p1 = 0;
  std::int32_t p2 = 0;
  std::int32_t p3 = 0;
  std::int32_t p4 = 0;
};

// One family's handler. The step is read from the engine.
class FamilyHandler {
 public:
  virtual ~FamilyHandler() = default;
  // Send phase: send the request of the current step (frames().send_message
  // or send_request), or push and start a sub-operation, or set_again() and
  // return, or set_end() and call step_end().
  virtual void send_phase(OperationEngine& engine) = 0;
  // Reply phase: every message the frame layer passes on. Ignore what the
  // step does not expect; for a match store it, acknowledge it and advance the
  // step or set_end().
  virtual void reply_phase(OperationEngine& engine, const LinkFrame& frame) = 0;
  // The link was reset: forget what only the connected handset could tell.
  virtual void link_reset() {}
  // The link was reset part-way through this family's operation and nothing
  // goes on with it: no reconnect follows (AutoReconnect off, the reconnects
  // used up, or Link > Reset). Called after link_reset(), with the link down;
  // `lost` is the result its starter is told: add what was done and kept
  // (counts, the closing message).
  virtual void operation_abandoned(OperationResult& /*lost*/) {}
  // The short wait the family asked for (OperationEngine::wait_briefly) is
  // over and nothing has completed the step meanwhile.
  virtual void wait_over(OperationEngine& /*engine*/) {}
};

}  // namespace phondeck
