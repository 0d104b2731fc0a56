#pragma once
// phondeck ringtone, logo and reset-phone: ringing tones and pictures
// written into the handset or sent to numbers, logos read back, and the
// handset restarted.
#include "cli/cli_context.h"

namespace phondeck::cli {

int ringtone_write(Context& c);
int ringtone_send(Context& c);
int logo_get(Context& c);
int logo_set(Context& c);
int logo_send(Context& c);
int reset_phone(Context& c);

}  // namespace phondeck::cli
