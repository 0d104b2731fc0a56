#include "phonebook/phone_book_files.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

#include "app/conversion.h"
#include "app/file_replace.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "phonebook/csv.h"
#include "phonebook/value_tables.h"
#include "phonebook/vcard.h"

namespace phondeck {

namespace {

constexpr std::size_t kMaxFileBytes = 64u << 20;
constexpr std::size_t kReportedSkips = 20;
constexpr int kHighestPosition = 254;

std::string replace_all(std::string text, std::string_view from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::optional<std::string> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxFileBytes) return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

int index_or(int index, int count, int otherwise) {
  return index >= 0 && index < count ? index : otherwise;
}

// "#3 Anna (05x1): no number": the contact, its number and why it was left out.
std::string skipped_line(const SkippedContact& s) {
  std::string text = "#" + std::to_string(s.record);
  if (!s.name.empty()) text += " " + s.name;
  if (!s.number.empty()) text += " (" + s.number + ")";
  return text + ": " + tx(s.reason == SkipReason::NoNumber ? kTextNoNumber : kTextBadNumber);
}

}  // namespace

std::optional<ContactFormat> contact_format_of(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return std::nullopt;
  const std::string extension = ascii_lower(path.substr(dot + 1));
  if (extension == "vcf" || extension == "vcard") return ContactFormat::VCard;
  if (extension == "csv") return ContactFormat::Csv;
  return std::nullopt;
}

std::string PhoneBookFiles::export_text(ContactFormat format) const {
  const std::vector<PhoneBookEntry> entries = book_.active().entries();
  return format == ContactFormat::VCard ? write_vcards(entries, vcard_options_) : write_csv(entries);
}

bool PhoneBookFiles::export_active(const std::string& path, ContactFormat format) {
  const std::string bytes = export_text(format);
  if (replace_file(path, path + ".new", bytes.data(), bytes.size(), FileAccess::Owner)) {
    book_.active().mark_kept();
    return true;
  }
  prompt_.message(tx(kTextAccessError) + "\n" + path);
  return false;
}

std::size_t PhoneBookFiles::import_files(ListSide side, const std::vector<std::string>& paths,
                                         std::optional<std::size_t> before) {
  std::size_t added = 0;
  ImportNote note;
  for (const std::string& path : paths) {
    note.source += (note.source.empty() ? "" : ", ") + path;
    const std::optional<std::string> bytes = read_file(path);
    if (!bytes) {
      prompt_.message(tx(kTextAccessError) + "\n" + path);
      note.left_out.push_back(path + ": " + tx(kTextAccessError));
      continue;
    }
    added += import_one(side, *bytes, contact_format_of(path), before, added == 0, note);
  }
  note.taken = added;
  if (!paths.empty()) book_.list(side).set_import_note(std::move(note));
  return added;
}

std::size_t PhoneBookFiles::import_text(ListSide side, std::string_view bytes,
                                        std::optional<ContactFormat> format,
                                        std::optional<std::size_t> before) {
  ImportNote note;
  note.source = "The file";
  note.taken = import_one(side, bytes, format, before, true, note);
  const std::size_t taken = note.taken;
  book_.list(side).set_import_note(std::move(note));
  return taken;
}

std::size_t PhoneBookFiles::import_one(ListSide side, std::string_view bytes,
                                       std::optional<ContactFormat> format,
                                       std::optional<std::size_t>& before, bool ask_replace,
                                       ImportNote& note) {
  if (!format) format = looks_like_vcard(bytes) ? ContactFormat::VCard : ContactFormat::Csv;
  const std::vector<ContactRecord> records =
      *format == ContactFormat::VCard ? read_vcards(bytes) : read_csv(bytes);
  if (records.empty()) {
    prompt_.message(tx(kTextNoEntries));
    return 0;
  }
  const bool several = std::any_of(records.begin(), records.end(),
                                   [](const ContactRecord& r) { return r.numbers.size() > 1; });
  const bool one_per_number = several && prompt_.ask_yes_no(tx(kTextOnePerNumber));

  // Columns the file leaves out take the values new entries get.
  const EntryDefaults& d = book_.defaults();
  const ContactFallback fallback{type_text(index_or(d.type, kMemoryTypeCount, kMemoryPhone)),
                                 group_text(index_or(d.group, kGroupCount, kGroupCount - 1)),
                                 write_as_text(index_or(d.write_as, kWriteAsCount, 0))};
  ImportedEntries imported = entries_from_records(records, one_per_number, fallback);
  for (const SkippedContact& s : imported.skipped) note.left_out.push_back(skipped_line(s));
  if (imported.entries.empty()) {
    report(0, imported.skipped);
    return 0;
  }

  PhoneBookList& list = book_.list(side);
  if (ask_replace && !list.empty() && prompt_.ask_yes_no(tx(kTextReplaceList))) {
    list.clear();
    before.reset();
  }
  if (assign_positions_) assign_free_positions(list, imported.entries);
  list.clear_selection();
  const std::size_t at = before ? std::min(*before, list.size()) : list.size();
  const std::size_t count = imported.entries.size();
  for (std::size_t k = 0; k < count; ++k) {
    list.insert(at + k, std::move(imported.entries[k]));
    list.set_selected(at + k, true);
  }
  list.set_focused(at);
  if (before) *before = at + count;
  book_.renumber_if_simplified(list);
  if (!imported.skipped.empty()) report(count, imported.skipped);
  return count;
}

void PhoneBookFiles::assign_free_positions(const PhoneBookList& list,
                                           std::vector<PhoneBookEntry>& entries) {
  std::map<int, std::set<int>> used;  // by memory type
  auto note = [&used](const PhoneBookEntry& e) {
    if (const auto pos = try_decimal_to_int(e.Pos); pos && *pos > 0) used[type_index(e.Type)].insert(*pos);
  };
  for (std::size_t i = 0; i < list.size(); ++i) note(list.entry(i));
  for (const PhoneBookEntry& e : entries) note(e);
  for (PhoneBookEntry& e : entries) {
    if (!e.Pos.empty()) continue;
    const int type = type_index(e.Type);
    const int capacity = type == kMemoryPhone || type == kMemorySim
                             ? book_.memory().capacity[static_cast<std::size_t>(type)]
                             : kHighestPosition;
    std::set<int>& taken = used[type];
    int pos = 1;
    while (pos <= capacity && taken.contains(pos)) ++pos;
    if (pos > capacity) pos = 0;  // full: the entry keeps no position
    if (pos > 0) taken.insert(pos);
    e.Pos = std::to_string(pos);
  }
}

void PhoneBookFiles::report(std::size_t imported, const std::vector<SkippedContact>& skipped) {
  std::string text = replace_all(tx(kTextImportReport), "%1", std::to_string(imported));
  text = replace_all(std::move(text), "%2", std::to_string(skipped.size()));
  for (std::size_t k = 0; k < skipped.size() && k < kReportedSkips; ++k) {
    text += "\n" + skipped_line(skipped[k]);
  }
  if (skipped.size() > kReportedSkips) {
    text += "\n" + replace_all(tx(kTextMoreSkipped), "%1", std::to_string(skipped.size() - kReportedSkips));
  }
  prompt_.message(text);
}

}  // namespace phondeck
