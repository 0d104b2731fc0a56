#include "phonebook/phone_book_list.h"

#include <algorithm>
#include <stdexcept>

namespace phondeck {

std::vector<PhoneBookEntry> PhoneBookList::entries() const {
  std::vector<PhoneBookEntry> out;
  out.reserve(rows_.size());
  for (const Row& row : rows_) out.push_back(row.entry);
  return out;
}

void PhoneBookList::append(PhoneBookEntry entry) { rows_.push_back(Row{std::move(entry)}); }

void PhoneBookList::insert(std::size_t before, PhoneBookEntry entry) {
  before = std::min(before, rows_.size());
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(before), Row{std::move(entry)});
}

void PhoneBookList::remove(std::size_t i) {
  if (i >= rows_.size()) return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
}

void PhoneBookList::remove_selected() {
  std::erase_if(rows_, [](const Row& row) { return row.selected; });
}

bool PhoneBookList::unsaved() const {
  if (rows_.empty()) return false;
  const std::vector<PhoneBookEntry> now = entries();
  return !std::is_permutation(now.begin(), now.end(), kept_.begin(), kept_.end());
}

void PhoneBookList::clear() {
  rows_.clear();
  title_.clear();
  import_note_.reset();
}

void PhoneBookList::set_selected(std::size_t i, bool selected) { rows_.at(i).selected = selected; }

void PhoneBookList::select_only(std::size_t i) {
  clear_selection();
  rows_.at(i).selected = true;
}

void PhoneBookList::clear_selection() {
  for (Row& row : rows_) row.selected = false;
}

bool PhoneBookList::has_selection() const {
  return std::any_of(rows_.begin(), rows_.end(), [](const Row& row) { return row.selected; });
}

std::vector<std::size_t> PhoneBookList::selected_indices() const {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].selected) out.push_back(i);
  }
  return out;
}

std::optional<std::size_t> PhoneBookList::first_selected() const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].selected) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> PhoneBookList::focused() const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].focused) return i;
  }
  return std::nullopt;
}

void PhoneBookList::set_focused(std::optional<std::size_t> i) {
  for (Row& row : rows_) row.focused = false;
  if (i && *i < rows_.size()) rows_[*i].focused = true;
}

void PhoneBookList::reorder(const std::vector<std::size_t>& order) {
  if (order.size() != rows_.size()) throw std::invalid_argument("reorder: not a permutation");
  std::vector<bool> seen(rows_.size(), false);
  for (std::size_t k : order) {
    if (k >= rows_.size() || seen[k]) throw std::invalid_argument("reorder: not a permutation");
    seen[k] = true;
  }
  std::vector<Row> reordered;
  reordered.reserve(rows_.size());
  for (std::size_t k : order) reordered.push_back(std::move(rows_[k]));
  rows_ = std::move(reordered);
}

}  // namespace phondeck
