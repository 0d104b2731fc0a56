#pragma once
// The main window's link: the port, the frame layer and the operation
// engine in one object. The window forwards its notices 1024 and 1025 and its
// two-second Timer1 here and calls the engine's commands.
#include <cstdint>
#include <memory>

#include "link/frame_layer.h"
#include "link/link_log.h"
#include "link/operation_engine.h"
#include "link/port.h"

namespace phondeck {

class Clock;
class Prompt;
class Timer;
class LinkObserver;

class PhoneLink {
 public:
  // port: the serial port or a pipe to the virtual handset. timer: Timer1,
  // whose expiries the window passes to Timer1Timer.
  PhoneLink(std::unique_ptr<LinkPort> port, Timer& timer, Clock& clock, Prompt& prompt,
            LinkObserver& observer);
  PhoneLink(const PhoneLink&) = delete;
  PhoneLink& operator=(const PhoneLink&) = delete;

  // Applies the configuration's Type (frame identifier) and resets the link,
  // as at the creation of the main window.
  void set_up();

  // A new port, device or media (the Options dialog): whatever runs is reset
  // ("Disconnected"), which closes the port, the frame identifier follows
  // the configured Type, and a link that was up connects again, opening the
  // port of the configuration as it is now.
  void reopen();
  // The frame identifier of the configured Type.
  void switch_media();

  // Message 1024: count bytes arrived; scanned only while the port is open.
  void Comm1RxChar(std::uint32_t count);
  // Message 1025: "COM error: " and the flags' description when ShowComError is on.
  void Comm1Error(std::uint32_t flags);
  // Timer1's expiry.
  void Timer1Timer();
  // Dispatches a posted window message (1024 or 1025); others are ignored.
  void handle_message(int message, std::uint32_t parameter);

  // Link menu commands.
  void Connect1Click() { engine_.connect_command(); }
  void Reset1Click() { engine_.reset(); }

  LinkPort& port() { return *port_; }
  FrameLayer& frames() { return frames_; }
  OperationEngine& engine() { return engine_; }
  const OperationEngine& engine() const { return engine_; }
  // Every frame both ways and the port's events, the last 2,000 kept.
  LinkLog& log() { return log_; }

 private:
  LinkLog log_;  // first in, last out: the port tells it of its closing
  std::unique_ptr<LinkPort> port_;
  Prompt& prompt_;
  FrameLayer frames_;
  OperationEngine engine_;
};

}  // namespace phondeck
