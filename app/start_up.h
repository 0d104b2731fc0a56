#pragma once
// The configuration step of start-up, with its failure shown to the user.
#include "app/prompt.h"

namespace phondeck {

// Loads the configuration (English texts, defaults, tv.dat, language, group
// names). A conversion error in tv.dat is shown through `prompt` with its
// text; false then means start-up stops: no window is created and the process
// ends with exit code 0.
bool load_configuration_at_start(Prompt& prompt);

}  // namespace phondeck
