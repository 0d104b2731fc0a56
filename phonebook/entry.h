#pragma once
// One phone-book entry: eight texts, in screen column order.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace phondeck {

enum class Column { Name = 0, Unicode, Phone, Type, Pos, Group, WriteAs, Time };
inline constexpr int kColumnCount = 8;

struct PhoneBookEntry {
  std::string Name;     // plain name
  std::string UNICODE;  // the name in the multi-byte code page; may be empty
  std::string Phone;    // the number as text
  std::string Type;     // memory type display text (texts 410..415)
  std::string Pos;      // position within the memory, decimal text
  std::string Group;    // caller-group name
  std::string WriteAs;  // write-as display text (texts 430..434)
  std::string Time;     // empty except for call-register entries

  // The name bytes of an entry read from the handset, with the three texts
  // they were read as. While the entry still shows those texts, writing it
  // sends the bytes as they came, whatever the language can show or encode.
  struct HandsetName {
    std::vector<std::uint8_t> bytes;
    std::string Name, UNICODE, WriteAs;
    friend bool operator==(const HandsetName&, const HandsetName&) = default;
  };
  std::optional<HandsetName> handset_name{};

  // Column c (0..7 in the order above).
  std::string& column(Column c);
  const std::string& column(Column c) const;

  // The handset's bytes for the name, if the entry has not been renamed since
  // it was read; nullptr otherwise.
  const std::vector<std::uint8_t>* unchanged_handset_name() const {
    if (!handset_name || handset_name->Name != Name || handset_name->UNICODE != UNICODE ||
        handset_name->WriteAs != WriteAs) {
      return nullptr;
    }
    return &handset_name->bytes;
  }

  // Entries are equal when their eight texts are.
  friend bool operator==(const PhoneBookEntry& a, const PhoneBookEntry& b) {
    return a.Name == b.Name && a.UNICODE == b.UNICODE && a.Phone == b.Phone && a.Type == b.Type &&
           a.Pos == b.Pos && a.Group == b.Group && a.WriteAs == b.WriteAs && a.Time == b.Time;
  }
};

inline std::string& PhoneBookEntry::column(Column c) {
  return const_cast<std::string&>(static_cast<const PhoneBookEntry&>(*this).column(c));
}

inline const std::string& PhoneBookEntry::column(Column c) const {
  switch (c) {
    case Column::Name: return Name;
    case Column::Unicode: return UNICODE;
    case Column::Phone: return Phone;
    case Column::Type: return Type;
    case Column::Pos: return Pos;
    case Column::Group: return Group;
    case Column::WriteAs: return WriteAs;
    case Column::Time: break;
  }
  return Time;
}

}  // namespace phondeck
