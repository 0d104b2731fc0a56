#include "link/phone_link.h"

#include <utility>

#include "app/configuration.h"
#include "link/serial_errors.h"

namespace phondeck {

PhoneLink::PhoneLink(std::unique_ptr<LinkPort> port, Timer& timer, Clock& clock, Prompt& prompt,
                     LinkObserver& observer)
    : log_(clock),
      port_(std::move(port)),
      prompt_(prompt),
      frames_(*port_, timer, clock),
      engine_(frames_, prompt, observer) {
  frames_.set_tap(&log_);
  port_->set_tap(&log_);
}

void PhoneLink::set_up() {
  frames_.set_media(config().Type);
  engine_.reset();
}

void PhoneLink::reopen() {
  const bool was_up = engine_.state() != LinkState::Disconnected;
  engine_.reset();
  frames_.set_media(config().Type);
  if (was_up) engine_.connect_command();
}

void PhoneLink::switch_media() { frames_.set_media(config().Type); }

void PhoneLink::Comm1RxChar(std::uint32_t count) {
  if (!port_->is_open()) return;
  frames_.take_from_port(count);
}

void PhoneLink::Comm1Error(std::uint32_t flags) {
  static const char* const kFlags[] = {"input overflow", "overrun", "parity", "framing", "break"};
  std::string what = "flags " + std::to_string(flags);
  for (std::size_t bit = 0; bit < std::size(kFlags); ++bit) {
    if ((flags & (1u << bit)) != 0) what += std::string(", ") + kFlags[bit];
  }
  log_.event(TapKind::LineError, what);
  show_line_error(prompt_, flags, config().ShowComError != 0);
}

void PhoneLink::Timer1Timer() { engine_.timer_tick(); }

void PhoneLink::handle_message(int message, std::uint32_t parameter) {
  if (message == kMsgBytesArrived) {
    Comm1RxChar(parameter);
  } else if (message == kMsgLineError) {
    Comm1Error(parameter);
  }
}

}  // namespace phondeck
