#include "phonebook/contact_record.h"

#include "app/code_page.h"
#include "app/conversion.h"
#include "phonebook/text_codec.h"
#include "phonebook/value_tables.h"

namespace phondeck {

namespace {

bool is_separator(char c) {
  return c == ' ' || c == '\t' || c == '-' || c == '.' || c == '(' || c == ')' || c == '/';
}

bool storable(char c, bool first) {
  return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == 'p' || c == 'w' ||
         (c == '+' && first);
}

// The table's own text for a text that matches one of its texts in any case.
template <typename TextOf>
std::string table_text(const std::string& text, int count, TextOf text_of,
                       const std::string& fallback) {
  if (text.empty()) return fallback;
  const std::string lower = ascii_lower(text);
  for (int i = 0; i < count; ++i) {
    std::string candidate = text_of(i);
    if (ascii_lower(candidate) == lower) return candidate;
  }
  return text;
}

std::string position_or_empty(const std::string& pos) {
  const auto value = try_decimal_to_int(clean_field(pos));
  return value && *value >= 1 ? std::to_string(*value) : std::string();
}

// The name bytes a file kept beside the entry's texts, when they still are
// that name: the shown name (UNICODE where present), Name where the bytes
// hold one, and the write-as are those the bytes decode to. The entry then
// takes the texts the bytes read as.
void keep_handset_name(const std::vector<std::uint8_t>& bytes, PhoneBookEntry& entry) {
  if (bytes.empty()) return;
  // Bytes the handset sent never run past its limit, so their length is one.
  const DecodedName decoded = decode_entry_name(bytes, static_cast<int>(bytes.size()));
  const std::string name = clean_field(decoded.name);
  const std::string unicode = clean_field(decoded.unicode);
  const std::string& file_shown = entry.UNICODE.empty() ? entry.Name : entry.UNICODE;
  const bool same_name = name == entry.Name || (name.empty() && entry.Name == file_shown);
  const std::string write_as = write_as_text(static_cast<int>(decoded.write_as));
  const std::string& shown = unicode.empty() ? name : unicode;
  if (shown != file_shown || !same_name || write_as != entry.WriteAs) return;
  entry.Name = name;
  entry.UNICODE = unicode;
  entry.handset_name = PhoneBookEntry::HandsetName{bytes, entry.Name, entry.UNICODE, entry.WriteAs};
}

}  // namespace

CleanNumber clean_number(std::string_view raw) {
  CleanNumber out;
  out.valid = true;
  for (char c : raw) {
    if (is_separator(c)) continue;
    if (c == 'P' || c == 'W') c = static_cast<char>(c - 'A' + 'a');
    if (!storable(c, out.number.empty())) out.valid = false;
    out.number.push_back(c);
  }
  if (out.number.empty()) out.valid = false;
  return out;
}

ImportedEntries entries_from_records(const std::vector<ContactRecord>& records,
                                     bool one_per_number, const ContactFallback& fallback) {
  ImportedEntries out;
  for (std::size_t r = 0; r < records.size(); ++r) {
    const ContactRecord& record = records[r];
    PhoneBookEntry base;
    base.Name = clean_field(record.Name);
    base.UNICODE = clean_field(record.UNICODE);
    base.Type = table_text(clean_field(record.Type), kMemoryTypeCount, type_text, fallback.Type);
    base.Group = table_text(clean_field(record.Group), kGroupCount, group_text, fallback.Group);
    base.WriteAs =
        table_text(clean_field(record.WriteAs), kWriteAsCount, write_as_text, fallback.WriteAs);
    base.Pos = position_or_empty(record.Pos);
    keep_handset_name(record.handset_name, base);
    const std::string& shown = base.UNICODE.empty() ? base.Name : base.UNICODE;

    std::vector<std::string> numbers = record.numbers;
    if (numbers.empty()) numbers.emplace_back();
    if (!one_per_number) numbers.resize(1);
    for (std::size_t n = 0; n < numbers.size(); ++n) {
      const CleanNumber number = clean_number(numbers[n]);
      if (!number.valid) {
        out.skipped.push_back(SkippedContact{
            r + 1, shown, clean_field(numbers[n]),
            number.number.empty() ? SkipReason::NoNumber : SkipReason::BadNumber});
        continue;
      }
      PhoneBookEntry entry = base;
      entry.Phone = number.number;
      if (n > 0) entry.Pos.clear();  // the record's position belongs to its first number
      out.entries.push_back(std::move(entry));
    }
  }
  return out;
}

bool is_utf8(std::string_view bytes) {
  return code_points_to_utf8(utf8_to_code_points(bytes)) == bytes;
}

std::string file_text_to_utf8(std::string_view bytes) {
  return is_utf8(bytes) ? std::string(bytes) : from_code_page(bytes);
}

std::string charset_to_utf8(std::string_view bytes, std::string_view charset) {
  const std::string name = ascii_lower(charset);
  if (name == "iso-8859-1" || name == "iso-8859-15" || name == "latin1" ||
      name == "windows-1252" || name == "cp1252") {
    return from_code_page(bytes, CodePage::Windows1252);
  }
  if (name == "big5" || name == "big5-hkscs") return from_code_page(bytes, CodePage::Big5);
  if (name == "gbk" || name == "gb2312" || name == "gb18030" || name == "cp936") {
    return from_code_page(bytes, CodePage::GBK);
  }
  return file_text_to_utf8(bytes);
}

std::string clean_field(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  const auto first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace phondeck
