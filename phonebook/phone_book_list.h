#pragma once
// An ordered list of phone-book entries with its selection, focus and title,
// as one list pane shows it. Plain data: the window mirrors it.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "phonebook/entry.h"

namespace phondeck {

// What the last import into a list took from its files and what it left out
// (one line per contact or number, with why): a Write All that replaces the
// handset's phone book refuses an import that took nothing into an empty
// list, and asks when one left something out.
struct ImportNote {
  std::string source;                 // the file names
  std::size_t taken = 0;
  std::vector<std::string> left_out;
};

class PhoneBookList {
 public:
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }

  // Entry i (i < size()).
  const PhoneBookEntry& entry(std::size_t i) const { return rows_.at(i).entry; }
  PhoneBookEntry& entry(std::size_t i) { return rows_.at(i).entry; }
  // Copies of all entries, in list order.
  std::vector<PhoneBookEntry> entries() const;

  // Appends an unselected entry.
  void append(PhoneBookEntry entry);
  // Inserts an unselected entry before index `before`; appends when
  // `before` >= size().
  void insert(std::size_t before, PhoneBookEntry entry);
  void remove(std::size_t i);
  // Removes every selected entry.
  void remove_selected();
  // Removes every entry and clears the title.
  void clear();

  // The selection: a set of entries, in list order.
  bool is_selected(std::size_t i) const { return rows_.at(i).selected; }
  void set_selected(std::size_t i, bool selected);
  void select_only(std::size_t i);
  void clear_selection();
  bool has_selection() const;
  std::vector<std::size_t> selected_indices() const;
  // The selected entry: the first selected one.
  std::optional<std::size_t> first_selected() const;

  // At most one focused entry.
  std::optional<std::size_t> focused() const;
  void set_focused(std::optional<std::size_t> i);

  const std::string& title() const { return title_; }
  void set_title(std::string title) { title_ = std::move(title); }

  // Reorders the list by `order` (a permutation of 0..size()-1: the new list
  // holds old entry order[k] at k); selection and focus follow their entries.
  void reorder(const std::vector<std::size_t>& order);

  // The entries as the handset or a file now holds them (after a read, a
  // write or a save). The list is unsaved while it holds entries that differ
  // from those, in any order.
  void mark_kept() { kept_ = entries(); }
  bool unsaved() const;

  const std::optional<ImportNote>& import_note() const { return import_note_; }
  void set_import_note(std::optional<ImportNote> note) { import_note_ = std::move(note); }

 private:
  struct Row {
    PhoneBookEntry entry;
    bool selected = false;
    bool focused = false;
  };
  std::vector<Row> rows_;
  std::string title_;
  std::vector<PhoneBookEntry> kept_;
  std::optional<ImportNote> import_note_;
};

}  // namespace phondeck
