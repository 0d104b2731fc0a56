// The language-library reader on arbitrary bytes: every stored text is valid
// UTF-8 of at most 254 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/code_page.h"
#include "app/language_library.h"
#include "app/text_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  static TextTable table;
  table.clear();
  table.set(5, "Phondeck");
  const bool loaded = read_language_library(content, table);
  if (!loaded && table.get(5) != "Phondeck") std::abort();  // a rejected file changes nothing
  for (int id = 0; id < TextTable::kCount; ++id) {
    const std::string& text = table.get(id);
    if (text.empty()) continue;
    if (text.size() > TextTable::kMaxBytes) std::abort();
    if (code_points_to_utf8(utf8_to_code_points(text)) != text) std::abort();
  }
  return 0;
}
