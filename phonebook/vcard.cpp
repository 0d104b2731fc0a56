#include "phonebook/vcard.h"

#include <cstddef>
#include <cstdint>

#include "app/code_page.h"
#include "phonebook/contact_names.h"
#include "phonebook/phone_numbers.h"
#include "phonebook/vcard_lines.h"

namespace phondeck {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// -- Writing.

std::string escape(std::string_view text) { return vcard_escape(text); }
void put_line(std::string& out, std::string_view line) { put_vcard_line(out, line); }

std::string hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (std::uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

// -- Reading.

std::vector<std::string_view> physical_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool starts_with_ci(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && ascii_lower(text.substr(0, prefix.size())) == ascii_lower(prefix);
}

// The position of the first `c` outside double quotes, or npos.
std::size_t find_unquoted(std::string_view text, char c, std::size_t from = 0) {
  bool quoted = false;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == c && !quoted) return i;
  }
  return std::string_view::npos;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Hex digits as bytes; nothing for text that is not whole pairs of them.
std::vector<std::uint8_t> unhex(std::string_view text) {
  std::vector<std::uint8_t> out;
  if (text.size() % 2 != 0) return out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = hex_value(text[i]);
    const int low = hex_value(text[i + 1]);
    if (high < 0 || low < 0) return {};
    out.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return out;
}

std::string quoted_printable(std::string_view in) {
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '=' && i + 2 < in.size() && hex_value(in[i + 1]) >= 0 && hex_value(in[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hex_value(in[i + 1]) * 16 + hex_value(in[i + 2])));
      i += 2;
    } else {
      out.push_back(in[i]);
    }
  }
  return out;
}

// The components of a value split at unescaped ";", each unescaped.
std::vector<std::string> components(std::string_view value) {
  std::vector<std::string> out(1);
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ';') {
      out.emplace_back();
    } else if (c == '\\' && i + 1 < value.size()) {
      const char next = value[++i];
      if (next == 'n' || next == 'N') {
        out.back().push_back('\n');
      } else if (next == '\\' || next == ',' || next == ';') {
        out.back().push_back(next);
      } else {
        out.back().push_back('\\');
        out.back().push_back(next);
      }
    } else {
      out.back().push_back(c);
    }
  }
  return out;
}

std::string unescape(std::string_view value) {
  std::string out;
  const std::vector<std::string> parts = components(value);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out.push_back(';');
    out += parts[i];
  }
  return out;
}

// N: prefix, given, middle, family and suffix names, joined by blanks.
std::string name_from_n(std::string_view value) {
  const std::vector<std::string> n = components(value);
  std::string out;
  for (std::size_t k : {3, 1, 2, 0, 4}) {
    if (k >= n.size()) continue;
    const std::string part = clean_field(n[k]);
    if (part.empty()) continue;
    if (!out.empty()) out.push_back(' ');
    out += part;
  }
  return out;
}

bool code_page_holds(const std::string& text) { return from_code_page(to_code_page(text)) == text; }

class CardReader {
 public:
  void line(std::string_view logical);
  void finish() {
    if (depth_ > 0) close_card();
  }
  bool version3() const { return version3_; }
  std::vector<ContactRecord> take() { return std::move(records_); }

 private:
  struct Card {
    ContactRecord record;
    std::string formatted;  // FN
    std::string structured; // from N
    std::string plain;      // X-PHONDECK-NAME
    bool has_plain = false;
    bool plain_empty = false;  // X-PHONDECK-NAME;X-PHONDECK-EMPTY=TRUE: Name is empty
    bool own = false;       // has X-PHONDECK- properties
    std::string number;     // X-PHONDECK-NUMBER: the number as the handset held it
    bool has_number = false;
  };
  void close_card();

  std::vector<ContactRecord> records_;
  Card card_;
  int depth_ = 0;
  bool version3_ = false;
};

void CardReader::line(std::string_view logical) {
  const std::size_t colon = find_unquoted(logical, ':');
  if (colon == std::string_view::npos) return;
  const std::string_view head = logical.substr(0, colon);
  const std::string_view raw = logical.substr(colon + 1);

  // name[;param]... with an optional "group." before the name.
  std::size_t end = find_unquoted(head, ';');
  std::string name = ascii_lower(head.substr(0, end));
  if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(0, dot + 1);
  std::string encoding;
  std::string charset;
  bool empty_mark = false;
  while (end != std::string_view::npos) {
    const std::size_t next = find_unquoted(head, ';', end + 1);
    const std::string_view param = head.substr(end + 1, next == std::string_view::npos ? std::string_view::npos : next - end - 1);
    end = next;
    const std::size_t equals = param.find('=');
    std::string key = ascii_lower(param.substr(0, equals));
    std::string_view value = equals == std::string_view::npos ? param : param.substr(equals + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (equals == std::string_view::npos) {
      // vCard 2.1 names some parameters by their value alone.
      const std::string bare = ascii_lower(value);
      if (bare == "quoted-printable" || bare == "base64" || bare == "8bit" || bare == "7bit") {
        encoding = bare;
      }
    } else if (key == "encoding") {
      encoding = ascii_lower(value);
    } else if (key == "charset") {
      charset = std::string(value);
    } else if (key == "x-phondeck-empty") {
      empty_mark = ascii_lower(value) == "true";
    }
  }

  if (name == "begin") {
    if (ascii_lower(clean_field(raw)) != "vcard") return;
    if (depth_++ == 0) {
      card_ = Card{};
      version3_ = false;
    }
    return;
  }
  if (name == "end") {
    if (ascii_lower(clean_field(raw)) != "vcard" || depth_ == 0) return;
    if (depth_ == 1) close_card();
    depth_ = depth_ > 0 ? depth_ - 1 : 0;
    return;
  }
  if (depth_ != 1) return;  // outside any card, or inside an embedded one
  if (encoding == "base64" || encoding == "b") return;  // pictures, sounds, keys

  const std::string bytes = encoding == "quoted-printable" ? quoted_printable(raw) : std::string(raw);
  const std::string value = charset.empty() ? file_text_to_utf8(bytes) : charset_to_utf8(bytes, charset);
  if (name == "version") {
    version3_ = !value.empty() && value[0] != '2' && value[0] != '1';
  } else if (name == "fn") {
    card_.formatted = clean_field(unescape(value));
  } else if (name == "n") {
    card_.structured = name_from_n(value);
  } else if (name == "tel") {
    std::string number = unescape(value);
    if (starts_with_ci(number, "tel:")) number.erase(0, 4);
    card_.record.numbers.push_back(std::move(number));
  } else if (name.starts_with("x-phondeck-")) {
    card_.own = true;
    const std::string_view what = std::string_view(name).substr(11);
    std::string text = unescape(value);
    if (what == "name") {
      card_.plain = std::move(text);
      card_.has_plain = true;
      card_.plain_empty = empty_mark;
    } else if (what == "name-bytes") {
      card_.record.handset_name = unhex(clean_field(text));
    } else if (what == "memory") {
      card_.record.Type = std::move(text);
    } else if (what == "position") {
      card_.record.Pos = std::move(text);
    } else if (what == "group") {
      card_.record.Group = std::move(text);
    } else if (what == "writeas") {
      card_.record.WriteAs = std::move(text);
    } else if (what == "number") {
      card_.number = std::move(text);
      card_.has_number = true;
    }
  }
}

void CardReader::close_card() {
  ContactRecord record = std::move(card_.record);
  // The handset's own form of the first TEL (which an export gave in
  // international form).
  if (card_.has_number) {
    if (record.numbers.empty()) {
      record.numbers.push_back(std::move(card_.number));
    } else {
      record.numbers.front() = std::move(card_.number);
    }
  }
  const std::string name = card_.formatted.empty() ? card_.structured : card_.formatted;
  if (card_.has_plain) {
    if (!clean_field(card_.plain).empty()) {
      record.Name = card_.plain;
    } else if (!card_.plain_empty) {
      record.Name = name;  // an empty value names nothing: the name FN gives
    }
    record.UNICODE = name;
  } else if (card_.own || code_page_holds(name)) {
    record.Name = name;
  } else {
    record.UNICODE = name;
  }
  records_.push_back(std::move(record));
  card_ = Card{};
}

bool quoted_printable_head(std::string_view logical) {
  const std::size_t colon = find_unquoted(logical, ':');
  return colon != std::string_view::npos &&
         ascii_lower(logical.substr(0, colon)).find("quoted-printable") != std::string::npos;
}

}  // namespace

std::string write_vcards(const std::vector<PhoneBookEntry>& entries, const ContactExportOptions& options) {
  // The contacts the entries make, unmerged: one entry's N and TEL type are
  // those of its contact (a marker counts beside the others of its name).
  ContactExportOptions unmerged = options;
  unmerged.merge_marked = false;
  const ContactPlan plan = plan_contacts(entries, unmerged);
  std::vector<const ExportContact*> contact_of(entries.size(), nullptr);
  for (const ExportContact& c : plan.contacts) {
    for (std::size_t i : c.entries) contact_of[i] = &c;
  }
  std::string out;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const PhoneBookEntry& e = entries[i];
    const ExportContact* contact = contact_of[i];
    const std::string& shown = e.UNICODE.empty() ? e.Name : e.UNICODE;
    put_line(out, "BEGIN:VCARD");
    put_line(out, "VERSION:3.0");
    put_line(out, "UID:" + escape(entry_uid(e, options.uid_seed)));
    put_line(out, "FN:" + escape(shown));
    const PersonName person =
        contact != nullptr ? PersonName{contact->given, contact->family} : split_person_name(shown);
    put_line(out, "N:" + escape(person.family) + ";" + escape(person.given) + ";;;");
    if (!e.Phone.empty()) {
      const std::string number = international_number(e.Phone, options.country);
      const std::string type = contact != nullptr && !contact->numbers.empty()
                                   ? contact->numbers.front().type
                                   : number_type(e.Phone, options.country, std::string());
      put_line(out, "TEL" + (type.empty() ? std::string() : ";TYPE=" + type) + ":" + escape(number));
      if (number != e.Phone) put_line(out, "X-PHONDECK-NUMBER:" + escape(e.Phone));
    }
    if (const std::string category = entry_category(e, options.group_names); !category.empty()) {
      put_line(out, "CATEGORIES:" + escape(category));
    }
    if (!e.UNICODE.empty()) {
      // An empty Name is said to be one: an empty value alone takes FN.
      put_line(out, (e.Name.empty() ? "X-PHONDECK-NAME;X-PHONDECK-EMPTY=TRUE:" : "X-PHONDECK-NAME:") +
                        escape(e.Name));
    }
    if (const auto* bytes = e.unchanged_handset_name(); bytes != nullptr && !bytes->empty()) {
      put_line(out, "X-PHONDECK-NAME-BYTES:" + hex(*bytes));
    }
    put_line(out, "X-PHONDECK-MEMORY:" + escape(e.Type));
    put_line(out, "X-PHONDECK-POSITION:" + escape(e.Pos));
    put_line(out, "X-PHONDECK-GROUP:" + escape(e.Group));
    put_line(out, "X-PHONDECK-WRITEAS:" + escape(e.WriteAs));
    put_line(out, "END:VCARD");
  }
  return out;
}

std::vector<ContactRecord> read_vcards(std::string_view text) {
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  const std::vector<std::string_view> lines = physical_lines(text);
  CardReader reader;
  std::string logical;
  bool have = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (have && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
      // Folded: 3.0 drops the blank that starts the continuation, 2.1 keeps it.
      logical.append(reader.version3() ? line.substr(1) : line);
      continue;
    }
    if (have) reader.line(logical);
    logical.assign(line);
    have = true;
    // Quoted-printable soft line breaks: "=" at the end joins the next line.
    if (quoted_printable_head(logical)) {
      while (!logical.empty() && logical.back() == '=' && i + 1 < lines.size()) {
        logical.pop_back();
        logical.append(lines[++i]);
      }
    }
  }
  if (have) reader.line(logical);
  reader.finish();
  return reader.take();
}

bool looks_like_vcard(std::string_view text) {
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  const std::size_t start = text.find_first_not_of(" \t\r\n");
  return start != std::string_view::npos && starts_with_ci(text.substr(start), "begin:vcard");
}

}  // namespace phondeck
