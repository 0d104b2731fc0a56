#pragma once
// The status requests (0x04). The family keeps the handset's signal and
// battery levels and its network, which HandsetState holds at its top level.
#include "sim/families.h"

namespace phondeck::sim {

HandsetFamily status_family();

}  // namespace phondeck::sim
