#pragma once
// Phone-book entries as CSV files (RFC 4180) that spreadsheet programs read:
// a header row Name, UNICODE, Phone, Type, Position, Group, WriteAs, then one
// row per entry; UTF-8 with a byte-order mark, CR LF, fields quoted where
// they hold a comma, a quote, a line break or outer blanks. A cell that a
// spreadsheet would run as a formula or read as a number ("=", "+", "-", "@"
// first) is written after an apostrophe, and read back without it. Phone is
// the number as the handset holds it, never made international: a re-import
// gives back the file's number, so the CSV has no second column to keep it.
#include <string>
#include <string_view>
#include <vector>

#include "phonebook/contact_record.h"
#include "phonebook/entry.h"

namespace phondeck {

std::string write_csv(const std::vector<PhoneBookEntry>& entries);

// The rows of a CSV text as records. The byte-order mark is optional; text
// that is not UTF-8 is read in the active code page. A first row naming a
// Phone column is the header, whose column names (in any order and case)
// place the fields; without one the columns are taken in the written order.
// The separator is the comma, or ";" or TAB when the first row holds no
// comma but one of those. Blank rows are left out.
std::vector<ContactRecord> read_csv(std::string_view text);

}  // namespace phondeck
