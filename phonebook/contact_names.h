#pragma once
// A handset's name as an address book's contact name: split into given and
// family name where it reads as a person's name, the trailing marker users
// typed to tell one person's numbers apart ("Bob H", "Bob (work)"), and the
// contact's stable UID.
#include <optional>
#include <string>
#include <string_view>

namespace phondeck {

struct PersonName {
  std::string given;
  std::string family;
  friend bool operator==(const PersonName&, const PersonName&) = default;
};

// Given and family name where the name reads as a person's: two to four
// words of letters (with "-", "'" and an initial's "."), each capitalised
// and not all capitals, the last of two letters or more, no word a title,
// relation or business word ("Mum", "Dr", "Pizza", "Taxi"); the family name
// is the last word with the particles before it ("van der Berg"); "Smith,
// Anna" is read as the family name first. Anything
// else (one word, digits, "IBM", "bob smith") is kept whole as the given
// name. A Chinese name of two to four characters that begins with a known
// family name is split after it ("陳美玲": 陳, 美玲).
PersonName split_person_name(std::string_view name);

// A trailing marker that tells which of a person's numbers the entry holds:
// " H", " W", " M" (capital, after a blank), " home", " work", " mobile",
// " mob", " cell", " office" (any case), and any of those in parentheses or
// brackets ("Bob (home)", "Bob [W]") or after a "/" or "-".
struct MarkedName {
  std::string base;  // the name without the marker: "Bob"
  std::string type;  // "HOME", "WORK" or "CELL"
  bool letter = false;  // a single-letter marker ("Bob H"): a marker only beside another entry of the base name
  friend bool operator==(const MarkedName&, const MarkedName&) = default;
};
std::optional<MarkedName> marked_name(std::string_view name);

// A UUID-form text (8-4-4-4-12 lower-case hex digits, version 8 of RFC 9562)
// from the SHA-256 of the key: the same key gives the same UID.
std::string uid_of(std::string_view key);

}  // namespace phondeck
