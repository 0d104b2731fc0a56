#include "ui/find_print.h"

#include <cstdint>
#include <locale>

#include "app/prompt.h"
#include "app/text_table.h"

namespace phondeck {
namespace {

constexpr int kTextNotFound = 3401;
constexpr int kTextColumnName = 191;
constexpr int kTextColumnUnicode = 192;
constexpr int kTextColumnPhone = 193;

const std::ctype<wchar_t>& wide_ctype() {
  static const std::locale locale = [] {
    try {
      return std::locale("");
    } catch (const std::exception&) {
      return std::locale::classic();
    }
  }();
  return std::use_facet<std::ctype<wchar_t>>(locale);
}

// Decodes one UTF-8 sequence at text[i]; a malformed byte stands for itself
// (and is left unchanged by the caller).
bool decode(std::string_view text, std::size_t& i, char32_t& cp, std::size_t& length) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  std::size_t need = 0;
  if (b0 < 0x80) {
    cp = b0;
    length = 1;
    return true;
  }
  if ((b0 & 0xE0) == 0xC0) {
    need = 1;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    need = 2;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    need = 3;
    cp = b0 & 0x07;
  } else {
    return false;
  }
  if (i + need >= text.size()) return false;
  for (std::size_t k = 1; k <= need; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (b & 0x3F);
  }
  length = need + 1;
  return true;
}

void encode(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool column_matches(const std::string& column, const std::string& wanted, const FindOptions& o) {
  const std::string text = o.match_case ? column : lower_text(column);
  return o.whole_word ? text == wanted : text.find(wanted) != std::string::npos;
}

}  // namespace

std::string lower_text(std::string_view text) {
  const auto& ctype = wide_ctype();
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t cp = 0;
    std::size_t length = 0;
    if (!decode(text, i, cp, length)) {
      out += text[i++];
      continue;
    }
    if (cp < 0x80) {
      cp = (cp >= 'A' && cp <= 'Z') ? cp + ('a' - 'A') : cp;
    } else if (cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF)) {
      cp = static_cast<char32_t>(ctype.tolower(static_cast<wchar_t>(cp)));
    }
    encode(cp, out);
    i += length;
  }
  return out;
}

std::optional<std::size_t> find_next(EntryView& view, const FindOptions& options, Prompt& prompt) {
  if (view.empty()) {
    prompt.message(tx(kTextNotFound));
    return std::nullopt;
  }
  const long long step = options.down ? 1 : -1;
  const long long last = static_cast<long long>(view.size()) - 1;
  long long index = options.down ? 0 : last;
  if (const auto selected = view.first_selected()) index = static_cast<long long>(*selected) + step;
  view.clear_selection();

  const std::string wanted = options.match_case ? options.text : lower_text(options.text);
  for (; index >= 0 && index <= last; index += step) {
    const PhoneBookEntry& entry = view.entry(static_cast<std::size_t>(index));
    for (int c = 0; c < kColumnCount; ++c) {
      if (column_matches(entry.column(static_cast<Column>(c)), wanted, options)) {
        view.select(static_cast<std::size_t>(index));
        return static_cast<std::size_t>(index);
      }
    }
  }
  prompt.message(tx(kTextNotFound));
  return std::nullopt;
}

std::vector<std::string> print_lines(const EntryView& view, const std::string& caption) {
  std::vector<std::string> lines;
  if (view.empty()) return lines;
  const auto selected = view.selected_rows();
  std::size_t first = 0;
  std::size_t count = view.size();
  if (!selected.empty()) {
    first = selected.front();
    count = selected.size();
  }
  auto trimmed_empty = [](const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
  };
  const std::string name_caption = window_title(tx(kTextColumnName));
  const std::string unicode_caption = window_title(tx(kTextColumnUnicode));
  const std::string phone_caption = window_title(tx(kTextColumnPhone));

  lines.push_back(caption);
  lines.emplace_back();
  for (std::size_t row = first; row < first + count && row < view.size(); ++row) {
    const PhoneBookEntry& entry = view.entry(row);
    if (!trimmed_empty(entry.Name)) lines.push_back(name_caption + ":  " + entry.Name);
    if (!trimmed_empty(entry.UNICODE)) lines.push_back(unicode_caption + ":  " + entry.UNICODE);
    lines.push_back(phone_caption + ": " + entry.Phone);
    lines.emplace_back();
  }
  return lines;
}

}  // namespace phondeck
