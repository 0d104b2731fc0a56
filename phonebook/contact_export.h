#pragma once
// The phone book as contacts that a new phone and an address book take as
// they are (contacts.vcf of `phondeck export`, File > Export for a New
// Phone): one contact per person, with a stable UID, the name split as a
// person's name is, numbers in international form with their types where
// known, the handset's caller groups as categories.
//
// Which entries: those of the phone-book memories (Phone, SIM and any other
// memory text that is no call register) with a name and a number; a call
// register's entries (Dialled, Received, Missed, or any entry with a Time)
// are calls, not contacts, and an entry without a name or a number makes no
// contact (ContactPlan::left_out lists them).
//
// Merges: entries with the same name and the same number (same_number: the
// national and international forms match), in one memory or both, are one
// contact (merged_duplicates counts the entries folded in; their groups all
// become categories). Entries whose names differ only by a trailing marker
// ("Bob H", "Bob W", "Bob (home)", and a plain "Bob" beside them) are only
// offered as one contact (ContactPlan::offers); merge_marked takes the
// offers. Two entries of one name and different numbers without a marker
// stay two contacts.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "phonebook/entry.h"

namespace phondeck {

struct ContactExportOptions {
  int vcard_version = 3;                       // 3 or 4
  std::string country;                         // ISO 3166-1 alpha-2 of the handset's network ("FI"); "" leaves numbers as they are
  std::string uid_seed;                        // the handset's IMEI: the same entry of the same handset gets the same UID
  std::array<std::string, 5> group_names{};    // the handset's own caller-group names by group 0..4; "" unknown: the entry's Group text
  bool merge_marked = false;                   // take the offered merges ("Bob H" + "Bob W" -> one contact with typed numbers)
};

struct ContactNumber {
  std::string number;  // E.164 where it could be made, else as the handset held it
  std::string type;    // "CELL", "HOME", "WORK", "" unknown
  friend bool operator==(const ContactNumber&, const ContactNumber&) = default;
};

struct ExportContact {
  std::string uid, formatted, given, family;
  std::vector<ContactNumber> numbers;
  std::vector<std::string> categories;
  std::vector<std::size_t> entries;            // indices of the entries it came from
};

struct MergeOffer {
  std::string name;                            // the name the merged contact takes ("Bob")
  std::vector<std::size_t> entries;            // entries offered as one contact
};

enum class LeftOutReason { CallRegister, NoName, NoNumber };

struct LeftOutEntry {
  std::size_t entry = 0;
  LeftOutReason reason = LeftOutReason::NoNumber;
};

struct ContactPlan {
  std::vector<ExportContact> contacts;
  std::vector<MergeOffer> offers;              // the marker merges found (taken only with merge_marked)
  int merged_duplicates = 0;                   // entries folded into another: same name and number in both memories
  std::vector<LeftOutEntry> left_out;          // entries that made no contact, in entry order
};

ContactPlan plan_contacts(const std::vector<PhoneBookEntry>& entries, const ContactExportOptions& options);

// The contacts as vCard 3.0 (or 4.0 with vcard_version 4): UTF-8, CR LF,
// lines folded at 75 octets. Each card holds VERSION, UID (4.0:
// "urn:uuid:" and the UID), FN, N, a TEL per number (TYPE only where known;
// 4.0 gives an international number as a tel: URI and any other as text)
// and CATEGORIES.
std::string write_contacts_vcf(const ContactPlan& plan, const ContactExportOptions& options);

// -- Rules the phone-book files share (phonebook/vcard.cpp).

// The UID of one entry: from the seed, the entry's memory (its index where
// the Type text is a known one) and position; an entry without a position
// adds its name and number.
std::string entry_uid(const PhoneBookEntry& entry, const std::string& uid_seed);

// The category an entry's Group gives: the handset's name of the group where
// the options know it, else the Group text; "" for "No Group" (group 5) and
// an empty Group.
std::string entry_category(const PhoneBookEntry& entry, const std::array<std::string, 5>& group_names);

// The type a number gets: the entry's marker ("Bob W" -> "WORK") where it
// counts, else "CELL" for a certain mobile number of the country, else "".
std::string number_type(const std::string& number, const std::string& country, const std::string& marker_type);

}  // namespace phondeck
