#include "phonebook/phone_book.h"

#include <algorithm>
#include <cstdint>
#include <locale>
#include <numeric>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "app/conversion.h"
#include "phonebook/phone_numbers.h"
#include "phonebook/value_tables.h"

namespace phondeck {

namespace {

constexpr int kTextClearConfirm = 3200;
constexpr int kTextClearAllConfirm = 3201;
constexpr int kTextMemoryFull = 3404;

// The user's locale for collating names and numbers; the classic locale when
// the environment names one that is not installed.
std::locale user_locale() {
  try {
    return std::locale("");
  } catch (const std::exception&) {
    return std::locale::classic();
  }
}

// The permutation that orders `keys` ascending, keeping equal keys in order.
template <typename Key, typename Less>
std::vector<std::size_t> stable_order(const std::vector<Key>& keys, Less less) {
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return less(keys[a], keys[b]); });
  return order;
}

}  // namespace

bool MemoryMap::is_occupied(int type, int pos) const {
  if (type < 0 || type >= kTrackedTypes || pos < 1 || pos > kTrackedPositions) return false;
  return occupied[static_cast<std::size_t>(type)][static_cast<std::size_t>(pos)];
}

void EntryDefaults::reset() {
  Name.clear();
  UNICODE.clear();
  Phone.clear();
  Pos = "-1";
  type = -1;
  group = -1;
  write_as = -1;
}

void EntryDefaults::load_from(const PhoneBookEntry& entry) {
  Name = entry.Name;
  UNICODE = entry.UNICODE;
  Phone = entry.Phone;
  Pos = entry.Pos;
  type = type_index(entry.Type);
  group = group_index(entry.Group);
  write_as = write_as_index(entry.WriteAs);
}

void EntryDefaults::store_into(PhoneBookEntry& entry) const {
  entry.Name = Name;
  entry.UNICODE = UNICODE;
  entry.Phone = Phone;
  entry.Type = type_text(type);
  entry.Pos = Pos;
  entry.Group = group_text(group);
  entry.WriteAs = write_as_text(write_as);
}

void PhoneBook::add_entry(PhoneBookList& list, std::string name, std::string unicode,
                          std::string phone, std::string type, std::string pos, std::string group,
                          std::string write_as, std::string time) {
  list.append(PhoneBookEntry{std::move(name), std::move(unicode), std::move(phone), std::move(type),
                             std::move(pos), std::move(group), std::move(write_as), std::move(time)});
}

bool PhoneBook::check_positions(const PhoneBookList& list) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!try_decimal_to_int(list.entry(i).Pos)) {
      prompt_->message(ConversionError(list.entry(i).Pos).what());
      return false;
    }
  }
  return true;
}

bool PhoneBook::occupied_positions() {
  for (auto& flags : memory_.occupied) flags.fill(false);
  const PhoneBookList& list = active();
  for (std::size_t i = 0; i < list.size(); ++i) {
    const PhoneBookEntry& entry = list.entry(i);
    const std::optional<int> pos = try_decimal_to_int(entry.Pos);
    if (!pos) {
      prompt_->message(ConversionError(entry.Pos).what());
      return false;
    }
    const int type = type_index(entry.Type);
    if (type < MemoryMap::kTrackedTypes && *pos >= 1 && *pos <= MemoryMap::kTrackedPositions) {
      memory_.occupied[static_cast<std::size_t>(type)][static_cast<std::size_t>(*pos)] = true;
    }
  }
  return true;
}

std::optional<int> PhoneBook::first_free_position(int type) {
  if (!occupied_positions()) return std::nullopt;
  int capacity;
  if (type == kMemoryPhone || type == kMemorySim) {
    capacity = memory_.capacity[static_cast<std::size_t>(type)];
  } else if (type >= 0 && type < MemoryMap::kTrackedTypes) {
    capacity = MemoryMap::kTrackedPositions;
  } else {
    return 1;  // call registers: positions are not tracked
  }
  int pos = 1;
  while (pos <= capacity && memory_.is_occupied(type, pos)) ++pos;
  if (pos <= capacity) return pos;
  prompt_->message(tx(kTextMemoryFull));
  return 0;
}

bool PhoneBook::sort(PhoneBookList& list, SortKey key) {
  std::vector<std::size_t> order;
  switch (key) {
    case SortKey::Name:
    case SortKey::Unicode:
    case SortKey::Phone: {
      const Column column = key == SortKey::Name      ? Column::Name
                            : key == SortKey::Unicode ? Column::Unicode
                                                      : Column::Phone;
      std::vector<std::string> keys;
      keys.reserve(list.size());
      for (std::size_t i = 0; i < list.size(); ++i) keys.push_back(list.entry(i).column(column));
      const std::locale locale = user_locale();
      const auto& collate = std::use_facet<std::collate<char>>(locale);
      order = stable_order(keys, [&collate](const std::string& a, const std::string& b) {
        return collate.compare(a.data(), a.data() + a.size(), b.data(), b.data() + b.size()) < 0;
      });
      break;
    }
    case SortKey::Type:
    case SortKey::Group:
    case SortKey::WriteAs:
    case SortKey::Position: {
      if (key == SortKey::Position && !check_positions(list)) return false;
      std::vector<int> keys;
      keys.reserve(list.size());
      for (std::size_t i = 0; i < list.size(); ++i) {
        const PhoneBookEntry& entry = list.entry(i);
        switch (key) {
          case SortKey::Type: keys.push_back(type_index(entry.Type)); break;
          case SortKey::Group: keys.push_back(group_index(entry.Group)); break;
          case SortKey::WriteAs: keys.push_back(write_as_index(entry.WriteAs)); break;
          default: keys.push_back(*try_decimal_to_int(entry.Pos)); break;
        }
      }
      order = stable_order(keys, [](int a, int b) { return a < b; });
      break;
    }
  }
  if (order.size() != list.size()) return false;  // not a key of the table
  list.reorder(order);
  return true;
}

bool PhoneBook::sort_by_type_and_position(PhoneBookList& list) {
  return sort(list, SortKey::Position) && sort(list, SortKey::Type);
}

bool PhoneBook::serialize_all_positions(PhoneBookList& list, bool by_type) {
  if (by_type && !sort(list, SortKey::Type)) return false;
  int counter = 1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (by_type && i > 0 && list.entry(i).Type != list.entry(i - 1).Type) counter = 1;
    list.entry(i).Pos = std::to_string(counter++);
  }
  return true;
}

bool PhoneBook::serialize_duplicated_positions(PhoneBookList& list) {
  if (list.size() < 2) return true;
  if (!sort_by_type_and_position(list)) return false;
  std::string previous_type = list.entry(0).Type;
  std::int64_t previous = *try_decimal_to_int(list.entry(0).Pos);
  for (std::size_t i = 1; i < list.size(); ++i) {
    PhoneBookEntry& entry = list.entry(i);
    std::int64_t current = *try_decimal_to_int(entry.Pos);
    if (entry.Type == previous_type && previous >= current) {
      current = previous + 1;
      entry.Pos = std::to_string(current);
    }
    previous = current;
    previous_type = entry.Type;
  }
  return true;
}

bool PhoneBook::renumber_if_simplified(PhoneBookList& list) {
  if (config().BasicLevel == 0) return true;
  return serialize_all_positions(list, true);
}

bool PhoneBook::delete_selected(PhoneBookList& list) {
  if (!list.has_selection()) return false;
  if (config().DelConfirm != 0 && !prompt_->ask_yes_no(tx(kTextClearConfirm))) return false;
  list.remove_selected();
  renumber_if_simplified(list);
  return true;
}

bool PhoneBook::clear_all(PhoneBookList& list) {
  if (list.empty()) return false;
  if (config().DelConfirm != 0 && !prompt_->ask_yes_no(tx(kTextClearAllConfirm))) return false;
  list.clear();
  return true;
}

void PhoneBook::copy_selected(const PhoneBookList& from, PhoneBookList& to) {
  std::vector<PhoneBookEntry> copies;
  for (std::size_t i : from.selected_indices()) copies.push_back(from.entry(i));
  for (PhoneBookEntry& entry : copies) to.append(std::move(entry));
}

bool PhoneBook::move_selected(PhoneBookList& from, PhoneBookList& to) {
  if (!from.has_selection()) return false;
  copy_selected(from, to);
  return delete_selected(from);
}

void PhoneBook::insert_copies(const PhoneBookList& from, PhoneBookList& to,
                              std::optional<std::size_t> before) {
  std::vector<PhoneBookEntry> copies;
  for (std::size_t i : from.selected_indices()) copies.push_back(from.entry(i));
  std::size_t at = before && *before < to.size() ? *before : to.size();
  for (PhoneBookEntry& entry : copies) to.insert(at++, std::move(entry));
}

bool PhoneBook::entries_from_messages(const std::vector<MessageContact>& messages,
                                      PhoneBookList& to, std::optional<std::size_t> before) {
  std::size_t at = before && *before < to.size() ? *before : to.size();
  for (const MessageContact& message : messages) {
    const std::optional<int> pos = first_free_position(defaults_.type);
    if (!pos) return false;
    PhoneBookEntry entry;
    if (has_non_ascii(message.name)) {
      entry.UNICODE = message.name;
    } else {
      entry.Name = message.name;
    }
    entry.Phone = message.number;
    entry.Type = type_text(defaults_.type);
    entry.Pos = std::to_string(*pos);
    entry.Group = group_text(defaults_.group);
    entry.WriteAs = write_as_text(defaults_.write_as);
    to.insert(at++, std::move(entry));
  }
  return true;
}

void PhoneBook::rename_group(const std::string& old_name, const std::string& new_name) {
  for (PhoneBookList* list : {&left_, &right_}) {
    for (std::size_t i = 0; i < list->size(); ++i) {
      if (list->entry(i).Group == old_name) list->entry(i).Group = new_name;
    }
  }
}

namespace {

// The last digits of a number: every form of one number ends in them.
std::string_view last_digits(std::string_view number) {
  constexpr std::size_t kDigits = 4;
  return number.size() > kDigits ? number.substr(number.size() - kDigits) : number;
}

// The first entry of the very text, else the first of another form of the
// number (libphonenumber only for the candidates that end alike).
template <typename Entries>
const PhoneBookEntry* first_same(const Entries& entries, std::size_t count, const std::string& number,
                                 const std::string& country) {
  if (number.empty()) return nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    if (entries(i).Phone == number) return &entries(i);
  }
  const std::string_view tail = last_digits(number);
  for (std::size_t i = 0; i < count; ++i) {
    const PhoneBookEntry& e = entries(i);
    if (!e.Phone.empty() && last_digits(e.Phone) == tail && same_number(e.Phone, number, country)) return &e;
  }
  return nullptr;
}

}  // namespace

std::string shown_name(const PhoneBookEntry& entry) {
  const int write_as = write_as_index(entry.WriteAs);
  if (write_as != 1 && !entry.UNICODE.empty()) return entry.UNICODE;
  return entry.Name;
}

const PhoneBookEntry* entry_for_number(const std::vector<PhoneBookEntry>& entries, const std::string& number,
                                       const std::string& country) {
  return first_same([&entries](std::size_t i) -> const PhoneBookEntry& { return entries[i]; }, entries.size(),
                    number, country);
}

const PhoneBookEntry* entry_for_number(const PhoneBookList& list, const std::string& number,
                                       const std::string& country) {
  return first_same([&list](std::size_t i) -> const PhoneBookEntry& { return list.entry(i); }, list.size(), number,
                    country);
}

std::string PhoneBook::name_for_number(const std::string& number, const std::string& country) const {
  // Which pane has the focus does not decide whether a sender has a name:
  // the active list first, then the other.
  const PhoneBookList* order[] = {&active(), active_side() == ListSide::Left ? &right() : &left()};
  // The very text in either list before another form of the number.
  for (const PhoneBookList* list : order) {
    for (std::size_t i = 0; !number.empty() && i < list->size(); ++i) {
      if (list->entry(i).Phone == number) return shown_name(list->entry(i));
    }
  }
  for (const PhoneBookList* list : order) {
    if (const PhoneBookEntry* found = entry_for_number(*list, number, country)) return shown_name(*found);
  }
  return {};
}

}  // namespace phondeck
