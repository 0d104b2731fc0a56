#pragma once
// How one started operation ended, told once to whoever started it: done
// (with what it did), refused before it ran (and why), failed (the handset
// refused a step, with its code) or cut off by the link (at which step, and
// what it had done by then).
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "link/link_state.h"

namespace phondeck {

enum class Ending { Done, Refused, Failed, LinkLost };

enum class Refusal {
  None,
  Busy,            // another operation runs (or is queued)
  NotConnected,    // Disconnected or still connecting
  NoSuchFunction,  // the model lacks it
  BadInput,        // what it was given cannot go (the reason in `message`)
  UserSaidNo,      // the question asked before the start was answered No
};

struct OperationResult {
  Ending ending = Ending::Done;
  LinkState family = LinkState::Idle;
  // Failed and LinkLost: the step that failed or that the link cut off.
  int step = 0;
  Refusal refusal = Refusal::None;
  // Failed: the handset's error code (-1: none given).
  int code = -1;
  // What was done (for LinkLost: what was done and kept before the loss).
  int entries = 0;
  int messages = 0;
  int notes = 0;
  std::size_t bytes = 0;
  // Items the handset refused on the way (a Write All's entries); their
  // reasons are in `message`.
  int refused_items = 0;
  // The text of the message box the operation ends with, as the windows show
  // it; empty for none. The engine shows it before the completion runs.
  std::string message;

  bool done() const { return ending == Ending::Done; }
  // Done without any item refused on the way.
  bool done_whole() const { return done() && refused_items == 0; }

  static OperationResult refused(Refusal why, std::string text = {}) {
    OperationResult r;
    r.ending = Ending::Refused;
    r.refusal = why;
    r.message = std::move(text);
    return r;
  }
};

// Receives the result exactly once per start, refusals included.
using Completion = std::function<void(const OperationResult&)>;

// What the starter passes to every start function besides its own inputs.
struct StartOptions {
  Completion done;
  // The answer to the write confirmation ("Sure to write?"), asked by the
  // starter before the start (see link/start_questions.h). Unset: the
  // operation needs no confirmation or the confirmation is off.
  std::optional<bool> confirmed;
};

// A short English description for logs and the command line ("done: 24
// entries", "refused: busy", "failed at step 13 (code 0x0F)", "link lost
// at step 13").
std::string describe(const OperationResult& result);

}  // namespace phondeck
