#pragma once
// The service-centre time stamp as an instant: seven semi-octet bytes (year,
// month, day, hour, minute, second, zone), each byte's low nibble the first
// digit. The zone byte counts quarter hours from UTC, its first digit's bit 3
// the sign (set: west of UTC). Two-digit years 00..79 are 2000..2079 and
// 80..99 are 1980..1999; a zone byte of 0 is UTC itself.
//
// The ISO 8601 text ("2026-12-08T09:30:00+02:00") is how a message's time
// leaves the program and comes back (JSON, the exports).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace phondeck {

// A stamp's local time with its zone, and the instant it names.
struct StampTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int offset_minutes = 0;  // local time minus UTC
  std::int64_t utc_ms = 0;  // milliseconds since 1970-01-01T00:00:00Z
};

// The stamp's time; nothing for fewer than 7 bytes, a nibble above 9, or a
// date or time out of range (month 13, 31 April, hour 24, second 60).
std::optional<StampTime> decode_time_stamp(std::span<const std::uint8_t> stamp);
// "2026-12-08T09:30:00+02:00"; "" when the stamp gives no time.
std::string time_stamp_iso(std::span<const std::uint8_t> stamp);
// The instant in UTC milliseconds; nothing when the stamp gives no time.
std::optional<std::int64_t> time_stamp_utc_ms(std::span<const std::uint8_t> stamp);

// A time as ISO 8601 with its offset: "YYYY-MM-DDThh:mm:ss+hh:mm" (UTC is
// "+00:00").
std::string stamp_iso(const StampTime& time);
// The text stamp_iso writes, read back exactly ("-00:00" reads as UTC):
// nothing for anything else (another form, a date out of range, an offset of
// 24 hours or more). utc_ms is computed from the fields.
std::optional<StampTime> parse_stamp_iso(std::string_view iso);

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t days_from_civil(int year, int month, int day);
// The instant as the local time of a zone `offset_minutes` from UTC.
StampTime stamp_time_of(std::int64_t utc_ms, int offset_minutes = 0);
// 0 Sunday .. 6 Saturday.
int day_of_week(const StampTime& time);

}  // namespace phondeck
