#pragma once
// The message types the PC's families send and expect (frame byte 3). The
// virtual handset names them in its own header; the two lists are kept apart
// on purpose, so that each side checks the other.
#include <cstdint>

namespace phondeck {

inline constexpr std::uint8_t kMsgSmsCentre = 0x02;  // read message, send, message centre
inline constexpr std::uint8_t kMsgPhoneBook = 0x03;   // memory status, read and write entry
inline constexpr std::uint8_t kMsgStatus = 0x04;      // status poll and resynchronise
inline constexpr std::uint8_t kMsgProfile = 0x05;    // profile names and features
inline constexpr std::uint8_t kMsgNetwork = 0x0A;     // network details (sub-type 0x71)
inline constexpr std::uint8_t kMsgSms = 0x14;        // message status, record, write, delete
inline constexpr std::uint8_t kMsgKeypress = 0x0C;    // a handset key pressed or released
inline constexpr std::uint8_t kMsgClock = 0x11;       // clock and diary alarm
inline constexpr std::uint8_t kMsgRingTone = 0x12;    // ringing tone upload
inline constexpr std::uint8_t kMsgCalendar = 0x13;    // calendar notes
inline constexpr std::uint8_t kMsgNetMonitor = 0x40;  // net monitor switch
inline constexpr std::uint8_t kMsgIdentify = 0x64;    // identification
inline constexpr std::uint8_t kMsgMedia = 0x05;       // startup graphic, operator logo
inline constexpr std::uint8_t kMsgPictureUpload = 0x12;  // caller-group graphic upload (0C 01)

// A phone-book write entry refused (type 0x03, sub-type 0x06) and why (data byte 4).
inline constexpr int kPhoneBookWriteRefused = 0x06;
inline constexpr int kRefusedInvalidLocation = 0x74;
inline constexpr int kRefusedInvalidMemory = 0x7D;
inline constexpr int kRefusedNameTooLong = 0x7A;
inline constexpr int kRefusedNumberTooLong = 0x7B;
inline constexpr int kRefusedMemoryFull = 0x7C;

}  // namespace phondeck
