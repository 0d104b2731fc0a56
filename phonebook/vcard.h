#pragma once
// Phone-book entries as vCard files. Written as vCard 3.0 (UTF-8, CR LF,
// lines folded at 75 octets): FN and N carry the UNICODE name where there is
// one, else Name; TEL;TYPE=CELL the number; X-PHONDECK-NAME (only beside a
// UNICODE name; an empty Name with X-PHONDECK-EMPTY=TRUE), -MEMORY,
// -POSITION, -GROUP and -WRITEAS keep the rest, and
// X-PHONDECK-NAME-BYTES the name's bytes in hex as the handset held them
// (for an entry read and not renamed since), so that the name goes back in
// the same form whatever the language and MultiByte say.
// Read as phones and address books write vCard 2.1 and 3.0: folded lines,
// QUOTED-PRINTABLE with soft line breaks, CHARSET, property groups, several
// TEL lines.
#include <string>
#include <string_view>
#include <vector>

#include "phonebook/contact_record.h"
#include "phonebook/entry.h"

namespace phondeck {

std::string write_vcards(const std::vector<PhoneBookEntry>& entries);

// Every VCARD of the text (a card cut short by the end of the text counts).
// A card without X-PHONDECK- properties puts its name into Name when the
// active code page can hold it, else into UNICODE. An X-PHONDECK-NAME that is
// empty (and not marked X-PHONDECK-EMPTY=TRUE) or absent leaves Name to FN
// (or N), as files from earlier versions and other programs have it.
std::vector<ContactRecord> read_vcards(std::string_view text);

// True when the text looks like vCard data (BEGIN:VCARD before anything but
// blank lines and a byte-order mark).
bool looks_like_vcard(std::string_view text);

}  // namespace phondeck
