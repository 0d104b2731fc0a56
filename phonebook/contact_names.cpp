#include "phonebook/contact_names.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

#include "app/code_page.h"
#include "app/sha256.h"

namespace phondeck {

namespace {

// Words that make a name no person's name: relations, titles, and the words
// of businesses and services (lower case; compared after lower_case).
constexpr std::string_view kNotPersonWords[] = {
    // relations
    "mum", "mom", "mam", "mama", "mamma", "mummy", "mommy", "mother", "dad", "daddy", "papa",
    "pappa", "father", "granny", "grandma", "grandmother", "grandpa", "grandad", "granddad",
    "grandfather", "nan", "nana", "nanna", "gran", "aunt", "auntie", "aunty", "uncle", "sister",
    "sis", "brother", "bro", "son", "daughter", "wife", "husband", "hubby", "cousin", "baby",
    "darling", "honey", "love", "boss", "neighbour", "neighbor",
    "\u00e4iti", "is\u00e4", "mummo", "mummi", "vaari", "ukki", "oma", "opa", "mutti", "vati",
    "mutter", "vater", "maman", "papi", "mamie", "papy", "m\u00e8re", "p\u00e8re", "mor", "far",
    "farmor", "farfar", "mormor", "morfar", "abuela", "abuelo", "t\u00eda", "t\u00edo", "nonna",
    "nonno", "zia", "zio",
    // titles and name suffixes
    "dr", "doctor", "mr", "mrs", "ms", "miss", "mx", "sir", "prof", "professor", "rev", "fr", "jr",
    "sr",
    // businesses and services
    "pizza", "pizzeria", "taxi", "taksi", "cab", "hut", "bar", "pub", "cafe", "caf\u00e9",
    "restaurant", "hotel", "bank", "pankki", "shop", "store", "service", "services", "garage",
    "salon", "club", "gym", "office", "home", "work", "koti", "company", "ltd", "inc", "oy", "ab",
    "gmbh", "ag", "co", "corp", "info", "help", "helpdesk", "support", "voicemail", "voice", "mail",
    "mailbox", "customer", "care", "police", "hospital", "clinic", "dentist", "vet", "school",
    "library", "church", "airport", "station", "emergency", "operator", "balance", "credit",
    "topup", "weather", "news", "traffic", "radio", "tv", "pharmacy", "apteekki", "insurance",
    "delivery", "kebab", "sushi", "rail", "bus", "train", "ferry", "airline", "mobile", "hotline",
};

// Particles that belong to the family name after them ("van der Berg").
constexpr std::string_view kParticles[] = {
    "van", "von", "der", "den", "de", "del", "della", "di", "da", "dos", "das",
    "du",  "la",  "le",  "ten", "ter", "zu", "af",   "bin", "ibn", "al", "el",
};

struct Marker {
  std::string_view word;
  std::string_view type;
};
// Marker words (lower case).
constexpr Marker kMarkers[] = {
    {"h", "HOME"},       {"w", "WORK"},       {"m", "CELL"},          {"home", "HOME"},
    {"work", "WORK"},    {"mobile", "CELL"},  {"mob", "CELL"},        {"cell", "CELL"},
    {"office", "WORK"},  {"gsm", "CELL"},     {"koti", "HOME"},       {"ty\u00f6", "WORK"},
    {"tyo", "WORK"},     {"k\u00e4nny", "CELL"}, {"kanny", "CELL"}, {"privat", "HOME"},
    {"b\u00fcro", "WORK"}, {"buero", "WORK"}, {"arbeit", "WORK"},   {"handy", "CELL"},
    {"mobil", "CELL"},
};

bool is_upper(char32_t c) {
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= 0xC0 && c <= 0xDE) return c != 0xD7;
  if (c >= 0x100 && c <= 0x17F) {
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1;
    if (c == 0x178) return true;
    if (c >= 0x130 && c <= 0x138) return c == 0x130 || c == 0x132 || c == 0x134 || c == 0x136;
    return c % 2 == 0;
  }
  return (c >= 0x391 && c <= 0x3A9) || (c >= 0x400 && c <= 0x42F);
}

bool is_lower(char32_t c) {
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 0xDF && c <= 0xFF) return c != 0xF7;
  if (c >= 0x100 && c <= 0x17F) return !is_upper(c);
  return (c >= 0x3AC && c <= 0x3CE) || (c >= 0x430 && c <= 0x45F);
}

// A letter: a cased one, or any character of another script (CJK, ...)
// outside the punctuation, symbol and control ranges.
bool is_letter(char32_t c) {
  if (is_upper(c) || is_lower(c)) return true;
  if (c < 0x100) return false;
  if (c >= 0x2000 && c <= 0x2BFF) return false;  // punctuation, symbols, arrows
  if (c >= 0x3000 && c <= 0x303F) return false;  // CJK punctuation
  if (c >= 0xFF00 && c <= 0xFF20) return false;  // full-width punctuation and digits
  return c != 0xFFFD;
}

char32_t lower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x100 && c <= 0x17F && is_upper(c) && c != 0x130 && c != 0x178) return c + 1;
  if (c >= 0x391 && c <= 0x3A9) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

std::string lower_case(std::string_view text) {
  std::u32string points = utf8_to_code_points(text);
  for (char32_t& c : points) c = lower(c);
  return code_points_to_utf8(points);
}

std::vector<std::string_view> words_of(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = text.find_first_not_of(' ', at);
    if (start == std::string_view::npos) break;
    const std::size_t end = std::min(text.find(' ', start), text.size());
    words.push_back(text.substr(start, end - start));
    at = end;
  }
  return words;
}

template <std::size_t N>
bool in(const std::string_view (&table)[N], std::string_view word) {
  return std::find(std::begin(table), std::end(table), word) != std::end(table);
}

enum class WordKind { NotName, Initial, Capitalised, Lower };

// What a word is: letters with "-" and "'" inside ("Anna-Liisa", "O'Brien"),
// or one capital and a "." ("J."); capitalised when its first letter is a
// capital and it is not all capitals.
WordKind kind_of(std::string_view word) {
  const std::u32string points = utf8_to_code_points(word);
  if (points.size() == 2 && is_upper(points[0]) && points[1] == '.') return WordKind::Initial;
  int letters = 0;
  int capitals = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const char32_t c = points[i];
    if (is_letter(c)) {
      ++letters;
      if (is_upper(c)) ++capitals;
      continue;
    }
    const bool inside = i > 0 && i + 1 < points.size() && is_letter(points[i - 1]) && is_letter(points[i + 1]);
    if ((c == '-' || c == '\'' || c == 0x2019) && inside) continue;
    return WordKind::NotName;
  }
  if (letters == 0) return WordKind::NotName;
  if (!is_upper(points[0])) return is_lower(points[0]) ? WordKind::Lower : WordKind::NotName;
  if (letters >= 2 && capitals == letters) return WordKind::NotName;  // "IBM", "BOB"
  return WordKind::Capitalised;
}

std::string joined(const std::vector<std::string_view>& words, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to; ++i) {
    if (!out.empty()) out.push_back(' ');
    out.append(words[i]);
  }
  return out;
}

std::string_view trimmed(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(' ') - start + 1);
}

std::string_view marker_type(std::string_view word) {
  const std::string key = lower_case(word);
  for (const Marker& m : kMarkers) {
    if (m.word == key) return m.type;
  }
  return {};
}

}  // namespace

// Chinese family names (traditional and simplified forms): the common
// single ones and the compound ones a three- or four-character name may
// begin with.
constexpr std::u32string_view kHanFamilyNames =
    U"王李張张劉刘陳陈楊杨黃黄趙赵吳吴周徐孫孙馬马朱胡郭何高林羅罗鄭郑梁謝谢宋唐許许韓韩馮冯鄧邓曹彭曾蕭萧田董袁潘"
    U"蔣蒋蔡余杜葉叶程蘇苏魏呂吕丁任沈姚盧卢姜崔鍾钟譚谭陸陆汪范金石廖賈贾夏韋韦方白鄒邹孟熊秦邱江尹薛閻阎段雷侯"
    U"龍龙史陶黎賀贺顧顾毛郝龔龚邵錢钱嚴严覃武戴莫孔向湯汤洪柯游詹賴赖翁施傅溫温康紀纪涂童連连簡简卓顏颜莊庄"
    U"巫阮凃";
constexpr std::u32string_view kHanCompoundFamilyNames[] = {U"歐陽", U"欧阳", U"司馬", U"司马", U"上官", U"諸葛",
                                                           U"诸葛", U"皇甫", U"尉遲", U"尉迟", U"公孫", U"公孙",
                                                           U"令狐", U"慕容", U"夏侯", U"長孫", U"长孙", U"司徒"};

bool han(char32_t c) { return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF); }

// "陳美玲": the family name first, then the given name, with no blank; a
// name that begins with no known family name ("媽媽", "公司") stays whole.
std::optional<PersonName> split_han_name(std::string_view text) {
  const std::u32string points = utf8_to_code_points(text);
  if (points.size() < 2 || points.size() > 4 || !std::all_of(points.begin(), points.end(), han)) return std::nullopt;
  std::size_t family = 0;
  if (points.size() >= 3 && std::find(std::begin(kHanCompoundFamilyNames), std::end(kHanCompoundFamilyNames),
                                      std::u32string_view(points).substr(0, 2)) != std::end(kHanCompoundFamilyNames)) {
    family = 2;
  } else if (points.size() <= 3 && kHanFamilyNames.find(points[0]) != std::u32string_view::npos) {
    family = 1;
  }
  if (family == 0) return std::nullopt;
  return PersonName{code_points_to_utf8(points.substr(family)), code_points_to_utf8(points.substr(0, family))};
}

PersonName split_person_name(std::string_view name) {
  const std::string_view text = trimmed(name);
  PersonName whole{std::string(text), {}};
  if (std::optional<PersonName> split = split_han_name(text)) return *split;
  // "Smith, Anna": the family name first, as some typed it to sort by it.
  if (const std::size_t comma = text.find(','); comma != std::string_view::npos) {
    const std::string_view family = trimmed(text.substr(0, comma));
    const std::string_view given = trimmed(text.substr(comma + 1));
    if (given.find(',') != std::string_view::npos) return whole;
    const std::string turned = std::string(given) + " " + std::string(family);
    const PersonName split = split_person_name(turned);
    if (split.family.empty() || split.family != family) return whole;
    return split;
  }
  const std::vector<std::string_view> words = words_of(text);
  if (words.size() < 2 || words.size() > 4) return whole;
  for (std::string_view word : words) {
    std::string key = lower_case(word);
    if (!key.empty() && key.back() == '.') key.pop_back();
    if (in(kNotPersonWords, key)) return whole;
  }
  const std::size_t last = words.size() - 1;
  std::size_t family_from = last;
  while (family_from > 1 && in(kParticles, lower_case(words[family_from - 1]))) --family_from;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const WordKind kind = kind_of(words[i]);
    if (kind == WordKind::Capitalised) continue;
    if (kind == WordKind::Initial && i < last) continue;
    if (kind == WordKind::Lower && i >= family_from && i < last) continue;  // a particle
    return whole;
  }
  if (utf8_to_code_points(words[last]).size() < 2) return whole;  // "Bob K"
  return PersonName{joined(words, 0, family_from), joined(words, family_from, words.size())};
}

std::optional<MarkedName> marked_name(std::string_view name) {
  const std::string_view text = trimmed(name);
  if (text.empty()) return std::nullopt;
  // "Bob (home)", "Bob [W]"
  if (text.back() == ')' || text.back() == ']') {
    const std::size_t open = text.rfind(text.back() == ')' ? '(' : '[');
    if (open == std::string_view::npos) return std::nullopt;
    const std::string_view base = trimmed(text.substr(0, open));
    const std::string_view type = marker_type(trimmed(text.substr(open + 1, text.size() - open - 2)));
    if (base.empty() || type.empty()) return std::nullopt;
    return MarkedName{std::string(base), std::string(type), false};
  }
  // "Bob H", "Bob/w", "Bob-mob", "Bob work"
  const std::size_t cut = text.find_last_of(" /-");
  if (cut == std::string_view::npos || cut == 0) return std::nullopt;
  const std::string_view word = text.substr(cut + 1);
  const std::string_view base = trimmed(text.substr(0, cut));
  const std::string_view type = marker_type(word);
  if (base.empty() || type.empty()) return std::nullopt;
  const bool letter = word.size() == 1;
  if (letter && text[cut] == ' ' && !(word[0] >= 'A' && word[0] <= 'Z')) return std::nullopt;
  if (!letter && text[cut] == '-' && kind_of(word) == WordKind::Capitalised) {
    return std::nullopt;  // "Anna-Home"? a double name more likely than a marker
  }
  return MarkedName{std::string(base), std::string(type), letter};
}

std::string uid_of(std::string_view key) {
  std::string hex = sha256_hex(key).substr(0, 32);
  hex[12] = '8';  // version 8: custom
  static constexpr char kVariant[] = "89ab";
  const int nibble = hex[16] >= 'a' ? hex[16] - 'a' + 10 : hex[16] - '0';
  hex[16] = kVariant[nibble & 3];
  return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" + hex.substr(16, 4) + "-" +
         hex.substr(20);
}

}  // namespace phondeck
