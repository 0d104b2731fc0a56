// The vCard splitter on arbitrary bytes: every card it cuts is a piece of
// the input (or that with the UID line it was given), has a file name, and
// cut again alone gives itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "session/dav_upload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const DavItem& item : vcard_items(text)) {
    if (item.name.empty() || item.name.find('/') != std::string::npos) std::abort();
    const bool given_uid = item.body.find("UID:" + item.name.substr(0, item.name.size() - 4)) == std::string::npos;
    if (given_uid && text.find(item.body) == std::string::npos) std::abort();
    const std::vector<DavItem> again = vcard_items(item.body);
    if (again.size() != 1 || again[0].name != item.name || again[0].body != item.body) std::abort();
  }
  return 0;
}
