#include "ui/startup_sequence.h"

#include <exception>

namespace phondeck {

int start_up(StartupSteps& steps) {
  if (!steps.acquire_instance()) return 0;
  try {
    steps.load_configuration();
  } catch (const std::exception& error) {
    steps.show_start_error(error.what());
    return 0;
  }
  return steps.create_windows_and_run();
}

}  // namespace phondeck
