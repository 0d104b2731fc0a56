#pragma once
// Releases the open serial ports (the terminal's exclusive mode, the
// descriptor, our UUCP lock file) when the program is ended by SIGTERM,
// SIGINT or SIGHUP, then ends it as the signal would.
#include <string>

namespace phondeck {

// Called by the serial port: a port opened (fd, and our lock file or "")
// and closed again. At most eight at a time are remembered.
void remember_open_port(int fd, const std::string& lock_file);
void forget_open_port(int fd);

// Async-signal-safe: releases every remembered port now. A program with a
// signal handler of its own calls it before it ends.
void release_open_ports() noexcept;

// Installs the handler for SIGTERM, SIGINT and SIGHUP; a signal whose
// handler is set already is left as it is.
void release_ports_on_signals();

}  // namespace phondeck
