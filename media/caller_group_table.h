#pragma once
// The five caller groups last read from the handset (name and 72 x 14 logo)
// and who asked for the read; shared by the graphics window and the Options
// dialog.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "media/mono_bitmap.h"

namespace phondeck {

inline constexpr int kCallerGroups = 5;
// The name field holds this many bytes and a terminating zero.
inline constexpr std::size_t kGroupNameBytes = 14;
// Name length, name, eight bytes (ringing tone, logo switch, logo size and
// picture header), then the row-packed logo.
inline constexpr std::size_t kGroupRecordSkip = 8;
// The ringing tone a group is written with when no read gave its own.
inline constexpr std::uint8_t kDefaultGroupTone = 0x10;

// Who asked for the last Read Groups.
enum class GroupReadPurpose : std::uint8_t { None = 0, Options = 1, Graphics = 2 };

struct CallerGroup {
  std::int32_t name_length = 0;
  std::array<std::uint8_t, kGroupNameBytes + 1> name{};  // as the handset stores it, zero-terminated
  std::array<std::uint8_t, kLogoBytes> logo{};           // row-packed 72 x 14
  // The byte after the name, kept as the handset gave it and written back.
  std::uint8_t ringing_tone = kDefaultGroupTone;
  // The byte after the ringing tone: whether the handset shows the logo.
  bool logo_on = true;

  std::span<const std::uint8_t> name_bytes() const;
  // The name as the phone-book name decoder shows it (UTF-8; a name that
  // begins 0x04 0xFF is UCS-2). Empty for an empty name.
  std::string display_name() const;
  MonoBitmap picture() const { return unpackRows(logo); }
  void set_picture(const MonoBitmap& picture);

  bool operator==(const CallerGroup&) const = default;
};

struct CallerGroupTable {
  std::array<CallerGroup, kCallerGroups> groups{};
  GroupReadPurpose purpose = GroupReadPurpose::None;

  // Group 0..4 (std::out_of_range for any other index).
  CallerGroup& at(int index) { return groups.at(static_cast<std::size_t>(index)); }
  const CallerGroup& at(int index) const { return groups.at(static_cast<std::size_t>(index)); }
};

// How many of the name's bytes are kept: at most kGroupNameBytes, never
// cutting a character (a UCS-2 pair after the 0x04 0xFF marker, or a
// double-byte character of the active code page).
std::size_t kept_name_bytes(std::span<const std::uint8_t> name);

// One group record as the handset sends it, all frames joined: name length L
// at byte 0, L name bytes, the ringing tone, seven bytes skipped, the 126
// logo bytes. A name
// longer than the field is cut (kept_name_bytes); a name or logo running past
// the record takes only what the record holds, the rest of the logo clear.
// False (and the group untouched) for an empty record.
bool parse_group_record(std::span<const std::uint8_t> record, CallerGroup& out);

}  // namespace phondeck
