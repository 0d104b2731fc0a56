// Read-entry replies of any bytes: the parser keeps within the data, takes
// exactly the lengths it states, the name decodes to valid UTF-8 under every
// code page and limit, and an unchanged name is written back byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "app/code_page.h"
#include "link/phonebook_names.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  if (size < 2) return 0;
  set_active_code_page(static_cast<CodePage>(data[0] % 3));
  const int limit = (data[1] & 1) != 0 ? 20 : 16;
  const std::span<const std::uint8_t> reply(data + 2, size - 2);
  EntryReply entry;
  if (parse_entry_reply(reply, entry)) {
    if (reply.size() < 8 + entry.name.size() + entry.number.size()) std::abort();
    if (entry.name.size() != reply[5] || entry.group != reply[7 + entry.name.size() + entry.number.size()]) std::abort();
    const DecodedName name = decode_entry_name(entry.name, limit);
    for (const std::string& text : {name.name, name.unicode}) {
      if (code_points_to_utf8(utf8_to_code_points(text)) != text) std::abort();
    }
    if (!entry.name.empty() && entry.name[0] != 0x04 && name.write_as != WriteAs::Name) std::abort();
    NameToEncode back;
    back.memory = 1;
    back.handset_bytes = entry.name;
    const std::vector<std::uint8_t> written = encode_name(back);
    if (!std::equal(written.begin(), written.end(), entry.name.begin()) ||
        written.size() != std::min(entry.name.size(), kSimNameBytes)) {
      std::abort();
    }
  }
  set_active_code_page(CodePage::Windows1252);
  return 0;
}
