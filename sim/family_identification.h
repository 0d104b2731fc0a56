#pragma once
// Identification (0x64), the version request (0xD1) and the service
// requests (0x40) for versions, codes, IMEI, SIM lock and MSID. The family
// keeps the handset's identity texts: the IMEI, type designation and
// versions at HandsetState's top level, the service-only texts here.
#include <string>

#include "sim/families.h"

namespace phondeck::sim {

struct ServiceTexts {
  std::string checksum = "8C3A";         // firmware checksum, four characters
  std::string dsp_version = "4.1";
  std::string ppm_version = "E";         // language pack
  std::string original_imei;             // empty: the same as the IMEI
  std::string manufacture_month = "07/99";
};

HandsetFamily identification_family();

// The version text: "V " firmware, date, type designation and "(c) NMP.",
// each but the last ended by a line feed.
std::string version_text(const std::string& firmware, const std::string& date, const std::string& type);

}  // namespace phondeck::sim
