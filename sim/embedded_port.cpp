#include "sim/embedded_port.h"

#include "app/configuration.h"
#include "app/prompt.h"
#include "platform/device_choice.h"
#include "sim/handset_state.h"
#include "sim/models.h"

namespace phondeck {
namespace sim {

EmbeddedHandsetPort::EmbeddedHandsetPort(Prompt& prompt, WindowMessageSink& sink, std::string model)
    : prompt_(prompt), model_(find_model(model) ? std::move(model) : kDefaultVirtualModel), serial_(prompt, sink) {}

EmbeddedHandsetPort::~EmbeddedHandsetPort() {
  serial_.close();
  if (handset_) handset_->stop();
}

int EmbeddedHandsetPort::open() {
  if (!handset_) {
    HandsetOptions options;
    options.frame_id = config().Type == 0 ? kInfraredFrameId : kCableFrameId;
    auto handset = std::make_unique<PtyHandset>(clock_, HandsetState::demo(*find_model(model_)), options,
                                                FaultOptions{}, /*pacing=*/true);
    std::string error;
    if (!handset->start(error)) {
      prompt_.message("ERROR: Serial 10 (virtual handset) " + error);
      return 1;
    }
    handset_ = std::move(handset);
  }
  serial_.set_device(handset_->path());
  return serial_.open();
}

}  // namespace sim

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
