// What other programs leave for us to read: a UUCP lock file's bytes and
// the lines of /proc/locks. Neither parser reads past its input or names a
// pid of zero or below.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/port_diagnosis.h"
#include "platform/serial_devices.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (lock_file_pid(bytes) < 0) std::abort();
  for (const FlockEntry& e : parse_proc_locks(bytes)) {
    if (e.pid <= 0) std::abort();
  }
  return 0;
}
