// A message's user data of any bytes, coding and length, decoded as a read
// shows it: valid UTF-8, never more characters than the bytes (and a length
// within them) hold, 8-bit data as one hex pair per byte, and an abstract
// that begins the text and holds at most 20 characters.
// Input: the data coding byte, the length as a signed 16-bit number (below
// zero: none given), then the user data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "app/code_page.h"
#include "organiser/sms_codec.h"
#include "phonebook/gsm_alphabet.h"
#include "phonebook/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  if (size < 3) return 0;
  const std::uint8_t coding = data[0];
  const int length = static_cast<std::int16_t>(data[1] << 8 | data[2]);
  const std::span<const std::uint8_t> user_data(data + 3, size - 3);
  const std::string text = decode_user_data(user_data, coding, length);
  const std::u32string chars = utf8_to_code_points(text);
  if (code_points_to_utf8(chars) != text) std::abort();
  // The bytes the length leaves of the user data.
  const std::size_t held =
      length >= 0 && static_cast<std::size_t>(length) < user_data.size() ? static_cast<std::size_t>(length)
                                                                         : user_data.size();
  if (data_coding_is_ucs2(coding)) {
    if (chars.size() > held / 2) std::abort();
  } else if (data_coding_is_8bit(coding)) {
    if (text.size() != (held == 0 ? 0 : 3 * held - 1)) std::abort();
  } else {
    // The length counts septets here, and an escape pair gives one character.
    std::size_t septets = septet_count(user_data.size());
    if (length >= 0 && static_cast<std::size_t>(length) < septets) septets = static_cast<std::size_t>(length);
    if (chars.size() > septets) std::abort();
  }
  const std::u32string abstract = utf8_to_code_points(message_abstract(text));
  if (abstract.size() > 20 || chars.compare(0, abstract.size(), abstract) != 0) std::abort();
  return 0;
}
