#pragma once
// What both phone-book file readers promise: whatever entries they find come
// back unchanged through the vCard and the CSV writer and reader, the vCard
// also with its numbers in international form (X-PHONDECK-NUMBER keeps the
// handset's).
#include <cstdlib>
#include <vector>

#include "app/text_table.h"
#include "phonebook/contact_record.h"
#include "phonebook/csv.h"
#include "phonebook/vcard.h"

namespace phondeck::fuzz {

inline void check_round_trip(const std::vector<ContactRecord>& records) {
  static const bool loaded = (texts().load_english(), true);
  (void)loaded;
  const ContactFallback fallback{"Phone", "No Group", "Auto"};
  for (bool one_per_number : {false, true}) {
    ImportedEntries imported = entries_from_records(records, one_per_number, fallback);
    for (PhoneBookEntry& e : imported.entries) {
      if (e.Phone.empty() || e.Type.empty() || e.Group.empty() || e.WriteAs.empty()) std::abort();
    }
    ContactExportOptions finnish;
    finnish.country = "FI";
    const std::vector<ContactRecord> again[] = {read_vcards(write_vcards(imported.entries)),
                                                read_vcards(write_vcards(imported.entries, finnish)),
                                                read_csv(write_csv(imported.entries))};
    for (const std::vector<ContactRecord>& back : again) {
      const ImportedEntries second = entries_from_records(back, false, fallback);
      if (second.entries != imported.entries || !second.skipped.empty()) std::abort();
    }
  }
}

}  // namespace phondeck::fuzz
