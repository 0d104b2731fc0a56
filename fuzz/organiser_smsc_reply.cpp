// Read SMSC replies of any bytes: the number is read within the reply and
// no longer than the field it came in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "app/text_table.h"
#include "organiser/sms_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  static const bool loaded = (texts().load_english(), true);
  (void)loaded;
  const std::span<const std::uint8_t> reply(data, size);
  const std::optional<std::string> number = parse_smsc_reply(reply);
  if (!number) return 0;
  if (size < 22) std::abort();
  // Type byte plus at most ten digit bytes, two characters per half-byte at most.
  if (number->size() > 1 + 10 * 4) std::abort();
  // What was read goes back into a request field, or is refused with a reason.
  std::string error;
  if (!number_field(*number, AddressKind::MessageCentre, &error) && error.empty()) std::abort();
  // Written back, the record keeps every byte it had beside the number field.
  const std::vector<std::uint8_t> record = smsc_reply_record(reply);
  const MessageRequest request = smsc_write_payload(record, "+4412345678");
  if (request.payload.size() < kCentreWriteNumber + 12 || request.payload.size() < record.size() + 5) std::abort();
  for (std::size_t i = 0; i < record.size(); ++i) {
    const std::size_t at = i + 5;
    if ((at < kCentreWriteNumber || at >= kCentreWriteNumber + 12) && request.payload[at] != record[i]) std::abort();
  }
  return 0;
}
