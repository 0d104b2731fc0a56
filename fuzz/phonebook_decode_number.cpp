// Number fields of any bytes: the text is digits after an optional "+", and
// a decoded number that is all single digits encodes back to the same field.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "phonebook/number_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  if (size < 1) return 0;
  const std::size_t count = data[0];
  const std::span<const std::uint8_t> field(data + 1, size - 1);
  const std::string number = decode_number(field, count);
  for (std::size_t i = 0; i < number.size(); ++i) {
    const char c = number[i];
    if (!(c >= '0' && c <= '9') && !(c == '+' && i == 0)) std::abort();
  }
  // Bytes of the text itself as a number to encode: never crashes, and a
  // result has the type byte and ceil(digits / 2) digit bytes.
  const std::string_view text(reinterpret_cast<const char*>(field.data()), field.size());
  if (const auto encoded = encode_number(text, AddressKind::Destination)) {
    const std::size_t digits = text.size() - (!text.empty() && text[0] == '+' ? 1 : 0);
    if (encoded->size() != 2 + (digits + 1) / 2) std::abort();
    if (decode_number(std::span(*encoded).subspan(1)) != text) std::abort();
  }
  return 0;
}
