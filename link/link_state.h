#pragma once
// What the link is doing: disconnected, idle, or running one family's operation.
#include <cstdint>

namespace phondeck {

enum class LinkState : std::uint8_t {
  Disconnected = 1,  // no link; received frames are ignored
  Idle = 2,          // connected, nothing running
  StatusPoll = 3,    // the keep-alive exchange
  Connecting = 4,
  Resynchronise = 5, // the short exchange that opens every operation
  Unused = 6,        // no family
  Messages = 7,
  PhoneBook = 8,
  Media = 9,         // ringing tone, graphics, net monitor, groups, profiles
  Calendar = 10,
  Clock = 11,
};

inline constexpr int kLinkStateCount = 12;  // indices 0 .. 11

}  // namespace phondeck
