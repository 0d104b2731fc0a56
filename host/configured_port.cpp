#include "host/configured_port.h"

#include "app/configuration.h"
#include "link/serial_port.h"
#include "platform/device_choice.h"
#include "sim/embedded_port.h"

namespace phondeck {
namespace {

std::unique_ptr<LinkPort> port_for_configuration(Prompt& prompt, WindowMessageSink& sink) {
  const DeviceChoice choice = device_choice(config().Device);
  if (choice.virtual_handset) return std::make_unique<sim::EmbeddedHandsetPort>(prompt, sink, choice.model);
  auto serial = std::make_unique<SerialPort>(prompt, sink);
  serial->set_port(config().Port);
  return serial;
}

std::string configured_choice() {
  return config().Device + "\n" + std::to_string(config().Port) + "\n" + std::to_string(config().Type);
}

}  // namespace

ConfiguredPort::ConfiguredPort(Prompt& prompt, WindowMessageSink& sink)
    : prompt_(prompt), sink_(sink), port_(port_for_configuration(prompt, sink)), made_for_(configured_choice()) {}

int ConfiguredPort::open() {
  if (const std::string choice = configured_choice(); choice != made_for_ && !port_->is_open()) {
    port_ = port_for_configuration(prompt_, sink_);
    port_->set_tap(tap_);
    made_for_ = choice;
  }
  return port_->open();
}

std::unique_ptr<LinkPort> make_configured_port(Prompt& prompt, WindowMessageSink& sink) {
  return std::make_unique<ConfiguredPort>(prompt, sink);
}

}  // namespace phondeck
