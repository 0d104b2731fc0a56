#include "sim/models.h"

#include <array>
#include <cstdio>

namespace phondeck::sim {

namespace {

// Where a model has two keys, the first is the one the handset reports.
constexpr std::array<ModelInfo, 8> kModels{{
    {"6138", "495502", "1800", "NSG-1", "0501312", 16, true},
    {"6150", "493002", "900 & 1800", "NSM-1", "0501105", 20, true},
    {"6110", "490518", "900", "NSE-3", "0500820", 16, true},
    {"8810", "490525", "900", "NSE-6", "0500618", 16, true},
    {"5110", "490520", "900", "NSE-1", "0500502", 16, false},
    {"5130", "495503", "1800", "NSK-1", "0501403", 16, false},
    {"8850", "448901", "900 & 1800", "NSM-2", "0502201", 20, true},
    {"8210", "448902", "900 & 1800", "NSM-3", "0502106", 20, true},
}};

// Second keys under which the same models are made.
struct AlternateKey {
  const char* imei_start;
  const char* model;
};
constexpr std::array<AlternateKey, 2> kAlternates{{{"493006", "6150"}, {"490526", "6110"}}};

}  // namespace

std::span<const ModelInfo> all_models() { return kModels; }

const ModelInfo* find_model(std::string_view model) {
  for (const ModelInfo& info : kModels) {
    if (model == info.model) return &info;
  }
  return nullptr;
}

const ModelInfo* model_for_imei(std::string_view imei) {
  if (imei.size() < 6) return nullptr;
  const std::string_view start = imei.substr(0, 6);
  for (const ModelInfo& info : kModels) {
    if (start == info.imei_start) return &info;
  }
  for (const AlternateKey& alternate : kAlternates) {
    if (start == alternate.imei_start) return find_model(alternate.model);
  }
  return nullptr;
}

char luhn_check_digit(std::string_view digits) {
  int sum = 0;
  bool twice = true;  // the digit next to the check digit is doubled
  for (auto it = digits.rbegin(); it != digits.rend(); ++it, twice = !twice) {
    int d = *it - '0';
    if (twice) d = d * 2 > 9 ? d * 2 - 9 : d * 2;
    sum += d;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::string make_imei(const ModelInfo& model, char assembled, unsigned serial) {
  char tail[16];
  std::snprintf(tail, sizeof tail, "%c0%06u", assembled, serial % 1000000u);
  std::string imei = std::string(model.imei_start) + tail;
  imei += luhn_check_digit(imei);
  return imei;
}

}  // namespace phondeck::sim
