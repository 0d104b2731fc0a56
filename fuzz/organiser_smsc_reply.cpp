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
  return 0;
}
