#pragma once
// The handset's own settings as the PC asks for them: profile features
// (0x05), the keypad's character assignments (0x0C) and switching on SMS
// handling and cell broadcast for the PC (0x02).
#include <array>
#include <cstdint>
#include <vector>

#include "sim/families.h"

namespace phondeck::sim {

inline constexpr std::size_t kProfiles = 7;         // General, Silent, Meeting, Outdoor, Pager, Car, Headset
inline constexpr std::size_t kProfileFeatures = 10; // feature codes 0..9

struct SettingsState {
  // Each profile's feature values as the handset reports them, by feature
  // code: keypad tones, lights, call alert, ringing tone, ringing volume,
  // message tone, vibration, warning tones (0x04 On, 0xFF Off), caller
  // groups, automatic answer.
  std::array<std::array<std::uint8_t, kProfileFeatures>, kProfiles> profiles = {{
      {0x01, 0x00, 0x01, 0x12, 0x09, 0x01, 0x01, 0x04, 0x00, 0x00},
      {0xFF, 0x00, 0x04, 0x12, 0x06, 0x00, 0x00, 0xFF, 0x00, 0x00},
      {0x00, 0x00, 0x02, 0x12, 0x06, 0x03, 0x00, 0xFF, 0x00, 0x00},
      {0x02, 0x00, 0x01, 0x12, 0x0A, 0x02, 0x01, 0x04, 0x00, 0x00},
      {0x01, 0x00, 0x04, 0x12, 0x0A, 0x04, 0x01, 0x04, 0x00, 0x00},
      {0x01, 0x01, 0x01, 0x12, 0x08, 0x01, 0x00, 0x04, 0x00, 0x00},
      {0x01, 0x00, 0x01, 0x12, 0x09, 0x01, 0x01, 0x04, 0x00, 0x00},
  }};
  // Each profile's name as the handset keeps it: empty (the handset shows
  // its built-in name), code-page bytes, or 04 FF and UCS-2 big-endian.
  std::array<std::vector<std::uint8_t>, kProfiles> profile_names = {{
      {},
      {'S', 'i', 'l', 'e', 'n', 't'},
      {'M', 'e', 'e', 't', 'i', 'n', 'g'},
      {'O', 'u', 't', 'd', 'o', 'o', 'r'},
      {'P', 'a', 'g', 'e', 'r'},
      {0x04, 0xFF, 0x8F, 0x66, 0x8F, 0x7D},  // two UCS-2 characters
      {'H', 'e', 'a', 'd', 's', 'e', 't'},
  }};
  // The profile in use, 0..6; the keypad's menu switches it.
  int active_profile = 0;
  // The last key presses, for the menu sequence that activates a profile.
  std::vector<int> recent_keys;
  // Switched on by the PC for this session; not saved.
  bool sms_handling = false;
  bool cell_broadcast = false;
};

HandsetFamily settings_family();

}  // namespace phondeck::sim
