#include "app/text_table.h"

#include "app/english_texts.h"
#include "app/text_lines.h"

namespace phondeck {

namespace {

// The longest prefix of at most `limit` bytes that does not end inside a
// UTF-8 sequence.
std::string_view cut_utf8(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

}  // namespace

const std::string& TextTable::get(int id) const {
  static const std::string empty;
  if (id < 0 || id >= kCount) return empty;
  return texts_[static_cast<std::size_t>(id)];
}

void TextTable::set(int id, std::string_view text) {
  if (id < 0 || id >= kCount) return;
  texts_[static_cast<std::size_t>(id)] = std::string(cut_utf8(text, kMaxBytes));
}

void TextTable::clear() {
  for (auto& text : texts_) text.clear();
}

void TextTable::load_english() {
  clear();
  parse_text_lines(english_text_source(), kCount - 1,
                   [this](int id, std::string text) { set(id, text); });
}

TextTable& texts() {
  static TextTable table;
  return table;
}

std::string tx_with(int id, std::initializer_list<std::string> values) {
  std::string text = tx(id);
  int n = 1;
  for (const std::string& value : values) {
    const std::string mark = "%" + std::to_string(n++);
    if (const std::size_t at = text.find(mark); at != std::string::npos) text.replace(at, mark.size(), value);
  }
  return text;
}

std::string window_title(std::string_view caption) {
  const std::size_t paren = caption.find('(');
  if (paren != std::string_view::npos) caption = caption.substr(0, paren);
  std::string out;
  out.reserve(caption.size());
  for (char c : caption) {
    if (c != '&' && c != '.') out += c;
  }
  return out;
}

}  // namespace phondeck
