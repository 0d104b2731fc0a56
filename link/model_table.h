#pragma once
// What an IMEI tells about the handset: manufacturer, model, frequency band,
// the phone-book name length limit and the country of assembly.
#include <string>
#include <string_view>

#include "link/handset_info.h"

namespace phondeck {

struct ModelRow {
  const char* prefix;     // IMEI characters 1 and 2
  const char* key;        // IMEI characters 3 to 6
  const char* model;
  const char* frequency;
  int name_length_limit;
};

// The row whose prefix and key begin the IMEI, or nullptr.
const ModelRow* find_model_row(std::string_view imei);

// "Finland", "Germany", "Korea", "China" or "Unknown" from IMEI character 7
// (texts 3301..3304, 3300).
std::string assembled_in_text(std::string_view imei);

// Fills manufacturer, model, frequency, name length limit and assembled-in
// from info.imei. An unknown key leaves model and frequency as they were.
void identify_from_imei(HandsetInfo& info);

// Stores what the identification reply (message 0x64) carries: IMEI, type
// designation, hardware and firmware versions, then identify_from_imei.
void store_identification(HandsetInfo& info, const unsigned char* data, std::size_t length);

}  // namespace phondeck
