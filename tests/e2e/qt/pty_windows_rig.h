#pragma once
// What the window tests against a handset on a pseudo-terminal share: the
// handset started as the configured device, and waiting for the link.
// The handset's headers come before Qt's, whose "emit" is a macro.
#include "e2e_rig.h"
#include "sim/pty_handset.h"

#include <QTest>

#include "telvane/telvane_windows.h"

namespace phondeck::e2e {

// A virtual handset on a pseudo-terminal, set as the device to connect to.
struct PtyDevice {
  explicit PtyDevice(sim::HandsetState state) : handset(clock, std::move(state)) {
    started = handset.start(error);
    if (started) config().Device = handset.path();
  }
  SystemClock clock;
  sim::PtyHandset handset;
  bool started = false;
  std::string error;
};

// The windows' link idle again (false after ms milliseconds).
inline bool settle(TelvaneWindows& windows, int ms = 8000) {
  return QTest::qWaitFor([&windows] { return windows.link().engine().state() == LinkState::Idle; }, ms);
}

}  // namespace phondeck::e2e
