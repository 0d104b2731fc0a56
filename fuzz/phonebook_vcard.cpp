// The vCard reader on arbitrary bytes: it never fails, and the entries it
// finds survive an export and an import in either format unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "driver/contact_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  fuzz::check_round_trip(read_vcards(text));
  return 0;
}
