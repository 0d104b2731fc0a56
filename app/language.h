#pragma once
// The user-interface language: which texts fill the TextTable, the help page
// code, and the MultiByte setting and active code page that go with it.
#include <string>
#include <string_view>

namespace phondeck {

struct LanguageState {
  std::string locale_code;     // the user's locale id, four hex digits; set only by detection
  std::string code = "en";     // "en", "zh_tw", "zh_cn" or "fr"
  std::string name = "English";
  int number = 1;              // 1 English, 2 Traditional Chinese, 3 Simplified Chinese, 4 French
};

// The process-wide state.
LanguageState& language();

// Applies selection n (0 automatic detection, 1 English, 2 Traditional
// Chinese, 3 Simplified Chinese, 4 French; any other value acts as 1): fills
// the TextTable, sets the LanguageState, the configuration's MultiByte and the
// active code page. A library that cannot be found or read gives English.
void select_language(int selection);

// A language change at run time: stores the selection in the configuration,
// selects it and resets the six group names to the new language's defaults.
// The windows then apply their texts again.
void change_language(int selection);

// The user's locale id from LC_ALL, then LC_MESSAGES, then LANG (the first
// that is set and not empty), as four upper-case hex digits.
std::string user_locale_code();
// The locale id of a locale name such as "zh_TW.UTF-8" or "fr_CA@euro":
// "0409" for an unset, "C" or "POSIX" locale; "1000" (unspecified) for a
// locale without an id of its own.
std::string locale_code_for(std::string_view locale_name);
// The selection automatic detection makes for a locale id.
int selection_for_locale_code(std::string_view locale_code);

}  // namespace phondeck
