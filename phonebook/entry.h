#pragma once
// One phone-book entry: eight texts, in screen column order.
#include <array>
#include <string>

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

  // Column c (0..7 in the order above).
  std::string& column(Column c);
  const std::string& column(Column c) const;

  friend bool operator==(const PhoneBookEntry&, const PhoneBookEntry&) = default;
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
