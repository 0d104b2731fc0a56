#pragma once
// A Smart Messaging message as a short message carries it: 8-bit user data
// with a user-data header (the port header) in front.
#include <cstdint>
#include <vector>

namespace phondeck {

struct SmartSms {
  std::vector<std::uint8_t> user_data;
  std::uint8_t first_octet = 0x51;  // submit, relative validity, user-data header
  std::uint8_t data_coding = 0xF5;  // 8-bit data, class 1
};

}  // namespace phondeck
