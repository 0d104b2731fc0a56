#pragma once
// The main window's data and command logic, without a screen: the phone
// book with its two lists, the view mode with the tree and the third list,
// the split, and every command the menus, tool bar, F-keys, keys, mouse and
// drops lead to. The window (TForm1) shows this state and forwards its events.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "link/link_state.h"
#include "phonebook/phone_book.h"
#include "ui/commands.h"
#include "ui/entry_view.h"
#include "ui/find_print.h"

namespace phondeck {

class Prompt;
class HandsetCommands;

// Shows the Editor with the defaults; on OK stores the dialog's values back
// and returns true.
class EntryEditorHost {
 public:
  virtual ~EntryEditorHost() = default;
  virtual bool edit_entry_values(EntryDefaults& defaults) = 0;
};

inline constexpr int kModeDefault = 0;
inline constexpr int kModeType = 4;
inline constexpr int kModeGroup = 6;
inline constexpr int kModeWriteAs = 7;
inline constexpr int kModeCount = 9;

// Which list a mouse event happened in.
enum class ListPane { Left, Right, Third };

class MainWindowLogic {
 public:
  // book: the session's phone book, which the handset commands fill too.
  MainWindowLogic(Prompt& prompt, EntryEditorHost& editor, HandsetCommands& handset, PhoneBook& book);

  PhoneBook& book() { return book_; }
  const PhoneBook& book() const { return book_; }
  void set_handset(HandsetCommands& handset) { handset_ = &handset; }

  // -- View mode and split.
  int mode() const { return mode_; }
  bool tree_mode() const { return mode_ != kModeDefault; }
  // Switches the mode (outside 0..8 acts as 0; the current mode does nothing).
  // Returns true when the mode changed; the window then checks the mode's
  // menu item, shows or hides its controls and arranges them.
  bool set_mode(int mode, int client_width);
  int split_numerator() const { return split_numerator_; }
  int split_denominator() const { return split_denominator_; }
  void splitter_moved(int position, int client_width);

  // -- Tree (modes 1..8): the root and its children; -1 is the root.
  const std::string& tree_root() const { return tree_root_; }
  const std::vector<std::string>& tree_children() const { return tree_children_; }
  int selected_category() const { return selected_category_; }
  void select_tree_node(int node);
  // Re-reads the node names (texts applied again); the chosen node stays.
  void retext_tree();
  // Rebuilds the third list from the left list for the selected node.
  void refresh_tree_view();

  // -- Third list: rows are entries of the left list.
  std::size_t third_size() const { return third_rows_.size(); }
  std::size_t third_entry_index(std::size_t row) const { return third_rows_.at(row); }
  bool third_selected(std::size_t row) const { return third_selected_.at(row); }
  void set_third_selected(std::size_t row, bool selected);
  EntryView& third_view() { return third_view_; }

  // The list Find, Print and the pop-up menu work on: the third list in tree
  // modes, otherwise the active list.
  EntryView& current_view();

  // -- Panes.
  void activate(ListSide side) { book_.set_active(side); }

  // -- Commands. run() carries out the commands that live here and returns
  // false for those the window handles itself (dialogs, windows, exit).
  bool run(Command command, int argument = 0, int client_width = 0);
  void file_new(int client_width);
  void edit();
  void new_entry();
  void delete_entries();
  void copy_to_other();
  void move_to_other();
  void select_all();
  void sort(Command command);
  void reset();

  // Mouse: a header click sorts the active list by the column (not Time,
  // not when the clicked list is empty); a double-click on a row edits it,
  // on empty space starts a new entry.
  void header_clicked(ListPane pane, int column);
  void double_clicked(ListPane pane, std::optional<std::size_t> row);

  // -- Drops (the handlers a drag and drop calls).
  // Entries of the other pane dropped on a pane, before the row under the
  // pointer (or appended).
  void drop_entries_on_pane(ListSide target, std::optional<std::size_t> before);
  // Messages dropped on a pane.
  void drop_messages_on_pane(ListSide target, const std::vector<MessageContact>& messages,
                             std::optional<std::size_t> before);
  // The third list's selected rows dropped on a tree node.
  void drop_rows_on_node(int node);
  // Messages dropped on a tree node, or on the third list.
  void drop_messages_on_node(int node, const std::vector<MessageContact>& messages);
  void drop_messages_on_third_list(const std::vector<MessageContact>& messages);

  // -- Menu states.
  EditMenuState edit_menu() const;
  bool popup_has_selection();

  // -- The link as the window's observer sees it. Every state change comes
  // here; a reset (Disconnected) refreshes the third list, and when it cuts
  // off a phone-book read, the result is the status text that says how many
  // of the entries read are kept (shown once the reset has shown its own).
  std::optional<std::string> link_state_changed(LinkState state);

  // -- Find and Print.
  std::optional<std::size_t> find_next(const FindOptions& options);
  std::vector<std::string> print_lines(const std::string& caption);

 private:
  class ThirdView final : public EntryView {
   public:
    explicit ThirdView(MainWindowLogic& owner) : owner_(owner) {}
    std::size_t size() const override { return owner_.third_rows_.size(); }
    const PhoneBookEntry& entry(std::size_t row) const override;
    std::vector<std::size_t> selected_rows() const override;
    void clear_selection() override;
    void select(std::size_t row) override;

   private:
    MainWindowLogic& owner_;
  };

  // New entry from the (already reset) defaults, as the Editor's rules say.
  bool new_entry_values();
  void select_third_row_of(std::size_t entry_index);
  void preset_default_from_category(int category);
  int mode_key_index(const PhoneBookEntry& entry) const;
  void build_tree();

  Prompt& prompt_;
  EntryEditorHost& editor_;
  HandsetCommands* handset_;
  PhoneBook& book_;
  ListEntryView left_view_;
  ListEntryView right_view_;
  ThirdView third_view_;

  // A phone-book read asked for while the link could start it: the list it
  // fills and how many entries that list held before.
  struct ReadInProgress {
    ListSide side = ListSide::Left;
    std::size_t entries_before = 0;
    bool started = false;  // the link has entered the phone-book family since
  };
  LinkState link_state_ = LinkState::Disconnected;
  std::optional<ReadInProgress> read_;

  int mode_ = kModeDefault;
  int split_numerator_ = 1;
  int split_denominator_ = 2;
  std::string tree_root_;
  std::vector<std::string> tree_children_;
  int selected_category_ = -1;
  std::vector<std::size_t> third_rows_;
  std::vector<bool> third_selected_;
};

}  // namespace phondeck
