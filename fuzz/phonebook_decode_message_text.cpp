// Short-message user data of any bytes and any claimed length: valid UTF-8,
// at most one character per septet, and an abstract that begins the text and
// holds at most 20 characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "app/code_page.h"
#include "app/configuration.h"
#include "phonebook/gsm_alphabet.h"
#include "phonebook/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  if (size < 2) return 0;
  const bool ucs2 = (data[0] & 1) != 0;
  config().MultiByte = (data[0] & 2) != 0 ? 1 : 0;
  const std::size_t count = data[1];
  const std::span<const std::uint8_t> user_data(data + 2, size - 2);
  const MessageText m = decode_message_text(user_data, count, ucs2);
  if (code_points_to_utf8(utf8_to_code_points(m.text)) != m.text) std::abort();
  const std::u32string chars = utf8_to_code_points(m.text);
  const std::u32string abstract = utf8_to_code_points(m.abstract);
  if (abstract.size() > 20 || chars.compare(0, abstract.size(), abstract) != 0) std::abort();
  const std::size_t octets = count < user_data.size() ? count : user_data.size();
  if (!(ucs2 && config().MultiByte) && chars.size() > septet_count(octets)) std::abort();
  config().MultiByte = 0;
  return 0;
}
