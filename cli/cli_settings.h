#pragma once
// phondeck identify, profiles and netmonitor: what the handset says of
// itself, its seven profiles, and its net monitor display.
#include "cli/cli_context.h"

namespace phondeck::cli {

int identify(Context& c);
int profiles_get(Context& c);
int profiles_set(Context& c);
int profiles_activate(Context& c);
int net_monitor_on(Context& c);
int net_monitor_off(Context& c);

// The help of profiles set: every feature and the values it takes.
const char* profiles_details_text();

}  // namespace phondeck::cli
