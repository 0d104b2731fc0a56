#include "app/language.h"

#include <cctype>
#include <cstdlib>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/language_library.h"
#include "app/text_table.h"

namespace phondeck {

namespace {

struct LanguageRow {
  int number;
  const char* code;
  const char* name;
  const char* library;  // nullptr: the program's own texts
  int multi_byte;
  CodePage code_page;
};

constexpr LanguageRow kLanguages[] = {
    {1, "en", "English", nullptr, 0, CodePage::Windows1252},
    {2, "zh_tw", "Traditional Chinese", "l_zh_tw.dll", 1, CodePage::Big5},
    {3, "zh_cn", "Simplified Chinese", "l_zh_cn.dll", 1, CodePage::GBK},
    {4, "fr", "France", "l_fr.dll", 0, CodePage::Windows1252},
};

void apply_row(const LanguageRow& row) {
  LanguageState& state = language();
  state.number = row.number;
  state.name = row.name;
  state.code = row.code;
  config().MultiByte = row.multi_byte;
  set_active_code_page(row.code_page);
}

void select_english() {
  apply_row(kLanguages[0]);
  texts().load_english();
}

struct LocaleId {
  const char* name;  // language, or language_TERRITORY
  const char* id;
};

// Common locales and their ids. A language alone maps to its main territory.
constexpr LocaleId kLocaleIds[] = {
    {"en", "0409"},    {"en_US", "0409"}, {"en_GB", "0809"}, {"en_AU", "0C09"}, {"en_CA", "1009"},
    {"en_NZ", "1409"}, {"en_IE", "1809"}, {"en_ZA", "1C09"}, {"en_IN", "4009"}, {"en_SG", "4809"},
    {"zh", "0804"},    {"zh_TW", "0404"}, {"zh_CN", "0804"}, {"zh_HK", "0C04"}, {"zh_SG", "1004"},
    {"zh_MO", "1404"}, {"fr", "040C"},    {"fr_FR", "040C"}, {"fr_BE", "080C"}, {"fr_CA", "0C0C"},
    {"fr_CH", "100C"}, {"fr_LU", "140C"}, {"fr_MC", "180C"}, {"de", "0407"},    {"de_DE", "0407"},
    {"de_CH", "0807"}, {"de_AT", "0C07"}, {"de_LU", "1007"}, {"de_LI", "1407"}, {"it", "0410"},
    {"it_IT", "0410"}, {"it_CH", "0810"}, {"es", "0C0A"},    {"es_ES", "0C0A"}, {"es_MX", "080A"},
    {"es_AR", "2C0A"}, {"pt", "0816"},    {"pt_PT", "0816"}, {"pt_BR", "0416"}, {"nl", "0413"},
    {"nl_NL", "0413"}, {"nl_BE", "0813"}, {"ja", "0411"},    {"ja_JP", "0411"}, {"ko", "0412"},
    {"ko_KR", "0412"}, {"ru", "0419"},    {"ru_RU", "0419"}, {"pl", "0415"},    {"pl_PL", "0415"},
    {"sv", "041D"},    {"sv_SE", "041D"}, {"sv_FI", "081D"}, {"fi", "040B"},    {"fi_FI", "040B"},
    {"da", "0406"},    {"da_DK", "0406"}, {"nb", "0414"},    {"nb_NO", "0414"}, {"nn_NO", "0814"},
    {"cs", "0405"},    {"cs_CZ", "0405"}, {"hu", "040E"},    {"hu_HU", "040E"}, {"el", "0408"},
    {"el_GR", "0408"}, {"tr", "041F"},    {"tr_TR", "041F"}, {"he", "040D"},    {"he_IL", "040D"},
    {"ar", "0401"},    {"ar_SA", "0401"}, {"th", "041E"},    {"th_TH", "041E"}, {"vi", "042A"},
    {"vi_VN", "042A"}, {"id", "0421"},    {"id_ID", "0421"}, {"uk", "0422"},    {"uk_UA", "0422"},
    {"ro", "0418"},    {"ro_RO", "0418"}, {"bg", "0402"},    {"bg_BG", "0402"}, {"hr", "041A"},
    {"hr_HR", "041A"}, {"sk", "041B"},    {"sk_SK", "041B"}, {"ca", "0403"},    {"ca_ES", "0403"},
};

}  // namespace

LanguageState& language() {
  static LanguageState state;
  return state;
}

std::string locale_code_for(std::string_view locale_name) {
  // language[_TERRITORY][.codeset][@modifier]
  std::string_view base = locale_name.substr(0, locale_name.find_first_of(".@"));
  if (base.empty() || base == "C" || base == "POSIX") return "0409";
  const std::size_t underscore = base.find('_');
  std::string key;
  for (char c : base.substr(0, underscore))
    key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (underscore != std::string_view::npos) {
    key += '_';
    for (char c : base.substr(underscore + 1))
      key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  for (const LocaleId& entry : kLocaleIds) {
    if (key == entry.name) return entry.id;
  }
  return "1000";
}

std::string user_locale_code() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return locale_code_for(value);
  }
  return locale_code_for("");
}

int selection_for_locale_code(std::string_view locale_code) {
  if (locale_code == "0404") return 2;
  if (locale_code == "0804") return 3;
  std::string lower;
  for (char c : locale_code) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "040c") return 4;
  return 1;
}

void select_language(int selection) {
  if (selection == 0) {
    language().locale_code = user_locale_code();
    selection = selection_for_locale_code(language().locale_code);
  }
  if (selection < 2 || selection > 4) {
    select_english();
    return;
  }
  const LanguageRow& row = kLanguages[selection - 1];
  apply_row(row);
  const auto path = find_language_library(row.library);
  if (!path || !load_language_library(*path, texts())) select_english();
}

void change_language(int selection) {
  config().Language = selection;
  select_language(selection);
  reset_group_names(config());
}

}  // namespace phondeck
