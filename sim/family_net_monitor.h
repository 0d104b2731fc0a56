#pragma once
// Net monitor (0x40): the enable request, then the monitor display on or off.
#include "sim/families.h"

namespace phondeck::sim {

struct NetMonitorState {
  bool enabled = false;  // the enable request came first
  bool on = false;       // the monitor shows on the display
};

HandsetFamily net_monitor_family();

}  // namespace phondeck::sim
