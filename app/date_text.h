#pragma once
// Dates and times the program writes for the user to read, where neither the
// handset nor a file format fixes their form. The windows install the user's
// locale's short formats; until then (phondeck, tests) they are ISO 8601.
#include <functional>
#include <string>
#include <utility>

namespace phondeck {

struct DateTimeFormats {
  std::function<std::string(int year, int month, int day)> date;
  std::function<std::string(int year, int month, int day, int hour, int minute)> date_time;
};

// Replaces the process's formats; an empty member goes back to ISO 8601.
void set_date_time_formats(DateTimeFormats formats);

// "2026-12-08" unless other formats are installed.
std::string date_text(int year, int month, int day);
// "2026-12-08 09:30" unless other formats are installed.
std::string date_time_text(int year, int month, int day, int hour, int minute);

// The ISO 8601 forms themselves.
std::string iso_date_text(int year, int month, int day);
std::string iso_date_time_text(int year, int month, int day, int hour, int minute);

}  // namespace phondeck
