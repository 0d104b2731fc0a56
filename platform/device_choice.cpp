#include "platform/device_choice.h"

namespace phondeck {

DeviceChoice device_choice(std::string_view device) {
  DeviceChoice choice;
  constexpr std::string_view kVirtual = "virtual";
  if (device.substr(0, kVirtual.size()) != kVirtual ||
      (device.size() > kVirtual.size() && device[kVirtual.size()] != ':')) {
    choice.path = std::string(device);
    return choice;
  }
  choice.virtual_handset = true;
  const std::string_view model = device.size() > kVirtual.size() ? device.substr(kVirtual.size() + 1) : "";
  choice.model = model.empty() ? kDefaultVirtualModel : std::string(model);
  return choice;
}

}  // namespace phondeck
