#pragma once
// The message types the virtual handset answers and sends, by its own names.
// Deliberately separate from the PC's list: the handset is the check on it.
#include <cstdint>

namespace phondeck::sim {

inline constexpr std::uint8_t kTypePhoneBook = 0x03;   // phone-book memories and entries
inline constexpr std::uint8_t kTypeStatus = 0x04;      // keep-alive poll, resynchronise
inline constexpr std::uint8_t kTypeNetwork = 0x0A;     // network details, sent unasked
inline constexpr std::uint8_t kTypeKeypress = 0x0C;    // handset keys pressed and released
inline constexpr std::uint8_t kTypeClock = 0x11;       // clock and diary alarm
inline constexpr std::uint8_t kTypeCalendar = 0x13;    // calendar notes
inline constexpr std::uint8_t kTypeNetMonitor = 0x40;  // net monitor display switch
inline constexpr std::uint8_t kTypeIdentify = 0x64;    // identification texts

}  // namespace phondeck::sim
