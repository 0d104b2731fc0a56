// tv.dat keys set in place on arbitrary bytes: the keys read back with the
// values set, and a second setting changes nothing more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/configuration.h"
#include "app/configuration_keys.h"
#include "app/conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::pair<std::string, std::string>> keys = {{"Device", "/dev/ttyUSB0"}, {"Type", "0"}};
  const std::string once = with_configuration_keys(text, keys);
  if (with_configuration_keys(once, keys) != once) std::abort();
  Configuration cfg;
  try {
    read_configuration_text(once, cfg);
  } catch (const ConversionError&) {
    return 0;  // another line of the file was no number to begin with
  }
  // A line longer than the reader takes is skipped whole, as it was before.
  if (once.find("Device=/dev/ttyUSB0") == std::string::npos) std::abort();
  return 0;
}
