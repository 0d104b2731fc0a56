#pragma once
// The message types the virtual handset answers and sends, by its own names.
// Deliberately separate from the PC's list: the handset is the check on it.
#include <cstdint>

namespace phondeck::sim {

inline constexpr std::uint8_t kTypeMessaging = 0x02;  // SMS handling, reading, message centre, send, cell broadcast
inline constexpr std::uint8_t kTypePhoneBook = 0x03;  // memories, entries, caller groups
inline constexpr std::uint8_t kTypeStatus = 0x04;     // keep-alive poll, resynchronise
inline constexpr std::uint8_t kTypeProfile = 0x05;    // profile features
inline constexpr std::uint8_t kTypeNetwork = 0x0A;    // network details, sent unasked
inline constexpr std::uint8_t kTypeKeypad = 0x0C;     // key presses and releases, key assignments
inline constexpr std::uint8_t kTypeClock = 0x11;      // clock and diary alarm
inline constexpr std::uint8_t kTypeToneUpload = 0x12; // a ringing tone (Smart Messaging) to keep
inline constexpr std::uint8_t kTypeCalendar = 0x13;   // calendar notes
inline constexpr std::uint8_t kTypeService = 0x40;    // extended commands: net monitor, versions, IMEI
inline constexpr std::uint8_t kTypeSmsMemory = 0x14;  // message memory: status, records, write, delete
inline constexpr std::uint8_t kTypeIdentify = 0x64;   // identification texts
inline constexpr std::uint8_t kTypeVersion = 0xD1;    // version request ...
inline constexpr std::uint8_t kTypeVersionReply = 0xD2;  // ... and its answer
inline constexpr std::uint8_t kTypeGraphics = 0x05;   // startup graphic, operator logo (beside profiles)
inline constexpr std::uint8_t kTypePictureUpload = 0x12;  // a picture message handed over (0C 01)

// Why the phone book refused a write entry request (type 0x03, sub-type 0x06,
// data byte 4), besides an invalid location (0x74) or memory (0x7D).
inline constexpr std::uint8_t kErrorNameTooLong = 0x7A;
inline constexpr std::uint8_t kErrorNumberTooLong = 0x7B;
inline constexpr std::uint8_t kErrorMemoryFull = 0x7C;

}  // namespace phondeck::sim
