#pragma once
// The value tables that turn an entry's Type, Group and WriteAs display texts
// into indices and back. The texts come from the text table (memory types
// 410..415, write-as 430..434) and the configured group names at the moment
// of use, so entries made under another language count as index 0.
#include <string>
#include <string_view>

namespace phondeck {

inline constexpr int kMemoryTypeCount = 6;  // Phone, SIM, ..., Dialled, Received, Missed
inline constexpr int kGroupCount = 6;
inline constexpr int kWriteAsCount = 5;     // Auto, Name, Both, Group, Both2

// Memory types 0 and 1 are the handset's phone-book memories.
inline constexpr int kMemoryPhone = 0;
inline constexpr int kMemorySim = 1;

// Exact, case-sensitive lookup, first match from index 0; no match gives 0.
int type_index(std::string_view text);
int group_index(std::string_view text);
int write_as_index(std::string_view text);

// The display text of an index; the empty text for an index outside the table.
std::string type_text(int index);
std::string group_text(int index);
std::string write_as_text(int index);

}  // namespace phondeck
