#include "phonebook/vcard_lines.h"

#include <cstddef>

namespace phondeck {

namespace {

constexpr std::size_t kFoldOctets = 75;

bool continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string vcard_escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case ',': out += "\\,"; break;
      case ';': out += "\\;"; break;
      case '\n': out += "\\n"; break;
      case '\r': break;
      default: out.push_back(c);
    }
  }
  return out;
}

void put_vcard_line(std::string& out, std::string_view line) {
  std::size_t room = kFoldOctets;
  while (line.size() > room) {
    std::size_t cut = room;
    while (cut > 1 && continuation_byte(line[cut])) --cut;
    out.append(line.substr(0, cut));
    out += "\r\n ";
    line.remove_prefix(cut);
    room = kFoldOctets - 1;  // after the leading blank
  }
  out.append(line);
  out += "\r\n";
}

}  // namespace phondeck
