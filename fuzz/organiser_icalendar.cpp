// iCalendar files of any bytes: the import never fails hard, every event it
// gives is one the handset can hold, and exporting them imports them again
// unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "organiser/icalendar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const IcalendarImport in = import_icalendar(text);
  for (const CalendarEvent& e : in.events) {
    if (validated(event_time(e)) != event_time(e) || e.type < 1 || e.type > 4) std::abort();
    if (note_text_bytes(e.data).size() > kNoteTextLimit) std::abort();
  }
  // Written in a zone, in UTC or floating, and read in the same one.
  for (const char* zone : {"Europe/Helsinki", "UTC", ""}) {
    IcalendarOptions options;
    options.time_zone = *zone != '\0' ? zone : "Europe/Helsinki";
    options.floating = *zone == '\0';
    if (import_icalendar(export_icalendar(in.events, options), options.time_zone).events != in.events) std::abort();
  }
  return 0;
}
