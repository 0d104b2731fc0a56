#pragma once
// phondeck calendar, clock and alarm: the calendar notes read and written,
// the handset's clock and its daily diary alarm.
#include "cli/cli_context.h"

namespace phondeck::cli {

int calendar_read(Context& c);
int calendar_write(Context& c);
int clock_set(Context& c);
int clock_get(Context& c);
int alarm_get(Context& c);
int alarm_set(Context& c);
int alarm_off(Context& c);

}  // namespace phondeck::cli
