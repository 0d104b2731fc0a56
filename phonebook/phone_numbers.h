#pragma once
// Phone numbers as address books and new phones take them: the country of a
// network code (MCC) and of the user's locale, the international form
// (E.164) of a handset's number, and whether two forms are one number.
// Over libphonenumber, whose headers only phone_numbers.cpp includes.
#include <string>

namespace phondeck {

// ISO 3166-1 alpha-2 of a mobile country code (ITU-T E.212): "FI" for 244;
// "" for a code the table does not know.
std::string country_of_mcc(int mcc);

// The country of the user's locale, from the first of LC_ALL, LC_MESSAGES and
// LANG that is set ("fi_FI.UTF-8" -> "FI"); "" for none ("C", "POSIX", "en").
std::string country_of_locale();

// The number in international form (E.164, "+358401000002") read as dialled
// in the country (ISO 3166-1 alpha-2, any case). The number as it is for a
// short code or service code ("112", "*100#"), a number with a pause or wait
// ("p", "w"), one that is no valid number of the country, and for an empty or
// unknown country.
std::string international_number(const std::string& number, const std::string& country);

// True when the two are one number: the same text, or the same international
// form ("0401000002" and "+358401000002" in FI). Without a country a national
// form is read in the country of the other number's international form.
bool same_number(const std::string& a, const std::string& b, const std::string& country);

// True when the number is certainly a mobile number of the country (or of
// the country its international form names); false for fixed lines, numbers
// that may be either, short codes and whatever is not known.
bool mobile_number(const std::string& number, const std::string& country);

}  // namespace phondeck
