// Read-entry replies of any bytes: the parser keeps within the data, takes
// exactly the lengths it states, and the name decodes to valid UTF-8 under
// every code page, limit and MultiByte setting.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "app/code_page.h"
#include "link/phonebook_names.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  if (size < 2) return 0;
  set_active_code_page(static_cast<CodePage>(data[0] % 3));
  const int limit = (data[1] & 1) != 0 ? 20 : 16;
  const bool multibyte = (data[1] & 2) != 0;
  const std::span<const std::uint8_t> reply(data + 2, size - 2);
  EntryReply entry;
  if (parse_entry_reply(reply, entry)) {
    if (reply.size() < 8 + entry.name.size() + entry.number.size()) std::abort();
    if (entry.name.size() != reply[5] || entry.group != reply[7 + entry.name.size() + entry.number.size()]) std::abort();
    const DecodedName name = decode_entry_name(entry.name, limit, multibyte);
    for (const std::string& text : {name.name, name.unicode}) {
      if (code_points_to_utf8(utf8_to_code_points(text)) != text) std::abort();
    }
    if (!multibyte && name.write_as != WriteAs::Name) std::abort();
  }
  set_active_code_page(CodePage::Windows1252);
  return 0;
}
