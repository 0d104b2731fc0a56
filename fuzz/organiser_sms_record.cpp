// Message records of any bytes, as a read joins them from the handset's
// frames: the parser stays within the payload, the numbers hold at most 20
// digits, the text decodes to valid UTF-8 whatever the coding and length, and
// a time stamp's ISO text reads back as the same instant. Any bytes as an
// ISO text read back, when they read at all, write the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "app/code_page.h"
#include "app/text_table.h"
#include "organiser/sms_codec.h"
#include "organiser/sms_time.h"
#include "phonebook/text_codec.h"

namespace {
bool valid_utf8(const std::string& text) {
  using namespace phondeck;
  return code_points_to_utf8(utf8_to_code_points(text)) == text;
}
std::size_t digits(const std::string& number) { return number.size() - (!number.empty() && number[0] == '+'); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::span<const std::uint8_t> payload(data, size);
  const std::string as_text(reinterpret_cast<const char*>(data), size);
  if (const auto read = parse_stamp_iso(as_text)) {
    std::string same = as_text;
    if (same.ends_with("-00:00")) same.replace(same.size() - 6, 1, "+");
    if (stamp_iso(*read) != same) std::abort();
    if (stamp_time_of(read->utc_ms, read->offset_minutes).day != read->day) std::abort();
  }
  ReceivedSms sms;
  if (!parse_sms_record(payload, sms)) return 0;
  if (size < 43 || payload[3] != 0x08) std::abort();
  if (sms.user_data.size() > size) std::abort();
  // Digits above 9 show as two characters: at most 2 per semi-octet.
  if (digits(sms.number) > 40 || digits(sms.smsc) > 40) std::abort();
  const std::string text = decode_user_data(sms.user_data, sms.coding, sms.length);
  if (!valid_utf8(text) || !valid_utf8(message_abstract(text))) std::abort();
  if (!sms.time.empty() && sms.time.size() < 17) std::abort();
  if (!sms.stamp.empty()) {
    const auto read = parse_stamp_iso(sms.stamp);
    if (sms.time.empty() || !read || stamp_iso(*read) != sms.stamp) std::abort();
    if (read->utc_ms != time_stamp_utc_ms(payload.subspan(36, 7)).value_or(-1)) std::abort();
  }
  return 0;
}
