#pragma once
// What the link has learnt about the connected handset.
#include <array>
#include <cstdint>
#include <string>

namespace phondeck {

struct HandsetInfo {
  // Identification texts (shown in Hardware Information).
  std::string imei;
  std::string manufacturer;
  std::string type_designation;
  std::string model;
  std::string frequency;
  std::string assembled_in;
  std::string hardware_version;
  std::string firmware_version;
  int name_length_limit = 16;   // phone-book name bytes, 16 or 20
  // From the status poll.
  std::uint8_t battery = 0;
  std::uint8_t signal = 0;
  // From the handset's network details.
  int mcc = 0;
  int mnc = 0;

  // Models whose text begins with "5" lack the phone memory and several features.
  bool model_lacks_features() const { return !model.empty() && model[0] == '5'; }

  // The link reset's part: texts and network numbers.
  void clear_texts_and_network() {
    imei.clear();
    manufacturer.clear();
    type_designation.clear();
    model.clear();
    frequency.clear();
    assembled_in.clear();
    hardware_version.clear();
    firmware_version.clear();
    mcc = 0;
    mnc = 0;
  }
};

// Phone-book memories: index 0 the phone, 1 the SIM.
struct MemoryStatus {
  std::uint8_t free = 0;
  std::uint8_t used = 0;
  std::uint8_t capacity = 200;
};
using MemoryTable = std::array<MemoryStatus, 2>;

}  // namespace phondeck
