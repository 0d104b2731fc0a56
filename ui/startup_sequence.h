#pragma once
// The order of Telvane's start: the single-instance check (a second start
// hands off and ends), texts and configuration, then the windows and the
// message loop. An error before any window exists (a bad integer in tv.dat),
// or one that escapes the making of the windows, is shown and ends the start
// with exit code 0.
#include <string>

namespace phondeck {

class StartupSteps {
 public:
  virtual ~StartupSteps() = default;
  // True when this process is the one instance; false when it handed off.
  virtual bool acquire_instance() = 0;
  // Texts, configuration, language, group names; throws on a conversion error.
  virtual void load_configuration() = 0;
  // A message box before any window exists.
  virtual void show_start_error(const std::string& text) = 0;
  // Creates every window in order, runs the splash and the message loop;
  // returns the loop's exit code.
  virtual int create_windows_and_run() = 0;
};

int start_up(StartupSteps& steps);

}  // namespace phondeck
