#include "link/information_dialogs.h"

#include "app/text_table.h"

namespace phondeck {
namespace {

constexpr int kTextUnknown = 3300;

}  // namespace

HardwareFields hardware_information(HandsetInfo& info) {
  const std::string& unknown = tx(kTextUnknown);
  if (info.imei.empty() || info.imei == unknown) {
    for (std::string* text : {&info.imei, &info.manufacturer, &info.type_designation, &info.model,
                              &info.frequency, &info.assembled_in, &info.hardware_version,
                              &info.firmware_version}) {
      *text = unknown;
    }
  }
  HardwareFields fields;
  fields.edit = {info.imei,      info.manufacturer, info.type_designation, info.model,
                 info.frequency, info.assembled_in, info.hardware_version, info.firmware_version};
  return fields;
}

NetworkFields network_information(const HandsetInfo& info) {
  return NetworkFields{std::to_string(info.battery), std::to_string(info.signal)};
}

bool OperatorInformation::shows_operator_list(const std::string& language_code) {
  return language_code == "zh_tw";
}

const std::vector<OperatorLine>& OperatorInformation::operator_lines() {
  static const std::vector<OperatorLine> lines{
      {"----------", "", ""},
      {"\u539f\u59cb\u8a2d\u5b9a 0 0", "0", "0"},
      {"\u9060\u50b3 466 01", "466", "01"},
      {"\u6771\u69ae 466 06", "466", "06"},
      {"\u548c\u4fe1 466 88", "466", "88"},
      {"\u4e2d\u83ef 466 92", "466", "92"},
      {"\u6771\u4fe1 466 93", "466", "93"},
      {"\u592a\u5e73\u6d0b 466 97", "466", "97"},
      {"\u6cdb\u4e9e 466 99", "466", "99"},
  };
  return lines;
}

void OperatorInformation::network_details(int mcc_value, int mnc_value) {
  mcc = std::to_string(mcc_value);
  mnc = std::to_string(mnc_value);
  selected = 0;
}

void OperatorInformation::select_line(int i) {
  const auto& lines = operator_lines();
  if (i < 0 || static_cast<std::size_t>(i) >= lines.size()) return;
  selected = i;
  const OperatorLine& line = lines[static_cast<std::size_t>(i)];
  if (line.mcc.empty()) return;
  mcc = line.mcc;
  mnc = line.mnc;
}

}  // namespace phondeck
