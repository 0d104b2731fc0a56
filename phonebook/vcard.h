#pragma once
// Phone-book entries as vCard files, one card per entry. Written as vCard 3.0
// (UTF-8, CR LF, lines folded at 75 octets) with the rules of the contacts
// export (phonebook/contact_export.h): UID of the entry (entry_uid), FN the
// UNICODE name where there is one, else Name; N that name split as a
// person's name is; TEL the number in international form for the options'
// country, its TYPE only where known; CATEGORIES the caller group. The rest
// keeps what a restore needs: X-PHONDECK-NUMBER the number as the handset
// held it (where TEL differs from it), X-PHONDECK-NAME (only beside a UNICODE
// name; an empty Name with X-PHONDECK-EMPTY=TRUE), -MEMORY, -POSITION,
// -GROUP and -WRITEAS, and X-PHONDECK-NAME-BYTES the name's bytes in hex as
// the handset held them (for an entry read and not renamed since), so that
// the name goes back in the same form whatever the language and MultiByte
// say.
// Read as phones and address books write vCard 2.1 and 3.0: folded lines,
// QUOTED-PRINTABLE with soft line breaks, CHARSET, property groups, several
// TEL lines.
#include <string>
#include <string_view>
#include <vector>

#include "phonebook/contact_export.h"
#include "phonebook/contact_record.h"
#include "phonebook/entry.h"

namespace phondeck {

// The options' country, uid_seed and group_names apply; vcard_version and
// merge_marked do not (always 3.0, one card per entry).
std::string write_vcards(const std::vector<PhoneBookEntry>& entries, const ContactExportOptions& options = {});

// Every VCARD of the text (a card cut short by the end of the text counts).
// X-PHONDECK-NUMBER takes the place of the first TEL.
// A card without X-PHONDECK- properties puts its name into Name when the
// active code page can hold it, else into UNICODE. An X-PHONDECK-NAME that is
// empty (and not marked X-PHONDECK-EMPTY=TRUE) or absent leaves Name to FN
// (or N), as files from earlier versions and other programs have it.
std::vector<ContactRecord> read_vcards(std::string_view text);

// True when the text looks like vCard data (BEGIN:VCARD before anything but
// blank lines and a byte-order mark).
bool looks_like_vcard(std::string_view text);

}  // namespace phondeck
