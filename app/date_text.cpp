#include "app/date_text.h"

#include <cstdio>

namespace phondeck {
namespace {

DateTimeFormats& formats() {
  static DateTimeFormats installed;
  return installed;
}

}  // namespace

void set_date_time_formats(DateTimeFormats formats_to_use) { formats() = std::move(formats_to_use); }

std::string date_text(int year, int month, int day) {
  return formats().date ? formats().date(year, month, day) : iso_date_text(year, month, day);
}

std::string date_time_text(int year, int month, int day, int hour, int minute) {
  return formats().date_time ? formats().date_time(year, month, day, hour, minute)
                             : iso_date_time_text(year, month, day, hour, minute);
}

std::string iso_date_text(int year, int month, int day) {
  char b[48];
  std::snprintf(b, sizeof b, "%04d-%02d-%02d", year, month, day);
  return b;
}

std::string iso_date_time_text(int year, int month, int day, int hour, int minute) {
  char b[64];
  std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
  return b;
}

}  // namespace phondeck
