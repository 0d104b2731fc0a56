#include "app/text_lines.h"

namespace phondeck {

namespace {

// A decimal id of at most four digits, or -1.
int parse_id(std::string_view field, int max_id) {
  if (field.empty() || field.size() > 4) return -1;
  int value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value <= max_id ? value : -1;
}

}  // namespace

std::string escape_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::string unescape_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    switch (text[i + 1]) {
      case 't': out += '\t'; ++i; break;
      case 'n': out += '\n'; ++i; break;
      case 'r': out += '\r'; ++i; break;
      case '\\': out += '\\'; ++i; break;
      default: out += c;  // an unknown escape stays as written
    }
  }
  return out;
}

void parse_text_lines(std::string_view content, int max_id,
                      const std::function<void(int id, std::string text)>& sink) {
  std::size_t pos = 0;
  while (pos < content.size()) {
    std::size_t end = content.find('\n', pos);
    const std::size_t next = end == std::string_view::npos ? content.size() : end + 1;
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(pos, end - pos);
    pos = next;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    const int id = parse_id(line.substr(0, tab), max_id);
    if (id < 0) continue;
    sink(id, unescape_text(line.substr(tab + 1)));
  }
}

}  // namespace phondeck
