// phondeck: the handset's operations from the command line.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/configuration.h"
#include "cli/phondeck.h"
#include "platform/port_release.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // Ended by a signal, the port is left free and its lock file removed.
  phondeck::release_ports_on_signals();
  phondeck::cli::Terminal terminal{std::cout, std::cerr, std::cin, ::isatty(STDIN_FILENO) == 1,
                                   ::isatty(STDERR_FILENO) == 1};
  // tv.dat of the current folder, else Telvane's own.
  const std::string config_path =
      phondeck::locate_configuration({}, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  return phondeck::cli::run_phondeck(args, terminal, config_path);
}
