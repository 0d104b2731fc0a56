#pragma once
// phondeck probe: the search for the handset over the serial devices.
#include "cli/cli_context.h"

namespace phondeck::cli {

int probe(Context& c);

}  // namespace phondeck::cli
