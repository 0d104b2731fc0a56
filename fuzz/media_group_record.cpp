// One caller-group record as the handset sends it, on arbitrary bytes; the
// first byte picks the code page the name is cut by.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "app/code_page.h"
#include "media/caller_group_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  if (size == 0) return 0;
  set_active_code_page(static_cast<CodePage>(data[0] % 3));
  const std::span<const std::uint8_t> record(data + 1, size - 1);
  CallerGroup group;
  const bool parsed = parse_group_record(record, group);
  if (parsed != !record.empty()) std::abort();
  if (group.name_length < 0 || static_cast<std::size_t>(group.name_length) > kGroupNameBytes) std::abort();
  if (group.name[static_cast<std::size_t>(group.name_length)] != 0) std::abort();
  // The kept bytes are the record's own name bytes.
  for (std::int32_t i = 0; i < group.name_length; ++i) {
    if (group.name[static_cast<std::size_t>(i)] != record[static_cast<std::size_t>(i) + 1]) std::abort();
  }
  (void)group.display_name();
  if (group.picture().width() != kLogoWidth) std::abort();
  set_active_code_page(CodePage::Windows1252);
  return 0;
}
