#pragma once
// The messages for other programs: the XML file a phone's message backup app
// restores into its Messages (`write_sms_backup_xml`), and an mbox of one mail
// per message for mail programs (`write_messages_mbox`). Both take every
// folder's messages with their parts joined (a missing part shows as the
// store's gap text, "[part 2 missing]"), in store order.
//
// A message's time is its time stamp with its own zone (SmsRecord::Stamp). A
// message without one (the outbox's, or a stamp whose bytes give no time)
// takes the export's time, `now_ms`: in the XML as its date with date_sent 0,
// in the mbox as its Date in UTC (+0000).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "organiser/message_store.h"
#include "organiser/sms_time.h"

namespace phondeck {

// The contact name for a number ("" none); the export wires it to the phone book.
using NameOfNumber = std::function<std::string(const std::string& number)>;

// <smses count="N"> with one <sms/> per message: address, date (UTC ms of the
// stamp), type (1 received, 2 sent, 4 unsent with a recipient, 3 unsent
// without one: a draft), body, read, status -1, service_center ("null"
// without one), date_sent (the stamp; 0 without one), readable_date (the
// local time zone's), contact_name ("(Unknown)" without one). Attribute
// values escape & < > " and write tab, LF and CR as references; characters
// beyond U+FFFF stay UTF-8 (a reference to a UTF-16 half is no XML), and the
// controls XML cannot hold become their pictures (U+0001 as U+2401).
std::string write_sms_backup_xml(const MessageStore& store, const NameOfNumber& name_of, std::int64_t now_ms);

// One mail per message: a "From " line (the sender's address, the time in
// UTC), From/To ("me" for the user; a number as +358401234567@phone.invalid,
// a domain that can never receive mail, so a reply cannot leave by mistake),
// Date in the stamp's zone, Subject of the first words, a Message-ID made
// from the message itself (the same message keeps it from export to export),
// In-Reply-To/References to the earlier mails of the same number, so each
// number is one thread, and a UTF-8 text body: 8bit with body lines starting
// "From " written ">From ", or quoted-printable when the text holds a CR
// without LF, a NUL or a line longer than 998 bytes. Names beyond ASCII are
// RFC 2047 encoded words.
std::string write_messages_mbox(const MessageStore& store, const NameOfNumber& name_of, std::int64_t now_ms);

// The number of messages those files hold (parts joined).
int exported_message_count(const MessageStore& store);

// One message as both files write it.
struct ExportedMessage {
  std::size_t index = 0;  // its first record in the store
  std::string text;       // the parts joined, "\n" line ends
  StampTime time;         // the stamp's, or `now_ms` in UTC
  bool stamped = false;
};
// The messages in store order (of each one's first record).
std::vector<ExportedMessage> exported_messages(const MessageStore& store, std::int64_t now_ms);

}  // namespace phondeck
