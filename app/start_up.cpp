#include "app/start_up.h"

#include "app/configuration.h"
#include "app/conversion.h"

namespace phondeck {

bool load_configuration_at_start(Prompt& prompt) {
  try {
    load_configuration();
  } catch (const ConversionError& error) {
    prompt.message(error.what());
    return false;
  }
  return true;
}

}  // namespace phondeck
