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
}  // namespace phondeck
