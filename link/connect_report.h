#pragma once
// What a connect tells while it runs and when it ends: each wake-up of the
// handset as it goes out, and at the end whether the handset answered, and
// if not, the port and the media tried with the likely causes in order. The
// engine reports to one ConnectListener (the window, phondeck); the texts are
// built here so both say the same.
#include <string>

namespace phondeck {

// How a connect attempt ended.
enum class ConnectEnd {
  Connected,   // the handset answered and the link is Idle
  NoAnswer,    // every wake-up went unanswered
  Cancelled,   // the user stopped it (Cancel, Ctrl+C)
  DeviceGone,  // the device failed under the port (unplugged)
  PortFailed,  // the port did not open; the port has said why
};

struct ConnectOutcome {
  ConnectEnd end = ConnectEnd::NoAnswer;
  std::string device;  // the device the port opens ("/dev/ttyUSB0"); may be empty
  bool cable = true;   // the media of the configuration: cable, else infrared
  int tries = 0;       // wake-ups sent
  int attempts = 0;    // wake-ups an attempt makes at most
};

class ConnectListener {
 public:
  virtual ~ConnectListener() = default;
  // A wake-up goes out: try `attempt` of `attempts`; text is waking_text().
  virtual void connect_progress(int attempt, int attempts, const std::string& text) = 0;
  // The attempt is over (also a reconnect of AutoReconnect).
  virtual void connect_ended(const ConnectOutcome& outcome) = 0;
};

// "Waking the handset (2 of 4)".
std::string waking_text(int attempt, int attempts);
// "cable" or "infrared".
std::string media_text(bool cable);
// The message after the tries: no handset answered on the device over the
// media, then the likely causes, most likely first: the handset off, the
// cable, the media (infrared chosen for a cable, or the reverse), another
// program on the port.
std::string no_answer_text(const ConnectOutcome& outcome);
// "The device /dev/ttyUSB0 is gone ...": the port failed under the link.
std::string device_gone_text(const std::string& device);
// The status text of a connect the user stopped.
std::string connect_cancelled_text();

}  // namespace phondeck
