// The archive's messages.json as found in a folder, any bytes: read as an
// index only when every entry names a plain file; and a sender and time
// stamp from the handset, any bytes, never give a file name that leaves the
// folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "organiser/message_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  nlohmann::ordered_json entries;
  if (parse_archive_index(text, entries)) {
    if (!entries.is_array()) std::abort();
    for (const auto& e : entries) {
      const std::string& file = e.at("file").get_ref<const std::string&>();
      if (file.empty() || file.find('/') != std::string::npos || file == "..") std::abort();
    }
  } else if (!entries.empty()) {
    std::abort();
  }

  SmsRecord record;
  record.Phone = std::string(text.substr(0, size / 2));
  record.Time = std::string(text.substr(size / 2));
  record.Pos = std::to_string(size % 256);
  const std::string name = archive_file_name(record);
  if (name.empty() || name.front() == '.' || name.size() < 5 || name.substr(name.size() - 4) != ".txt") std::abort();
  for (char ch : name) {
    const bool plain = (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') ||
                       ch == '+' || ch == '_' || ch == '-' || ch == '.';
    if (!plain) std::abort();
  }
  return 0;
}
