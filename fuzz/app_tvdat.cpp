// The tv.dat reader on arbitrary bytes: a record or a conversion error, and
// whatever it reads writes back in a form it reads the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/configuration.h"
#include "app/conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Configuration cfg;
  try {
    read_configuration_text(text, cfg);
  } catch (const ConversionError&) {
    return 0;
  }
  // Text values may hold line breaks that the file cannot carry; the rest of
  // the record must survive a write and a read.
  const std::string written = configuration_text(cfg, cfg.Width, cfg.Height);
  Configuration back;
  try {
    read_configuration_text(written, back);
  } catch (const ConversionError&) {
    std::abort();  // the writer only writes integers where integers are read
  }
  if (back.UIMode != cfg.UIMode || back.FontSize != cfg.FontSize || back.Port != cfg.Port ||
      back.ColumnWidth != cfg.ColumnWidth || back.SMSC != cfg.SMSC || back.Width != cfg.Width ||
      back.ShowComError != cfg.ShowComError)
    std::abort();
  return 0;
}
