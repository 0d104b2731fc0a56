// The composer notation reader on arbitrary text: what it reads is written
// and read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media/nokia_melody.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const ParsedMelody parsed = parse_nokia_melody(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!parsed.ok()) return parsed.notes.empty() ? 0 : (std::abort(), 0);
  for (const Note& n : parsed.notes)
    if (n.pitch < kRestPitch || n.pitch > kHighestPitch || !is_duration_code(n.duration)) std::abort();
  if (parse_nokia_melody(format_nokia_melody(parsed.notes)).notes != parsed.notes) std::abort();
  return 0;
}
