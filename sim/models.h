#pragma once
// The handset models the virtual handset can be: each is identified by the
// first six characters of its IMEI (manufacturer prefix and model key).
#include <span>
#include <string>
#include <string_view>

namespace phondeck::sim {

struct ModelInfo {
  const char* model;              // "6110"
  const char* imei_start;         // first six IMEI characters, "490518"
  const char* frequency;          // "900", "1800", "900 & 1800"
  const char* type_designation;   // five characters
  const char* product_code;       // seven digits, as on the label
  int name_limit;                 // phone-book name bytes, 16 or 20
  bool phone_memory;              // models beginning with "5" have none
};

std::span<const ModelInfo> all_models();
// nullptr when no model has that name.
const ModelInfo* find_model(std::string_view model);
// The model whose IMEI start (prefix and key) begins the IMEI, or nullptr.
const ModelInfo* model_for_imei(std::string_view imei);
// A 15-digit IMEI for the model: its six characters, the assembly digit
// (1 Finland, 2 Germany, 3 Korea, 4..6 China) and a 0, a six-digit serial
// number, and the Luhn check digit over the fourteen before it.
std::string make_imei(const ModelInfo& model, char assembled, unsigned serial);
// The Luhn check digit for a string of decimal digits.
char luhn_check_digit(std::string_view digits);

}  // namespace phondeck::sim
