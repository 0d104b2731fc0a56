// The RTTTL reader on arbitrary text: a tone it reads keeps the limits and
// reads back from what is written of it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media/rtttl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const ToneReading r = read_rtttl(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!r.ok()) {
    if (!r.tone.notes.empty() || r.error->line < 1 || r.error->column < 1) std::abort();
    return 0;
  }
  if (r.tone.notes.size() > kMaxToneNotes || r.tone.tempoIndex < 0 || r.tone.tempoIndex > 12) std::abort();
  const ToneReading again = read_rtttl(write_rtttl(r.tone));
  if (!again.ok() || again.tone.notes != r.tone.notes || again.tone.tempoIndex != r.tone.tempoIndex) std::abort();
  return 0;
}
