#pragma once
// The line form in which numbered texts are kept on disk: the decimal id, a
// TAB, the text (UTF-8). In the text, "\t", "\n", "\r" and "\\" stand for TAB,
// line feed, carriage return and backslash. Lines may end in CR LF or LF.
#include <functional>
#include <string>
#include <string_view>

namespace phondeck {

// Calls `sink` for every well-formed line in order. Empty lines, lines starting
// with "#", lines without a TAB and lines whose id is not a decimal number in
// 0 .. max_id are skipped. A last line without a line break counts.
void parse_text_lines(std::string_view content, int max_id,
                      const std::function<void(int id, std::string text)>& sink);

std::string escape_text(std::string_view text);
std::string unescape_text(std::string_view text);

}  // namespace phondeck
