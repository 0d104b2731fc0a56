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
  // An error that escapes the rest of the start is shown the same way.
  try {
    return steps.create_windows_and_run();
  } catch (const std::exception& error) {
    steps.show_start_error(error.what());
    return 0;
  }
}

}  // namespace phondeck
