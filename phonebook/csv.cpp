#include "phonebook/csv.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace phondeck {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 7> kHeader{"Name",     "UNICODE", "Phone",  "Type",
                                                  "Position", "Group",   "WriteAs"};
enum Field { kName, kUnicode, kPhone, kType, kPosition, kGroup, kWriteAs, kFieldCount };

// A cell a spreadsheet would take for a formula: "=", "+", "-", "@", TAB or
// CR first, after any apostrophes.
bool formula_like(std::string_view cell) {
  const std::size_t at = cell.find_first_not_of('\'');
  return at != std::string_view::npos && std::string_view("=+-@\t\r").find(cell[at]) != std::string_view::npos;
}

// A cell that holds only what a phone number may: digits, "*", "#", the
// pause and wait "p" and "w", blanks, and a "+" first. An address book
// importing the file takes it as the number it is, and no spreadsheet runs it.
bool number_like(std::string_view cell) {
  const std::size_t first = cell.find_first_not_of(' ');
  if (first != std::string_view::npos && cell[first] == '+') cell.remove_prefix(first + 1);
  return std::all_of(cell.begin(), cell.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == 'p' || c == 'w' || c == ' ';
  });
}

// A formula-like cell is written after an apostrophe, which spreadsheets
// show as text; reading takes one apostrophe off again (also before a
// number, as earlier files guarded those too).
std::string guarded(std::string_view cell) {
  return formula_like(cell) && !number_like(cell) ? "'" + std::string(cell) : std::string(cell);
}

std::string unguarded(std::string cell) {
  if (cell.starts_with('\'') && formula_like(std::string_view(cell).substr(1))) cell.erase(0, 1);
  return cell;
}

void put_field(std::string& out, std::string_view field) {
  const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quote) {
    out.append(field);
    return;
  }
  out.push_back('"');
  for (char c : field) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

char separator_of(std::string_view text) {
  std::size_t commas = 0, semicolons = 0, tabs = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\r' || c == '\n') break;
    commas += c == ',';
    semicolons += c == ';';
    tabs += c == '\t';
  }
  if (commas > 0) return ',';
  if (semicolons > 0) return ';';
  return tabs > 0 ? '\t' : ',';
}

std::vector<std::vector<std::string>> parse_rows(std::string_view text, char separator) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool field_start = true;
  bool in_quotes = false;
  auto end_field = [&] {
    row.push_back(std::move(field));
    field.clear();
    field_start = true;
  };
  auto end_row = [&] {
    end_field();
    bool blank = true;
    for (const std::string& f : row) blank = blank && f.empty();
    if (!blank) rows.push_back(std::move(row));
    row.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_quotes) {
      if (c != '"') {
        field.push_back(c);
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field.push_back('"');
        ++i;
      } else {
        in_quotes = false;
      }
      continue;
    }
    if (c == '"' && field_start) {
      in_quotes = true;
      field_start = false;
    } else if (c == separator) {
      end_field();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      end_row();
    } else {
      field.push_back(c);
      field_start = false;
    }
  }
  if (!field_start || !row.empty()) end_row();
  return rows;
}

}  // namespace

std::string write_csv(const std::vector<PhoneBookEntry>& entries) {
  std::string out(kBom);
  auto put_row = [&out](const std::array<std::string_view, kFieldCount>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i) out.push_back(',');
      put_field(out, fields[i]);
    }
    out += "\r\n";
  };
  put_row(kHeader);
  for (const PhoneBookEntry& e : entries) {
    const std::array<std::string, kFieldCount> cells{guarded(e.Name), guarded(e.UNICODE), guarded(e.Phone),
                                                     guarded(e.Type),  guarded(e.Pos),     guarded(e.Group),
                                                     guarded(e.WriteAs)};
    put_row({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6]});
  }
  return out;
}

std::vector<ContactRecord> read_csv(std::string_view bytes) {
  if (bytes.starts_with(kBom)) bytes.remove_prefix(kBom.size());
  const std::string text = file_text_to_utf8(bytes);
  std::vector<std::vector<std::string>> rows = parse_rows(text, separator_of(text));

  // Where each field is: the header's order, or the written order.
  std::array<std::size_t, kFieldCount> column{};
  for (std::size_t f = 0; f < column.size(); ++f) column[f] = f;
  std::size_t first = 0;
  if (!rows.empty()) {
    std::array<std::size_t, kFieldCount> named;
    named.fill(std::string::npos);
    for (std::size_t c = 0; c < rows[0].size(); ++c) {
      const std::string title = ascii_lower(clean_field(rows[0][c]));
      for (std::size_t f = 0; f < kHeader.size(); ++f) {
        if ((title == ascii_lower(kHeader[f]) || (f == static_cast<std::size_t>(kPosition) && title == "pos")) &&
            named[f] == std::string::npos) {
          named[f] = c;
        }
      }
    }
    if (named[kPhone] != std::string::npos) {
      column = named;
      first = 1;
    }
  }

  std::vector<ContactRecord> records;
  for (std::size_t r = first; r < rows.size(); ++r) {
    const std::vector<std::string>& row = rows[r];
    auto field = [&](Field f) {
      const std::size_t c = column[f];
      return c < row.size() ? unguarded(row[c]) : std::string();
    };
    ContactRecord record;
    record.Name = field(kName);
    record.UNICODE = field(kUnicode);
    record.numbers.push_back(field(kPhone));
    record.Type = field(kType);
    record.Pos = field(kPosition);
    record.Group = field(kGroup);
    record.WriteAs = field(kWriteAs);
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace phondeck
