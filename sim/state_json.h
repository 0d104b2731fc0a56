// Reading the state file's fields. Whole-number fields take only JSON
// integers that fit their type: a fraction or an overflowing number is a
// fault of the file, refused with a reason instead of truncated.
#pragma once

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

namespace phondeck::sim {

template <class T>
T json_as(const nlohmann::json& v) {
  if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
    if (!v.is_number_integer()) throw std::invalid_argument("expected a whole number, got " + v.dump());
    bool fits;
    if (v.is_number_unsigned()) {
      fits = v.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    } else {
      const auto n = v.get<std::int64_t>();
      fits = n >= static_cast<std::int64_t>(std::numeric_limits<T>::min()) &&
             (n < 0 || static_cast<std::uint64_t>(n) <= static_cast<std::uint64_t>(std::numeric_limits<T>::max()));
    }
    if (!fits) throw std::out_of_range("number out of range: " + v.dump());
    return static_cast<T>(v.get<std::int64_t>());
  } else {
    return v.get<T>();
  }
}

// An array of whole numbers.
inline std::vector<int> json_ints(const nlohmann::json& v) {
  if (!v.is_array()) throw std::invalid_argument("expected an array of numbers, got " + v.dump());
  std::vector<int> out;
  for (const nlohmann::json& n : v) out.push_back(json_as<int>(n));
  return out;
}

// j[key] when present, else the default.
template <class T>
T json_field(const nlohmann::json& j, const char* key, T fallback) {
  const auto it = j.find(key);
  return it == j.end() ? fallback : json_as<T>(*it);
}

inline std::string json_field(const nlohmann::json& j, const char* key, const char* fallback) {
  return json_field<std::string>(j, key, fallback);
}

}  // namespace phondeck::sim
