#pragma once
// The process-wide settings record, kept in tv.dat.
#include <array>
#include <string>

namespace phondeck {

struct Configuration {
  int UIMode = 0;
  int Width = 630;
  int Height = 440;
  int FontSize = 8;
  std::string FontName = "MS Sans Serif";
  int Port = 1;
  int Type = 1;           // 0 infrared, 1 cable
  int CableOption = 0;    // synchronisation burst setting 0..6; never stored
  int AutoReconnect = 0;
  int Language = 0;
  int MultiByte = 0;
  std::array<std::string, 6> GroupName{};
  std::array<int, 8> ColumnWidth{50, 60, 80, 45, 40, 40, 40, 110};  // Width0..Width7
  int Method = 1;
  std::array<std::string, 6> SMSCNumber{};                          // SMSC0..SMSC5
  int SMSC = 0;
  int TimeStart = 8;
  int TimeEnd = 20;
  int DelConfirm = 1;
  int WriteConfirm = 1;
  int BasicLevel = 0;
  int ShowComError = 0;
  std::string Device;     // serial device path; "virtual" for the built-in handset
};

// The process-wide record.
Configuration& config();

}  // namespace phondeck
