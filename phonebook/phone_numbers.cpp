#include "phonebook/phone_numbers.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>
#include <phonenumbers/shortnumberinfo.h>

#include <algorithm>
#include <iterator>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace phondeck {

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;
using i18n::phonenumbers::ShortNumberInfo;

// Mobile country codes (ITU-T E.212) and their countries (ISO 3166-1
// alpha-2), by code. Shared codes name the main country (340: the French
// Antilles as GP; 362: the former Netherlands Antilles as CW).
constexpr std::pair<int, const char*> kMcc[] = {
    {202, "GR"}, {204, "NL"}, {206, "BE"}, {208, "FR"}, {212, "MC"}, {213, "AD"}, {214, "ES"},
    {216, "HU"}, {218, "BA"}, {219, "HR"}, {220, "RS"}, {221, "XK"}, {222, "IT"}, {225, "VA"},
    {226, "RO"}, {228, "CH"}, {230, "CZ"}, {231, "SK"}, {232, "AT"}, {234, "GB"}, {235, "GB"},
    {238, "DK"}, {240, "SE"}, {242, "NO"}, {244, "FI"}, {246, "LT"}, {247, "LV"}, {248, "EE"},
    {250, "RU"}, {255, "UA"}, {257, "BY"}, {259, "MD"}, {260, "PL"}, {262, "DE"}, {266, "GI"},
    {268, "PT"}, {270, "LU"}, {272, "IE"}, {274, "IS"}, {276, "AL"}, {278, "MT"}, {280, "CY"},
    {282, "GE"}, {283, "AM"}, {284, "BG"}, {286, "TR"}, {288, "FO"}, {290, "GL"}, {292, "SM"},
    {293, "SI"}, {294, "MK"}, {295, "LI"}, {297, "ME"},
    {302, "CA"}, {308, "PM"}, {310, "US"}, {311, "US"}, {312, "US"}, {313, "US"}, {314, "US"},
    {315, "US"}, {316, "US"}, {330, "PR"}, {332, "VI"}, {334, "MX"}, {338, "JM"}, {340, "GP"},
    {342, "BB"}, {344, "AG"}, {346, "KY"}, {348, "VG"}, {350, "BM"}, {352, "GD"}, {354, "MS"},
    {356, "KN"}, {358, "LC"}, {360, "VC"}, {362, "CW"}, {363, "AW"}, {364, "BS"}, {365, "AI"},
    {366, "DM"}, {368, "CU"}, {370, "DO"}, {372, "HT"}, {374, "TT"}, {376, "TC"},
    {400, "AZ"}, {401, "KZ"}, {402, "BT"}, {404, "IN"}, {405, "IN"}, {406, "IN"}, {410, "PK"},
    {412, "AF"}, {413, "LK"}, {414, "MM"}, {415, "LB"}, {416, "JO"}, {417, "SY"}, {418, "IQ"},
    {419, "KW"}, {420, "SA"}, {421, "YE"}, {422, "OM"}, {424, "AE"}, {425, "IL"}, {426, "BH"},
    {427, "QA"}, {428, "MN"}, {429, "NP"}, {430, "AE"}, {431, "AE"}, {432, "IR"}, {434, "UZ"},
    {436, "TJ"}, {437, "KG"}, {438, "TM"}, {440, "JP"}, {441, "JP"}, {450, "KR"}, {452, "VN"},
    {454, "HK"}, {455, "MO"}, {456, "KH"}, {457, "LA"}, {460, "CN"}, {461, "CN"}, {466, "TW"},
    {467, "KP"}, {470, "BD"}, {472, "MV"},
    {502, "MY"}, {505, "AU"}, {510, "ID"}, {514, "TL"}, {515, "PH"}, {520, "TH"}, {525, "SG"},
    {528, "BN"}, {530, "NZ"}, {536, "NR"}, {537, "PG"}, {539, "TO"}, {540, "SB"}, {541, "VU"},
    {542, "FJ"}, {543, "WF"}, {544, "AS"}, {545, "KI"}, {546, "NC"}, {547, "PF"}, {548, "CK"},
    {549, "WS"}, {550, "FM"}, {551, "MH"}, {552, "PW"}, {553, "TV"}, {555, "NU"},
    {602, "EG"}, {603, "DZ"}, {604, "MA"}, {605, "TN"}, {606, "LY"}, {607, "GM"}, {608, "SN"},
    {609, "MR"}, {610, "ML"}, {611, "GN"}, {612, "CI"}, {613, "BF"}, {614, "NE"}, {615, "TG"},
    {616, "BJ"}, {617, "MU"}, {618, "LR"}, {619, "SL"}, {620, "GH"}, {621, "NG"}, {622, "TD"},
    {623, "CF"}, {624, "CM"}, {625, "CV"}, {626, "ST"}, {627, "GQ"}, {628, "GA"}, {629, "CG"},
    {630, "CD"}, {631, "AO"}, {632, "GW"}, {633, "SC"}, {634, "SD"}, {635, "RW"}, {636, "ET"},
    {637, "SO"}, {638, "DJ"}, {639, "KE"}, {640, "TZ"}, {641, "UG"}, {642, "BI"}, {643, "MZ"},
    {645, "ZM"}, {646, "MG"}, {647, "RE"}, {648, "ZW"}, {649, "NA"}, {650, "MW"}, {651, "LS"},
    {652, "BW"}, {653, "SZ"}, {654, "KM"}, {655, "ZA"}, {657, "ER"}, {658, "SH"}, {659, "SS"},
    {702, "BZ"}, {704, "GT"}, {706, "SV"}, {708, "HN"}, {710, "NI"}, {712, "CR"}, {714, "PA"},
    {716, "PE"}, {722, "AR"}, {724, "BR"}, {730, "CL"}, {732, "CO"}, {734, "VE"}, {736, "BO"},
    {738, "GY"}, {740, "EC"}, {742, "GF"}, {744, "PY"}, {746, "SR"}, {748, "UY"}, {750, "FK"},
};

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// Only digits, with a "+" first: what libphonenumber may read. A "*", "#",
// pause or wait (or anything else) keeps the number as it is.
bool plain_digits(std::string_view number) {
  if (number.starts_with('+')) number.remove_prefix(1);
  return !number.empty() &&
         std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

PhoneNumberUtil& util() { return *PhoneNumberUtil::GetInstance(); }

// Reads its metadata once; its questions do not change it.
const ShortNumberInfo& short_numbers() {
  static const ShortNumberInfo info;
  return info;
}

// The region to read a national form in: the country, or without one the
// region of the other number's international form.
std::string region_for(const std::string& country, const std::string& other) {
  if (!country.empty()) return upper(country);
  PhoneNumber parsed;
  if (!other.starts_with('+') || util().Parse(other, "ZZ", &parsed) != PhoneNumberUtil::NO_PARSING_ERROR) {
    return {};
  }
  std::string region;
  util().GetRegionCodeForCountryCode(parsed.country_code(), &region);
  return region == "ZZ" ? std::string() : region;
}

// The number read in the region, when it is a valid (not short) number.
bool parse_valid(const std::string& number, const std::string& region, PhoneNumber& out) {
  if (!plain_digits(number)) return false;
  if (region.empty() && !number.starts_with('+')) return false;
  const std::string read_in = region.empty() ? std::string("ZZ") : region;
  if (util().Parse(number, read_in, &out) != PhoneNumberUtil::NO_PARSING_ERROR) return false;
  if (!util().IsValidNumber(out)) return false;
  // A code that dials a service of the region ("112", "118 118") stays short.
  if (!number.starts_with('+') && !region.empty()) {
    PhoneNumber as_short;
    if (util().Parse(number, region, &as_short) == PhoneNumberUtil::NO_PARSING_ERROR &&
        short_numbers().IsValidShortNumberForRegion(as_short, region) && number.size() <= 6) {
      return false;
    }
  }
  return true;
}

std::string e164(const PhoneNumber& number) {
  std::string out;
  util().Format(number, PhoneNumberUtil::E164, &out);
  return out;
}

}  // namespace

std::string country_of_mcc(int mcc) {
  const auto at = std::lower_bound(std::begin(kMcc), std::end(kMcc), mcc,
                                   [](const std::pair<int, const char*>& row, int code) { return row.first < code; });
  return at != std::end(kMcc) && at->first == mcc ? std::string(at->second) : std::string();
}

std::string country_of_locale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    // language[_TERRITORY][.codeset][@modifier]
    std::string_view locale(value);
    locale = locale.substr(0, locale.find_first_of(".@"));
    const std::size_t underscore = locale.find('_');
    if (underscore == std::string_view::npos) return {};
    const std::string_view territory = locale.substr(underscore + 1);
    if (territory.size() != 2 || !std::all_of(territory.begin(), territory.end(), [](char c) {
          return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        })) {
      return {};
    }
    return upper(territory);
  }
  return {};
}

std::string international_number(const std::string& number, const std::string& country) {
  if (country.empty()) return number;
  PhoneNumber parsed;
  if (!parse_valid(number, upper(country), parsed)) return number;
  return e164(parsed);
}

bool same_number(const std::string& a, const std::string& b, const std::string& country) {
  if (a == b) return true;
  PhoneNumber first;
  PhoneNumber second;
  if (!parse_valid(a, region_for(country, b), first) || !parse_valid(b, region_for(country, a), second)) {
    return false;
  }
  return e164(first) == e164(second);
}

bool mobile_number(const std::string& number, const std::string& country) {
  PhoneNumber parsed;
  if (!parse_valid(number, country.empty() ? std::string() : upper(country), parsed)) return false;
  return util().GetNumberType(parsed) == PhoneNumberUtil::MOBILE;
}

}  // namespace phondeck
