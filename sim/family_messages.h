#pragma once
// Short messages: the message memory (0x14: status, write to the outbox,
// delete; records answered to the read request) and the message centre and
// sending (0x02: read message, read and write the message-centre number,
// send). What was sent is recorded, so a test sees exactly what went out.
#include <string>
#include <vector>

#include "sim/families.h"
#include "sim/handset_codec.h"

namespace phondeck::sim {

struct SmsSlot {
  int location = 0;  // 1-based
  int status = 1;    // 1 read, 3 unread (inbox); 5 sent, 7 unsent (outbox)
  std::string smsc;
  std::string number;        // sender or destination, "+" for international
  std::uint8_t coding = 0;   // data coding scheme
  int length = 0;            // user-data length: septets (7-bit) or bytes
  Bytes user_data;
  Bytes stamp;               // inbox: seven semi-octet bytes
  int validity = 167;        // outbox
  int first_octet = -1;      // -1: a deliver (inbox) or submit (outbox) without a header
};

struct SentSms {
  std::string smsc;
  std::string number;
  std::uint8_t first_octet = 0;
  std::uint8_t coding = 0;
  int length = 0;
  int validity = 0;
  Bytes user_data;
  bool accepted = false;
};

struct SmsMemory {
  int capacity = 0;
  // The status answer gives the number of locations; false: it gives 0, as
  // some handsets do.
  bool count_locations = true;
  std::vector<SmsSlot> messages;  // location order
  std::string smsc;            // the message-centre number
  // The centre's other fields as the handset keeps them: settings (format,
  // validity, default recipient; 16 bytes) and the name after the number.
  Bytes centre_settings;
  Bytes centre_name;
  // Numbers beginning with this text are refused when sent ("" refuses none).
  std::string refuse_prefix;
  // >= 0: only this many more sends are accepted, then the network refuses
  // every one (not saved).
  int accept_sends = -1;
  std::vector<SentSms> sent;
  // Messages the network holds while the memory is full (not saved): a
  // delete that frees a location lets the first in, at the lowest free one.
  std::vector<SmsSlot> waiting;

  const SmsSlot* at(int location) const;
  void put(SmsSlot slot);
  bool remove(int location);
  int used() const { return static_cast<int>(messages.size()); }
  // The lowest free location, or 0.
  int first_free() const;
};

// A text as the handset stores it: 7-bit packed when plain ASCII, else UCS-2.
SmsSlot sms_slot(int location, int status, std::string number, std::string_view utf8_text);
// A received part of a message in parts: 7-bit text after the header
// 05 00 03 reference total part and one fill bit.
SmsSlot sms_part_slot(int location, std::string number, std::string_view ascii_text, int reference, int total,
                      int part);
// The demo memory: inbox and outbox with gaps, accented and Chinese texts,
// messages longer than a frame, a message in three parts with one missing.
SmsMemory demo_sms_memory();

HandsetFamily messages_family();

}  // namespace phondeck::sim
