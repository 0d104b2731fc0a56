// User data that claims a header, of any bytes: the concatenation element
// read stays within the header and names a part of its message, and the text
// after the header decodes within the data for every coding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "organiser/long_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  if (size < 2) return 0;
  const std::uint8_t coding = data[0];
  const int length = data[1];
  const std::span<const std::uint8_t> user_data(data + 2, size - 2);
  if (const auto concat = read_concat_header(user_data)) {
    if (user_data.empty() || 1u + user_data[0] > user_data.size()) std::abort();
    if (concat->part < 1 || concat->part > concat->total || concat->reference > 0xFFFF) std::abort();
  }
  (void)decode_after_header(user_data, coding, length);
  (void)decode_after_header(user_data, coding, -1);
  return 0;
}
