#pragma once
// The handset's own settings as the PC asks for them: profile features
// (0x05), the keypad's character assignments (0x0C) and switching on SMS
// handling and cell broadcast for the PC (0x02).
#include <array>
#include <cstdint>

#include "sim/families.h"

namespace phondeck::sim {

inline constexpr std::size_t kProfiles = 7;         // General, Silent, Meeting, Outdoor, Pager, Car, Headset
inline constexpr std::size_t kProfileFeatures = 10; // feature codes 0..9

struct SettingsState {
  // Each profile's feature values as the handset reports them, by feature
  // code: keypad tones, lights, call alert, ringing tone, ringing volume,
  // message tone, vibration, warning tones, caller groups, automatic answer.
  std::array<std::array<std::uint8_t, kProfileFeatures>, kProfiles> profiles = {{
      {0x01, 0x00, 0x01, 0x12, 0x09, 0x01, 0x01, 0x00, 0x00, 0x00},
      {0xFF, 0x00, 0x04, 0x12, 0x06, 0x00, 0x00, 0xFF, 0x00, 0x00},
      {0x00, 0x00, 0x02, 0x12, 0x06, 0x03, 0x00, 0xFF, 0x00, 0x00},
      {0x02, 0x00, 0x01, 0x12, 0x0A, 0x02, 0x01, 0x00, 0x00, 0x00},
      {0x01, 0x00, 0x04, 0x12, 0x0A, 0x04, 0x01, 0x00, 0x00, 0x00},
      {0x01, 0x01, 0x01, 0x12, 0x08, 0x01, 0x00, 0x00, 0x00, 0x00},
      {0x01, 0x00, 0x01, 0x12, 0x09, 0x01, 0x01, 0x00, 0x00, 0x00},
  }};
  // Switched on by the PC for this session; not saved.
  bool sms_handling = false;
  bool cell_broadcast = false;
};

HandsetFamily settings_family();

}  // namespace phondeck::sim
