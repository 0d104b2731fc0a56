#pragma once
// Phone-book names on the wire: the five ways an entry's name is written
// (Auto, Name, Both, Group, Both2); a name read back decodes with
// decode_entry_name (phonebook/text_codec.h).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "phonebook/text_codec.h"

namespace phondeck {

inline constexpr std::size_t kSimNameBytes = 12;

struct NameToEncode {
  std::string_view name;      // UTF-8; written in the active code page
  std::string_view unicode;   // UTF-8; written as UCS-2 big-endian
  WriteAs write_as = WriteAs::Name;
  int group = 0;              // 0..5, for the group icon
  int memory = 0;             // 0 phone, 1 SIM
  int limit = 16;             // the handset's name length limit
  std::string_view model;     // "6110", ... for the group icon code
  bool multibyte = false;     // the MultiByte option
  // The bytes the handset gave for this name when the entry has not been
  // renamed since: written as they are instead of an encoding.
  std::span<const std::uint8_t> handset_bytes;
};

// The name bytes of a write entry request, already cut to the memory's size.
std::vector<std::uint8_t> encode_name(const NameToEncode& in);

// The three bytes written for WriteAs Group.
std::vector<std::uint8_t> group_icon_bytes(std::string_view model, int group);

// One read-entry reply (message 0x03, sub-type 0x02) taken apart.
struct EntryReply {
  std::vector<std::uint8_t> name;
  std::string number;
  int group = 0;
  bool empty() const { return name.empty() && number.empty(); }
};

// False when the data is too short for the lengths it states.
bool parse_entry_reply(std::span<const std::uint8_t> data, EntryReply& out);

}  // namespace phondeck
