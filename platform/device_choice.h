#pragma once
// The configuration's Device value: a serial device path, or "virtual"
// (optionally "virtual:MODEL") for the handset built into the program.
#include <string>
#include <string_view>

namespace phondeck {

struct DeviceChoice {
  bool virtual_handset = false;
  std::string model;  // for the virtual handset; "6110" unless named
  std::string path;   // for a real line; empty: the configured COM port
};

inline constexpr const char* kDefaultVirtualModel = "6110";

DeviceChoice device_choice(std::string_view device);

}  // namespace phondeck
