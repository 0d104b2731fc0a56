#pragma once
// The program's own English texts, embedded at build time from
// resources/texts_en.txt (text-line form, see text_lines.h).
#include <string_view>

namespace phondeck {

std::string_view english_text_source();

}  // namespace phondeck
