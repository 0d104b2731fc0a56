#include "organiser/sms_time.h"

#include <array>
#include <cstdio>

namespace phondeck {
namespace {

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

bool valid(const StampTime& t) {
  return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= days_in_month(t.year, t.month) && t.hour >= 0 &&
         t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

std::int64_t utc_ms_of(const StampTime& t) {
  const std::int64_t local = days_from_civil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
  return (local - static_cast<std::int64_t>(t.offset_minutes) * 60) * 1000;
}

// A byte's two semi-octets as a number, the low nibble the tens; -1 when
// either is no digit.
int semi_octets(std::uint8_t byte) {
  const int tens = byte & 0x0F;
  const int units = byte >> 4;
  return tens > 9 || units > 9 ? -1 : tens * 10 + units;
}

// Exactly `width` decimal digits from text[at].
int digits(std::string_view text, std::size_t at, std::size_t width) {
  int value = 0;
  for (std::size_t k = at; k < at + width; ++k) {
    if (text[k] < '0' || text[k] > '9') return -1;
    value = value * 10 + (text[k] - '0');
  }
  return value;
}

}  // namespace

std::int64_t days_from_civil(int year, int month, int day) {
  // Years from March, so that the leap day ends a year.
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t year_of_era = y - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

StampTime stamp_time_of(std::int64_t utc_ms, int offset_minutes) {
  const std::int64_t local_ms = utc_ms + static_cast<std::int64_t>(offset_minutes) * 60000;
  std::int64_t seconds = local_ms / 1000 - (local_ms % 1000 < 0 ? 1 : 0);
  std::int64_t days = seconds / 86400;
  std::int64_t of_day = seconds % 86400;
  if (of_day < 0) {
    of_day += 86400;
    --days;
  }
  // The civil date of a day count, the inverse of days_from_civil.
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t day_of_era = z - era * 146097;
  const std::int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t mp = (5 * day_of_year + 2) / 153;
  StampTime t;
  t.day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(year_of_era + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(of_day / 3600);
  t.minute = static_cast<int>(of_day / 60 % 60);
  t.second = static_cast<int>(of_day % 60);
  t.offset_minutes = offset_minutes;
  t.utc_ms = utc_ms;
  return t;
}

int day_of_week(const StampTime& t) {
  const std::int64_t days = days_from_civil(t.year, t.month, t.day);
  return static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
}

std::optional<StampTime> decode_time_stamp(std::span<const std::uint8_t> stamp) {
  if (stamp.size() < 7) return std::nullopt;
  std::array<int, 6> fields{};
  for (std::size_t k = 0; k < 6; ++k) {
    fields[k] = semi_octets(stamp[k]);
    if (fields[k] < 0) return std::nullopt;
  }
  const std::uint8_t zone = stamp[6];
  const int quarters = semi_octets(static_cast<std::uint8_t>(zone & 0xF7));
  if (quarters < 0) return std::nullopt;
  StampTime t;
  t.year = fields[0] < 80 ? 2000 + fields[0] : 1900 + fields[0];
  t.month = fields[1];
  t.day = fields[2];
  t.hour = fields[3];
  t.minute = fields[4];
  t.second = fields[5];
  t.offset_minutes = ((zone & 0x08) != 0 ? -15 : 15) * quarters;
  if (!valid(t)) return std::nullopt;
  t.utc_ms = utc_ms_of(t);
  return t;
}

std::string time_stamp_iso(std::span<const std::uint8_t> stamp) {
  const std::optional<StampTime> t = decode_time_stamp(stamp);
  return t ? stamp_iso(*t) : std::string();
}

std::optional<std::int64_t> time_stamp_utc_ms(std::span<const std::uint8_t> stamp) {
  const std::optional<StampTime> t = decode_time_stamp(stamp);
  if (!t) return std::nullopt;
  return t->utc_ms;
}

std::string stamp_iso(const StampTime& t) {
  const int offset = t.offset_minutes < 0 ? -t.offset_minutes : t.offset_minutes;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.offset_minutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

std::optional<StampTime> parse_stamp_iso(std::string_view iso) {
  // 2026-12-08T09:30:00+02:00
  if (iso.size() != 25 || iso[4] != '-' || iso[7] != '-' || iso[10] != 'T' || iso[13] != ':' || iso[16] != ':' ||
      (iso[19] != '+' && iso[19] != '-') || iso[22] != ':') {
    return std::nullopt;
  }
  StampTime t;
  t.year = digits(iso, 0, 4);
  t.month = digits(iso, 5, 2);
  t.day = digits(iso, 8, 2);
  t.hour = digits(iso, 11, 2);
  t.minute = digits(iso, 14, 2);
  t.second = digits(iso, 17, 2);
  const int hours = digits(iso, 20, 2);
  const int minutes = digits(iso, 23, 2);
  if (t.year < 0 || hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || !valid(t)) return std::nullopt;
  t.offset_minutes = (iso[19] == '-' ? -1 : 1) * (hours * 60 + minutes);
  t.utc_ms = utc_ms_of(t);
  return t;
}

}  // namespace phondeck
