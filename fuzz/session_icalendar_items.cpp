// The iCalendar splitter on arbitrary bytes: every piece is a whole calendar
// with a file name, and the components it holds are pieces of the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "session/dav_upload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const DavItem& item : icalendar_items(text)) {
    if (item.name.empty() || item.name.find('/') != std::string::npos) std::abort();
    if (item.body.rfind("BEGIN:VCALENDAR", 0) != 0) std::abort();
    if (icalendar_items(item.body).empty()) std::abort();
  }
  return 0;
}
