// Handset names of any bytes, under each code page: the result is valid
// UTF-8 with no blank at either end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "app/code_page.h"
#include "phonebook/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  if (size < 2) return 0;
  set_active_code_page(static_cast<CodePage>(data[0] % 3));
  const std::size_t count = data[1];
  const std::span<const std::uint8_t> bytes(data + 2, size - 2);
  for (const std::string& name : {decode_name(bytes, count), decode_name(bytes)}) {
    if (code_points_to_utf8(utf8_to_code_points(name)) != name) std::abort();
    if (!name.empty() && (name.front() == ' ' || name.back() == ' ')) std::abort();
  }
  set_active_code_page(CodePage::Windows1252);
  return 0;
}
