#include "language_check.h"

#include <algorithm>
#include <set>

#include "app/code_page.h"
#include "app/language_library.h"
#include "app/text_lines.h"
#include "app/text_table.h"
#include "ui/commands.h"

namespace phondeck::language_check {
namespace {

constexpr int kFirstInsertButton = 400;
constexpr int kLastInsertButton = 409;

char32_t lower(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // Latin-1 capitals
  return c;
}

std::string utf8(char32_t c) { return code_points_to_utf8(std::u32string(1, c)); }

// "%s" and "%d" in their order, and "%1", "%2", ... sorted.
struct Placeholders {
  std::vector<std::string> printf_style;
  std::vector<std::string> numbered;
  bool operator==(const Placeholders&) const = default;
};

Placeholders placeholders(std::string_view text) {
  Placeholders p;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '%') continue;
    const char next = text[i + 1];
    if (next == 's' || next == 'd') {
      p.printf_style.emplace_back(text.substr(i, 2));
    } else if (next >= '1' && next <= '9') {
      std::size_t end = i + 1;
      while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
      p.numbered.emplace_back(text.substr(i, end - i));
    }
  }
  std::sort(p.numbered.begin(), p.numbered.end());
  return p;
}

std::string listed(const Placeholders& p) {
  std::string out;
  for (const auto* group : {&p.printf_style, &p.numbered}) {
    for (const std::string& s : *group) out += (out.empty() ? "" : " ") + s;
  }
  return out.empty() ? "none" : out;
}

void collect(const TextTable& english, const std::string& name, const std::vector<MenuItem>& items,
             std::vector<Menu>& menus) {
  Menu menu{name, {}};
  for (const MenuItem& item : items) {
    if (item.is_separator()) continue;
    menu.items.push_back(item.text_id);
    if (!item.children.empty()) {
      const std::string title = window_title(english.get(item.text_id)) + " (" + std::to_string(item.text_id) + ")";
      collect(english, name == "the menu bar" ? "the menu " + title : name + " > " + title,
              item.children, menus);
    }
  }
  menus.push_back(std::move(menu));
}

bool valid_utf8(std::string_view text) {
  const std::string round = code_points_to_utf8(utf8_to_code_points(text));
  return round == text;
}

}  // namespace

Texts read_texts(std::string_view content, bool library) {
  Texts texts;
  int number = 0;
  bool marker_seen = !library;
  while (!content.empty()) {
    const std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content = end == std::string_view::npos ? std::string_view{} : content.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!marker_seen) {
      if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
      if (line != kLanguageLibraryMarker) texts.problems.push_back("line 1 is not the marker line");
      marker_seen = true;
      continue;
    }
    if (line.empty() || line.front() == '#') continue;
    const std::size_t tab = line.find('\t');
    const std::string_view id_text = line.substr(0, tab);
    const bool digits = !id_text.empty() && id_text.size() <= 4 &&
                        std::all_of(id_text.begin(), id_text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (tab == std::string_view::npos || !digits) {
      texts.problems.push_back("line " + std::to_string(number) + " is no text line");
      continue;
    }
    const int id = std::stoi(std::string(id_text));
    if (!texts.by_id.emplace(id, unescape_text(line.substr(tab + 1))).second)
      texts.problems.push_back("id " + std::to_string(id) + " appears twice");
  }
  return texts;
}

char32_t accelerator(std::string_view text) {
  const std::u32string points = utf8_to_code_points(text);
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    if (points[i] != U'&') continue;
    if (points[i + 1] == U'&') {
      ++i;
      continue;
    }
    if (points[i + 1] == U' ' || points[i + 1] == U'\t' || points[i + 1] == U'\n') continue;
    return lower(points[i + 1]);
  }
  return 0;
}

std::vector<Menu> program_menus() {
  TextTable english;
  english.load_english();
  std::vector<Menu> menus;
  collect(english, "the menu bar", main_menu(), menus);
  Menu popup{"the lists' pop-up menu", {}};
  for (const FKey& item : popup_menu()) popup.items.push_back(item.text_id);
  menus.push_back(std::move(popup));
  return menus;
}

std::vector<std::string> check_library(const std::string& name, std::string_view library,
                                       const Texts& english, const std::vector<Menu>& menus,
                                       bool insert_buttons) {
  std::vector<std::string> problems;
  const Texts texts = read_texts(library, true);
  for (const std::string& p : texts.problems) problems.push_back(name + ": " + p);
  auto report = [&](int id, const std::string& rule) {
    problems.push_back(name + " id " + std::to_string(id) + ": " + rule);
  };
  auto expected = [&](int id) {
    return english.by_id.count(id) > 0 ||
           (insert_buttons && id >= kFirstInsertButton && id <= kLastInsertButton);
  };
  for (const auto& [id, text] : english.by_id) {
    if (texts.by_id.count(id) == 0) report(id, "missing (English \"" + text + "\")");
  }
  if (insert_buttons) {
    for (int id = kFirstInsertButton; id <= kLastInsertButton; ++id) {
      if (texts.by_id.count(id) == 0) report(id, "missing (an insert button of the entry editor)");
    }
  }
  for (const auto& [id, text] : texts.by_id) {
    if (!expected(id)) {
      report(id, "not an id of the English table");
      continue;
    }
    if (text.empty()) {
      report(id, "empty");
      continue;
    }
    if (text.size() > TextTable::kMaxBytes)
      report(id, std::to_string(text.size()) + " bytes, more than " + std::to_string(TextTable::kMaxBytes));
    if (!valid_utf8(text)) report(id, "not valid UTF-8");
    const auto found = english.by_id.find(id);
    if (found == english.by_id.end()) continue;
    const Placeholders want = placeholders(found->second);
    const Placeholders have = placeholders(text);
    if (!(want == have)) report(id, "placeholders " + listed(have) + ", the English has " + listed(want));
    if (accelerator(found->second) != 0 && accelerator(text) == 0) report(id, "no & accelerator, the English has one");
  }
  for (const Menu& menu : menus) {
    std::map<char32_t, int> taken;
    for (int id : menu.items) {
      const auto text = texts.by_id.find(id);
      if (text == texts.by_id.end()) continue;
      const char32_t key = accelerator(text->second);
      if (key == 0) continue;
      const auto [at, fresh] = taken.emplace(key, id);
      if (!fresh)
        report(id, "accelerator '" + utf8(key) + "' is also id " + std::to_string(at->second) + "'s in " + menu.name);
    }
  }
  return problems;
}

}  // namespace phondeck::language_check
