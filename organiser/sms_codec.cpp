#include "organiser/sms_codec.h"

#include <algorithm>
#include <cstdio>

#include "app/configuration.h"
#include "app/text_table.h"
#include "organiser/long_message.h"
#include "organiser/sms_time.h"
#include "phonebook/gsm_alphabet.h"
#include "phonebook/text_codec.h"

namespace phondeck {
namespace {

constexpr int kTextDays = 1830;
constexpr int kTextHours = 1831;
constexpr int kTextMinutes = 1832;
constexpr int kTextWeeks = 1833;
constexpr int kTextNumberTooLong = 3412;
constexpr int kTextNumberCharacter = 3416;
constexpr int kTextRefused = 3508;      // Failed: the handset refused it (answer %1)
constexpr int kTextPartRefused = 3509;  // ... part %1 of %2 (answer %3)

constexpr std::uint8_t kSubRecord = 0x08;
constexpr std::size_t kInboxUserData = 43;
constexpr std::size_t kOutboxUserData = 44;

// The next code point of UTF-8 text; U+FFFD for a malformed sequence.
char32_t next_code_point(std::string_view text, std::size_t& i, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t extra = 0;
  char32_t cp = lead;
  if (lead >= 0xF0 && lead < 0xF8) {
    extra = 3;
    cp = lead & 0x07;
  } else if (lead >= 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if (lead >= 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0x80) {
    length = 1;
    ++i;
    return 0xFFFD;
  }
  if (i + extra >= text.size()) {
    length = 1;
    ++i;
    return 0xFFFD;
  }
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0) != 0x80) {
      length = 1;
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  length = extra + 1;
  i += length;
  return cp;
}

bool needs_ucs2(unsigned char c) {
  if (c >= 0x80) return true;
  if (c >= 0x5B && c <= 0x60) return true;
  if (c >= 0x7B) return true;
  return c < 0x20 && c != '\r' && c != '\n';
}

void put_ucs2(std::vector<std::uint8_t>& out, char32_t unit) {
  out.push_back(static_cast<std::uint8_t>(unit >> 8));
  out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
}

std::string hex_bytes(std::span<const std::uint8_t> bytes) {
  std::string out;
  char pair[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", bytes[i]);
    out += pair;
  }
  return out;
}

std::string replace_first(std::string text, std::string_view what, std::string_view with) {
  const std::size_t at = text.find(what);
  if (at != std::string::npos) text.replace(at, what.size(), with);
  return text;
}

void append_field(std::vector<std::uint8_t>& out, const NumberField& field) {
  out.insert(out.end(), field.begin(), field.end());
}

// The fixed part shared by send and outbox write, from the message-centre
// field to the six zero bytes after the validity.
bool append_message(std::vector<std::uint8_t>& out, const OutgoingSms& sms, std::string_view smsc,
                    std::string_view destination, int validity, std::string& error, int part = 0) {
  const std::optional<NumberField> centre = number_field(smsc, AddressKind::MessageCentre, &error);
  if (!centre) return false;
  const std::optional<NumberField> to = number_field(destination, AddressKind::Destination, &error);
  if (!to) return false;
  append_field(out, *centre);
  out.push_back(sms.first_octet);
  out.push_back(0x00);
  out.push_back(0x00);
  out.push_back(sms.data_coding);
  const std::span<const std::uint8_t> data = sms.part(part);
  // A part's length is its own: septets of 7-bit text, else its byte count.
  std::uint8_t length = sms.user_data_length;
  if (sms.parts() > 1) {
    length = part < static_cast<int>(sms.part_lengths.size()) ? sms.part_lengths[static_cast<std::size_t>(part)]
                                                              : static_cast<std::uint8_t>(data.size());
  }
  out.push_back(length);
  append_field(out, *to);
  out.push_back(static_cast<std::uint8_t>(std::clamp(validity, 0, 255)));
  out.insert(out.end(), 6, 0x00);
  out.insert(out.end(), data.begin(), data.end());
  return true;
}

}  // namespace

bool OutgoingSms::set_user_data(std::span<const std::uint8_t> data) {
  part_bytes.clear();
  part_lengths.clear();
  composed = false;
  refusal.clear();
  text.clear();
  const std::size_t n = std::min(data.size(), kCapacity);
  std::copy_n(data.begin(), n, user_data.begin());
  byte_count = static_cast<std::int32_t>(n);
  return n == data.size();
}

bool OutgoingSms::set_parts(const std::vector<std::vector<std::uint8_t>>& parts) {
  std::size_t total = 0;
  for (const std::vector<std::uint8_t>& p : parts) total += p.size();
  if (total > kCapacity || parts.empty()) return false;
  part_bytes.clear();
  part_lengths.clear();
  composed = false;
  refusal.clear();
  text.clear();
  std::size_t at = 0;
  for (const std::vector<std::uint8_t>& p : parts) {
    std::copy(p.begin(), p.end(), user_data.begin() + static_cast<long>(at));
    at += p.size();
    part_bytes.push_back(static_cast<std::int32_t>(p.size()));
  }
  byte_count = static_cast<std::int32_t>(total);
  return true;
}

std::span<const std::uint8_t> OutgoingSms::part(int k) const {
  if (part_bytes.empty()) return data();
  std::size_t from = 0;
  for (int i = 0; i < k && i < static_cast<int>(part_bytes.size()); ++i) from += static_cast<std::size_t>(part_bytes[i]);
  if (k < 0 || k >= static_cast<int>(part_bytes.size())) return {};
  const std::size_t n = static_cast<std::size_t>(part_bytes[static_cast<std::size_t>(k)]);
  if (from + n > static_cast<std::size_t>(byte_count)) return {};
  return data().subspan(from, n);
}

EncodedMessage encode_message_text(std::string_view text) {
  EncodedMessage out;
  out.ucs2 = std::any_of(text.begin(), text.end(), [](char c) { return needs_ucs2(static_cast<unsigned char>(c)); });
  if (!out.ucs2) {
    std::vector<std::uint8_t> codes;
    codes.reserve(text.size());
    for (char c : text) codes.push_back(c == '@' ? 0x00 : c == '$' ? 0x02 : static_cast<std::uint8_t>(c));
    out.bytes = pack_septets(codes);
    out.characters = static_cast<int>(codes.size());
    out.length = static_cast<int>(out.bytes.size());
    return out;
  }
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = i;
    std::size_t length = 0;
    const char32_t cp = next_code_point(text, i, length);
    if (cp > 0xFFFF) {
      // No UCS-2 form: the replacement character goes in its place and the
      // character is reported, so nothing is sent without the user knowing.
      const std::string_view ch = text.substr(start, length);
      if (out.unsupported.find(ch) == std::string::npos) out.unsupported += ch;
      put_ucs2(out.bytes, 0xFFFD);
    } else {
      put_ucs2(out.bytes, cp);
    }
  }
  out.length = out.characters = static_cast<int>(out.bytes.size());
  return out;
}

void fill_outgoing(OutgoingSms& sms, const EncodedMessage& message) {
  sms.set_user_data(message.bytes);
  sms.composed = true;
  sms.first_octet = 0x11;
  sms.data_coding = message.ucs2 ? 0x08 : 0x00;
  sms.user_data_length = static_cast<std::uint8_t>(std::min(message.characters, 255));
}

void fill_outgoing(OutgoingSms& sms, const LongText& text) {
  if (!text.header) {
    // One message after all: its own length, no header.
    sms.set_user_data(text.parts.empty() ? std::span<const std::uint8_t>{} : text.parts.front());
    sms.composed = true;
    sms.first_octet = 0x11;
    sms.data_coding = text.ucs2 ? 0x08 : 0x00;
    sms.user_data_length = text.lengths.empty() ? 0 : text.lengths.front();
    return;
  }
  sms.set_parts(text.parts);
  sms.composed = true;
  sms.part_lengths = text.lengths;
  sms.first_octet = 0x51;
  sms.data_coding = text.ucs2 ? 0x08 : 0x00;
  sms.user_data_length = text.lengths.empty() ? 0 : text.lengths.front();
}

void fill_outgoing(OutgoingSms& sms, const SmartSms& message) {
  sms.set_user_data(message.user_data);
  sms.first_octet = message.first_octet;
  sms.data_coding = message.data_coding;
  sms.user_data_length = static_cast<std::uint8_t>(std::min<std::int32_t>(sms.byte_count, 255));
}

std::string format_time_stamp(std::span<const std::uint8_t> stamp) {
  if (stamp.size() < 6) return {};
  static constexpr const char* kSeparators[] = {".", ".", " ", ":", ":", ""};
  std::string out;
  for (std::size_t k = 0; k < 6; ++k) {
    out += std::to_string(stamp[k] & 0x0F);
    out += std::to_string(stamp[k] >> 4);
    out += kSeparators[k];
  }
  return out;
}

bool data_coding_is_ucs2(std::uint8_t coding) {
  if ((coding & 0xC0) == 0x00) return (coding & 0x0C) == 0x08;
  return (coding & 0xF0) == 0xE0;
}

bool data_coding_is_8bit(std::uint8_t coding) {
  if ((coding & 0xC0) == 0x00) return (coding & 0x0C) == 0x04;
  return (coding & 0xF0) == 0xF0 && (coding & 0x04) != 0;
}

std::string decode_user_data(std::span<const std::uint8_t> user_data, std::uint8_t coding, int length) {
  if (data_coding_is_ucs2(coding) || data_coding_is_8bit(coding)) {
    if (length >= 0 && static_cast<std::size_t>(length) < user_data.size()) {
      user_data = user_data.first(static_cast<std::size_t>(length));
    }
    return data_coding_is_ucs2(coding) ? ucs2be_to_text(user_data) : hex_bytes(user_data);
  }
  std::vector<std::uint8_t> septets = unpack_septets(user_data);
  // The packing's unused top bits would read as a trailing "@".
  if (length >= 0 && static_cast<std::size_t>(length) < septets.size()) septets.resize(static_cast<std::size_t>(length));
  return gsm_septets_to_utf8(septets);
}

std::string validity_label(int code) {
  code = std::clamp(code, 0, 200);
  const int n = code + 1;
  std::string out;
  if (n < 144) {
    if (n / 12 > 0) out += std::to_string(n / 12) + " " + tx(kTextHours) + " ";
    if (n % 12 > 0) out += std::to_string((n % 12) * 5) + " " + tx(kTextMinutes);
  } else if (n < 168) {
    const int m = n - 144;
    out += std::to_string(m / 2 + 12) + " " + tx(kTextHours) + " ";
    if (m % 2 == 1) out += "30 " + tx(kTextMinutes);
  } else if (code <= 196) {
    out += std::to_string(code - 166) + " " + tx(kTextDays);
  } else {
    out += std::to_string(code - 192) + " " + tx(kTextWeeks);
  }
  return out;
}

std::optional<NumberField> number_field(std::string_view text, AddressKind kind, std::string* error) {
  const std::string shown(kind == AddressKind::MessageCentre && config().SMSC >= 1 && config().SMSC <= 6
                              ? config().SMSCNumber[static_cast<std::size_t>(config().SMSC - 1)]
                              : std::string(text));
  const std::optional<std::vector<std::uint8_t>> encoded = encode_number(text, kind);
  if (!encoded) {
    // The first character that is no digit (a "+" counts only first).
    if (error != nullptr) {
      std::size_t at = !shown.empty() && shown.front() == '+' ? 1 : 0;
      while (at < shown.size() && shown[at] >= '0' && shown[at] <= '9') ++at;
      *error = tx_with(kTextNumberCharacter, {shown, shown.substr(std::min(at, shown.size()), 1)});
    }
    return std::nullopt;
  }
  if (encoded->size() > kNumberField) {
    if (error != nullptr) *error = replace_first(tx(kTextNumberTooLong), "%s", shown);
    return std::nullopt;
  }
  NumberField field{};
  std::copy(encoded->begin(), encoded->end(), field.begin());
  return field;
}

bool parse_sms_record(std::span<const std::uint8_t> payload, ReceivedSms& out) {
  if (payload.size() < kInboxUserData || payload[3] != kSubRecord) return false;
  out = ReceivedSms{};
  out.status = payload[4];
  out.location = payload[6];
  const std::size_t smsc_bytes = std::min<std::size_t>(payload[8], kNumberField - 1);
  out.smsc = decode_number(payload.subspan(9, smsc_bytes));
  out.first_octet = payload[20];
  if (out.inbox()) {
    out.coding = payload[22];
    out.length = payload[23];
    const std::size_t digits = std::min<std::size_t>(payload[24], kMaxNumberDigits);
    out.number = decode_number(payload.subspan(25, 1 + (digits + 1) / 2));
    out.time = format_time_stamp(payload.subspan(36, 7));
    out.stamp = time_stamp_iso(payload.subspan(36, 7));
    out.user_data.assign(payload.begin() + kInboxUserData, payload.end());
    return true;
  }
  if (payload.size() < kOutboxUserData) return false;
  out.coding = payload[23];
  out.length = payload[24];
  const std::size_t digits = std::min<std::size_t>(payload[25], kMaxNumberDigits);
  out.number = digits == 0 ? std::string() : decode_number(payload.subspan(26, 1 + (digits + 1) / 2));
  out.user_data.assign(payload.begin() + kOutboxUserData, payload.end());
  return true;
}

std::vector<std::uint8_t> smsc_reply_record(std::span<const std::uint8_t> payload) {
  if (!parse_smsc_reply(payload)) return {};
  return {payload.begin() + kCentreRecordAt, payload.end()};
}

std::optional<std::string> parse_smsc_reply(std::span<const std::uint8_t> payload) {
  if (payload.size() < 22) return std::nullopt;
  const std::size_t count = std::min<std::size_t>(payload[21], kNumberField - 1);
  if (payload.size() < 22 + count) return std::nullopt;
  return decode_number(payload.subspan(22, count));
}

MessageRequest send_request_payload(const OutgoingSms& sms, std::string_view smsc, std::string_view destination,
                                    int validity, int part) {
  MessageRequest request;
  request.payload = {0x00, 0x01, 0x00, 0x01, 0x02, 0x00};
  if (!append_message(request.payload, sms, smsc, destination, validity, request.error, part)) {
    request.payload.clear();
  }
  return request;
}

MessageRequest outbox_write_payload(const OutgoingSms& sms, std::string_view smsc, int validity) {
  return outbox_write_payload(sms, smsc, validity, "", 7);
}

MessageRequest outbox_write_payload(const OutgoingSms& sms, std::string_view smsc, int validity,
                                    std::string_view destination, int status) {
  MessageRequest request;
  request.payload = {0x00, 0x01, 0x00, 0x04, static_cast<std::uint8_t>(status == 5 ? 0x05 : 0x07), 0x02, 0x00, 0x02};
  if (!append_message(request.payload, sms, smsc, destination, validity, request.error)) request.payload.clear();
  return request;
}

MessageRequest smsc_write_payload(std::span<const std::uint8_t> centre, std::string_view smsc) {
  MessageRequest request;
  const std::optional<NumberField> field = number_field(smsc, AddressKind::MessageCentre, &request.error);
  if (!field) return request;
  // The centre as read, from its location on; only the number changes.
  request.payload = {0x00, 0x01, 0x00, 0x30, 0x64};
  request.payload.insert(request.payload.end(), centre.begin(), centre.end());
  if (request.payload.size() < kCentreWriteNumber + kNumberField) {
    request.payload.resize(kCentreWriteNumber + kNumberField, 0x00);
    request.payload.push_back(0x00);
  }
  std::vector<std::uint8_t> number;
  append_field(number, *field);
  std::copy(number.begin(), number.end(), request.payload.begin() + static_cast<long>(kCentreWriteNumber));
  return request;
}

std::string send_refused_text(std::span<const std::uint8_t> payload, int part, int parts) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string answer;
  for (std::size_t i = 3; i < payload.size(); ++i) {
    if (!answer.empty()) answer += ' ';
    answer += kHex[payload[i] >> 4];
    answer += kHex[payload[i] & 0x0F];
  }
  if (parts <= 1) return tx_with(kTextRefused, {answer});
  return tx_with(kTextPartRefused, {std::to_string(part + 1), std::to_string(parts), answer});
}

}  // namespace phondeck
