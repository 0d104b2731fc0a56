#include "link/model_table.h"

#include <array>

#include "app/text_table.h"

namespace phondeck {
namespace {

constexpr std::array<ModelRow, 10> kModels{{
    {"49", "5502", "6138", "1800", 16},
    {"49", "3002", "6150", "900 & 1800", 20},
    {"49", "3006", "6150", "900 & 1800", 20},
    {"49", "0518", "6110", "900", 16},
    {"49", "0526", "6110", "900", 16},
    {"49", "0525", "8810", "900", 16},
    {"49", "0520", "5110", "900", 16},
    {"49", "5503", "5130", "1800", 16},
    {"44", "8901", "8850", "900 & 1800", 20},
    {"44", "8902", "8210", "900 & 1800", 20},
}};

constexpr int kTextUnknown = 3300;
constexpr int kTextFinland = 3301;
constexpr int kTextGermany = 3302;
constexpr int kTextKorea = 3303;
constexpr int kTextChina = 3304;

// Characters [first, first + count) of the reply's data, up to a NUL, with
// trailing blanks removed.
std::string field(const unsigned char* data, std::size_t length, std::size_t first, std::size_t count) {
  std::string text;
  for (std::size_t i = first; i < first + count && i < length; ++i) {
    if (data[i] == 0) break;
    text.push_back(static_cast<char>(data[i]));
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

const ModelRow* find_model_row(std::string_view imei) {
  if (imei.size() < 6) return nullptr;
  for (const ModelRow& row : kModels) {
    if (imei.substr(0, 2) == row.prefix && imei.substr(2, 4) == row.key) return &row;
  }
  return nullptr;
}

std::string assembled_in_text(std::string_view imei) {
  const char c = imei.size() >= 7 ? imei[6] : '\0';
  switch (c) {
    case '1': return tx(kTextFinland);
    case '2': return tx(kTextGermany);
    case '3': return tx(kTextKorea);
    case '4':
    case '5':
    case '6': return tx(kTextChina);
    default: return tx(kTextUnknown);
  }
}

void identify_from_imei(HandsetInfo& info) {
  const std::string_view imei = info.imei;
  const bool nokia49 = imei.substr(0, 2) == "49";
  const bool nokia44 = imei.substr(0, 2) == "44";
  if (nokia49 || nokia44) {
    info.manufacturer = "Nokia";
    info.name_length_limit = nokia44 ? 20 : 16;
    if (const ModelRow* row = find_model_row(imei)) {
      info.model = row->model;
      info.frequency = row->frequency;
      info.name_length_limit = row->name_length_limit;
    }
  } else {
    info.name_length_limit = 16;
  }
  info.assembled_in = assembled_in_text(imei);
}

void store_identification(HandsetInfo& info, const unsigned char* data, std::size_t length) {
  info.imei = field(data, length, 9, 15);
  info.type_designation = field(data, length, 25, 5);
  info.hardware_version = field(data, length, 39, 4);
  info.firmware_version = field(data, length, 44, 5);
  identify_from_imei(info);
}

}  // namespace phondeck
