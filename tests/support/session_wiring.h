#pragma once
// A test's session wired as the main window wires its own: Timer1's expiries
// and the port's window messages reach it through the loop, and it is set up
// (frame identifier, link reset).
#include <cstdint>

#include "session/handset_session.h"

namespace phondeck::testing {

template <typename Loop, typename LoopTimer>
void wire_session(Loop& loop, LoopTimer& timer, HandsetSession& session) {
  timer.set_callback([&session] { session.Timer1Timer(); });
  loop.set_message_handler([&session](int message, std::uint32_t parameter) {
    session.handle_message(message, parameter);
  });
  session.set_up();
}

}  // namespace phondeck::testing
