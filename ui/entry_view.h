#pragma once
// A list of entries as a window shows it, with its selection: a phone-book
// list pane, or the third list of the tree modes (a filtered view of the
// left list). Find and Print read through it.
#include <cstddef>
#include <optional>
#include <vector>

#include "phonebook/entry.h"
#include "phonebook/phone_book_list.h"

namespace phondeck {

class EntryView {
 public:
  virtual ~EntryView() = default;
  virtual std::size_t size() const = 0;
  virtual const PhoneBookEntry& entry(std::size_t row) const = 0;
  virtual std::vector<std::size_t> selected_rows() const = 0;
  virtual void clear_selection() = 0;
  virtual void select(std::size_t row) = 0;

  bool empty() const { return size() == 0; }
  std::optional<std::size_t> first_selected() const {
    const auto rows = selected_rows();
    if (rows.empty()) return std::nullopt;
    return rows.front();
  }
};

// A phone-book list seen as a view.
class ListEntryView final : public EntryView {
 public:
  explicit ListEntryView(PhoneBookList& list) : list_(list) {}
  std::size_t size() const override { return list_.size(); }
  const PhoneBookEntry& entry(std::size_t row) const override { return list_.entry(row); }
  std::vector<std::size_t> selected_rows() const override { return list_.selected_indices(); }
  void clear_selection() override { list_.clear_selection(); }
  void select(std::size_t row) override {
    list_.set_selected(row, true);
    list_.set_focused(row);
  }

 private:
  PhoneBookList& list_;
};

}  // namespace phondeck
