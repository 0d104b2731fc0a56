// The .ott reader on arbitrary bytes: a tone it reads is written and read
// back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "media/ott_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const ToneReading r = read_ott(std::span<const std::uint8_t>(data, size));
  if (!r.ok()) return 0;
  if (r.tone.notes.size() > kMaxToneNotes) std::abort();
  const auto bytes = write_ott(r.tone);
  if (bytes.empty()) return 0;  // octave changes past the instruction limit
  const ToneReading again = read_ott(bytes);
  if (!again.ok() || again.tone.notes != r.tone.notes) std::abort();
  return 0;
}
