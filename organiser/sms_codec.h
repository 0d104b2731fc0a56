#pragma once
// Short messages in the handset's form: the outgoing message, the composed
// text's encoding (GSM 7-bit packing or UCS-2), the received record and the
// message-centre reply, user-data decoding, time stamps, validity labels and
// the 12-byte number fields of the message requests.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "media/smart_sms.h"
#include "phonebook/number_codec.h"

namespace phondeck {

// The one message every send and write of a message takes its user data
// from. The startup-graphic write stages its data here too, hence the room.
struct OutgoingSms {
  static constexpr std::size_t kCapacity = 1024;  // six parts of 140 bytes
  std::array<std::uint8_t, kCapacity> user_data{};
  std::int32_t byte_count = 0;
  std::uint8_t first_octet = 0x11;
  std::uint8_t data_coding = 0x00;
  std::uint8_t user_data_length = 0;  // what the handset reads as the length
  // A message sent as concatenated parts (8-bit data, each with its own
  // user-data header): the user data holds the parts one after another, part
  // k taking part_bytes[k] bytes. Empty for one message.
  std::vector<std::int32_t> part_bytes;
  // The user-data length of each part (septets of 7-bit text); empty: each
  // part's byte count.
  std::vector<std::uint8_t> part_lengths;
  // Filled from the Messages window's editor, which keeps it in step with
  // the text shown there.
  bool composed = false;
  // Why the message must not go out (the shown text no longer fits); empty
  // when it may.
  std::string refusal;
  // The text it carries (UTF-8, "\n" between lines) when it was filled from
  // one; empty for a ringing tone or picture. Both setters clear it.
  std::string text;

  // Copies at most kCapacity bytes as one message; false when the data did
  // not fit. Both setters make it nobody's composition and sendable.
  bool set_user_data(std::span<const std::uint8_t> data);
  // The parts one after another; false (and nothing kept) when they do not fit.
  bool set_parts(const std::vector<std::vector<std::uint8_t>>& parts);
  std::span<const std::uint8_t> data() const { return {user_data.data(), static_cast<std::size_t>(byte_count)}; }
  int parts() const { return part_bytes.empty() ? 1 : static_cast<int>(part_bytes.size()); }
  // Part k's user data (all of it for a single message).
  std::span<const std::uint8_t> part(int k) const;
};

inline constexpr int kMessageLimit = 140;  // encoded bytes a message holds

struct EncodedMessage {
  std::vector<std::uint8_t> bytes;
  bool ucs2 = false;
  int length = 0;      // encoded bytes, compared with kMessageLimit
  int characters = 0;  // septets (7-bit) or UCS-2 bytes
  // Characters beyond U+FFFF that UCS-2 cannot carry (UTF-8, each once).
  std::string unsupported;
};

// A composed text (UTF-8): 7-bit packed when every character is plain ASCII
// outside [ \ ] ^ _ ` { | } ~ DEL (and no control other than CR, LF), with
// "@" as 0 and "$" as 2; else UCS-2 big-endian.
EncodedMessage encode_message_text(std::string_view text);

// Fills the outgoing message from an encoded text: first octet 0x11, data
// coding 0x08 (UCS-2, length = bytes) or 0x00 (7-bit, length = septets).
void fill_outgoing(OutgoingSms& sms, const EncodedMessage& message);
// Fills the outgoing message with a text in parts: first octet 0x51 (a
// user-data header), data coding 0x00 or 0x08, each part's length.
struct LongText;
void fill_outgoing(OutgoingSms& sms, const LongText& text);
// Fills the outgoing message with a Smart Messaging message (ringing tone,
// graphics): its first octet and data coding, length = bytes.
void fill_outgoing(OutgoingSms& sms, const SmartSms& message);

// Bytes 0..5 of a service-centre time stamp, each nibble-swapped:
// 00 21 70 20 34 44 -> "00.12.07 02:43:44". Fewer bytes give "".
std::string format_time_stamp(std::span<const std::uint8_t> stamp);

// The data coding scheme names UCS-2 (general group alphabet 10, or the
// UCS-2 message-waiting group).
bool data_coding_is_ucs2(std::uint8_t coding);
// The data coding scheme names 8-bit data.
bool data_coding_is_8bit(std::uint8_t coding);

// User data as text by the message's own data coding: UCS-2 big-endian, 8-bit
// data as hexadecimal, else 7-bit packed text. A user-data length within what
// the bytes hold trims the text to it (septets for 7-bit, bytes otherwise).
std::string decode_user_data(std::span<const std::uint8_t> user_data, std::uint8_t coding, int length);

// The relative validity label of slider code 0..200: minutes, hours, days,
// and weeks for 197..200.
std::string validity_label(int code);

inline constexpr std::size_t kNumberField = 12;
inline constexpr std::size_t kMaxNumberDigits = 20;
using NumberField = std::array<std::uint8_t, kNumberField>;

// The 12-byte field of a request: encode_number, then 00 up to 12 bytes.
// Nothing, with `error` set, for a non-digit (the error names the number and
// the character) or more than 20 digits.
std::optional<NumberField> number_field(std::string_view text, AddressKind kind, std::string* error = nullptr);

// One message as the handset's read reply (first frame, sub-type 0x08)
// carries it; user data are joined from every frame.
struct ReceivedSms {
  int status = 0;    // 1, 3 inbox; 5, 7 outbox
  int location = 0;
  std::string smsc;
  std::string number;  // sender or destination
  std::uint8_t first_octet = 0;  // byte 20: bit 6 says the user data starts with a header
  std::uint8_t coding = 0;
  int length = -1;     // user-data length byte
  std::string time;    // inbox only
  std::string stamp;   // the time stamp as ISO 8601 with its zone; "" when it gives no time
  std::vector<std::uint8_t> user_data;

  bool inbox() const { return status == 1 || status == 3; }
};

inline bool sms_status_known(int status) { return status == 1 || status == 3 || status == 5 || status == 7; }

// The record in a read reply's payload (trailer bytes removed). False when
// the payload is not a message record or too short for its fixed part.
bool parse_sms_record(std::span<const std::uint8_t> payload, ReceivedSms& out);

// The number in a Read SMSC reply's payload: payload[21] bytes from
// payload[22]; nothing when the reply is too short for it.
std::optional<std::string> parse_smsc_reply(std::span<const std::uint8_t> payload);
// A Read SMSC reply's record from its location (payload[4]) on, as a write
// sends it back; empty when the reply carries no number.
inline constexpr std::size_t kCentreRecordAt = 4;
std::vector<std::uint8_t> smsc_reply_record(std::span<const std::uint8_t> payload);

// Request payloads (without the trailer); nothing when a number does not fit.
struct MessageRequest {
  std::vector<std::uint8_t> payload;
  std::string error;
};
// Send carries part `part` of a message in parts (its byte count as the
// user-data length).
MessageRequest send_request_payload(const OutgoingSms& sms, std::string_view smsc, std::string_view destination,
                                    int validity, int part = 0);
MessageRequest outbox_write_payload(const OutgoingSms& sms, std::string_view smsc, int validity);
// A recipient's Result when the handset answered a send (its reply payload)
// with other than "sent": which part of how many it refused and its
// answer's bytes from the sub-type on, as they came, since no table names
// them ("Failed: the handset refused part 2 of 3 (answer 03 00)").
std::string send_refused_text(std::span<const std::uint8_t> payload, int part, int parts);
// The same with a destination and the status to store it with (7 unsent,
// 5 sent).
MessageRequest outbox_write_payload(const OutgoingSms& sms, std::string_view smsc, int validity,
                                    std::string_view destination, int status);
// Write SMSC: 00 01 00 30 64 and the centre's record as read, its number
// field (bytes 22..33) replaced; name, format, validity and the rest stay.
inline constexpr std::size_t kCentreWriteNumber = 22;
MessageRequest smsc_write_payload(std::span<const std::uint8_t> centre, std::string_view smsc);

}  // namespace phondeck
