#pragma once
// What the three information dialogs show: Hardware Information (eight
// handset texts), Network Information (battery and signal levels) and
// Operator Information (MCC and MNC, with an operator list for the
// Traditional Chinese interface). None of them talks to the handset.
#include <array>
#include <string>
#include <vector>

#include "link/handset_info.h"

namespace phondeck {

// Edit1..Edit8: IMEI, manufacturer, type designation, model, frequency,
// assembled in, hardware version, firmware version.
struct HardwareFields {
  static constexpr int kCount = 8;
  std::array<std::string, kCount> edit;
  // Row captions: texts 300..306 (the Model row has two fields).
  static std::array<int, 7> row_text_ids() { return {300, 301, 302, 303, 304, 305, 306}; }
};

// The Hardware command: with no IMEI (or "Unknown") every handset text
// becomes "Unknown" first; then the eight texts.
HardwareFields hardware_information(HandsetInfo& info);

struct NetworkFields {
  std::string battery;  // Edit1, row text 500
  std::string signal;   // Edit2, row text 501
};
NetworkFields network_information(const HandsetInfo& info);

struct OperatorLine {
  std::string text;  // UTF-8
  std::string mcc;   // empty: the line changes nothing
  std::string mnc;
};

class OperatorInformation {
 public:
  // The list is shown for the Traditional Chinese interface only.
  static bool shows_operator_list(const std::string& language_code);
  static const std::vector<OperatorLine>& operator_lines();

  // The handset's network details: both fields, first line selected.
  void network_details(int mcc, int mnc);
  // The user picked line i of the list.
  void select_line(int i);

  std::string mcc;  // Edit1
  std::string mnc;  // Edit2
  int selected = 0;
};

}  // namespace phondeck
