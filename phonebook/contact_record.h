#pragma once
// What the phone-book file readers (vCard, CSV) find in a file, and how it
// becomes list entries: the numbers a handset can store, the entries skipped
// and why, the columns a file leaves out filled from fallbacks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "phonebook/entry.h"

namespace phondeck {

// One contact of a file, its texts already UTF-8. Type, Pos, Group and
// WriteAs are empty when the file does not say.
struct ContactRecord {
  std::string Name;
  std::string UNICODE;
  std::vector<std::string> numbers;  // in file order
  std::string Type;
  std::string Pos;
  std::string Group;
  std::string WriteAs;
  // The name's bytes as the handset held them, when the file keeps them.
  std::vector<std::uint8_t> handset_name;

  friend bool operator==(const ContactRecord&, const ContactRecord&) = default;
};

enum class SkipReason { NoNumber, BadNumber };

struct SkippedContact {
  std::size_t record = 0;  // 1-based, in file order
  std::string name;        // the UNICODE name where present, else Name
  std::string number;      // as the file gave it
  SkipReason reason = SkipReason::NoNumber;
};

// The texts a contact gets for the columns its file leaves out.
struct ContactFallback {
  std::string Type;
  std::string Group;
  std::string WriteAs;
};

struct ImportedEntries {
  std::vector<PhoneBookEntry> entries;  // Pos empty where a free position is wanted
  std::vector<SkippedContact> skipped;
};

// The number as a handset stores it: blanks and the separators "-", ".",
// "(", ")" and "/" left out, "P" and "W" lower case. Empty when nothing is
// left; `valid` false when a character remains that a handset cannot store
// (anything but digits, a leading "+", "*", "#", "p" and "w").
struct CleanNumber {
  std::string number;
  bool valid = false;
};
CleanNumber clean_number(std::string_view raw);

// One entry per record with its first number, or with one_per_number one
// entry per number. Records (or numbers) without a storable number are
// skipped. Type, Group and WriteAs matching a table text in another case take
// the table's text; empty ones take the fallback. A Pos that is not a
// position (1 or more) becomes empty, as does the Pos of every number after
// a record's first.
ImportedEntries entries_from_records(const std::vector<ContactRecord>& records,
                                     bool one_per_number, const ContactFallback& fallback);

// -- Text helpers shared by the readers and writers.

// True when the bytes are well-formed UTF-8.
bool is_utf8(std::string_view bytes);
// File bytes as UTF-8: well-formed UTF-8 as it is, anything else read in the
// active code page.
std::string file_text_to_utf8(std::string_view bytes);
// Bytes in a named character set (as vCard CHARSET gives it) as UTF-8;
// unknown names are read as file_text_to_utf8 does.
std::string charset_to_utf8(std::string_view bytes, std::string_view charset);
// Leading and trailing blanks removed; other control characters become
// blanks.
std::string clean_field(std::string_view text);
// ASCII lower case.
std::string ascii_lower(std::string_view text);

}  // namespace phondeck
