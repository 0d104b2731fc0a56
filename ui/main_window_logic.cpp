#include "ui/main_window_logic.h"

#include <utility>

#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "phonebook/value_tables.h"
#include "session/handset_commands.h"

namespace phondeck {
namespace {
constexpr int kTextPhoneBookMenu = 137;
constexpr int kTextReadStopped = 3420;

std::optional<SortKey> sort_key_of(Command command) {
  switch (command) {
    case Command::SortName: return SortKey::Name;
    case Command::SortUnicode: return SortKey::Unicode;
    case Command::SortPhone: return SortKey::Phone;
    case Command::SortType: return SortKey::Type;
    case Command::SortPosition: return SortKey::Position;
    case Command::SortGroup: return SortKey::Group;
    case Command::SortWriteAs: return SortKey::WriteAs;
    default: return std::nullopt;
  }
}
}  // namespace

MainWindowLogic::MainWindowLogic(Prompt& prompt, EntryEditorHost& editor,
                                 HandsetCommands& handset, PhoneBook& book)
    : prompt_(prompt),
      editor_(editor),
      handset_(&handset),
      book_(book),
      left_view_(book_.left()),
      right_view_(book_.right()),
      third_view_(*this) {}

// ---------------------------------------------------------------- view mode

bool MainWindowLogic::set_mode(int mode, int client_width) {
  if (mode < 0 || mode >= kModeCount) mode = kModeDefault;
  if (mode == mode_) return false;
  mode_ = mode;
  // The mode is the UIMode setting: Save Configuration writes the current one.
  config().UIMode = mode;
  if (mode == kModeDefault) {
    third_rows_.clear();
    third_selected_.clear();
    tree_children_.clear();
    if (client_width > 0) {
      split_numerator_ = client_width / 2;
      split_denominator_ = client_width;
    } else {
      split_numerator_ = 1;
      split_denominator_ = 2;
    }
    return true;
  }
  book_.set_active(ListSide::Left);
  build_tree();
  split_numerator_ = 1;
  split_denominator_ = 4;
  selected_category_ = -1;
  refresh_tree_view();
  return true;
}

void MainWindowLogic::splitter_moved(int position, int client_width) {
  if (client_width <= 0) return;
  split_numerator_ = position;
  split_denominator_ = client_width;
}

void MainWindowLogic::build_tree() {
  tree_root_ = book_.left().title().empty() ? window_title(tx(kTextPhoneBookMenu))
                                            : book_.left().title();
  tree_children_.clear();
  switch (mode_) {
    case kModeType:
      for (int i = 0; i < kMemoryTypeCount; ++i) tree_children_.push_back(type_text(i));
      break;
    case kModeWriteAs:
      for (int i = 0; i < kWriteAsCount; ++i) tree_children_.push_back(write_as_text(i));
      break;
    case kModeGroup:
      for (int i = 0; i < kGroupCount; ++i) tree_children_.push_back(group_text(i));
      break;
    default:
      break;
  }
}

void MainWindowLogic::retext_tree() {
  if (tree_mode()) build_tree();
}

void MainWindowLogic::select_tree_node(int node) {
  if (!tree_mode()) return;
  if (node < 0 || node >= static_cast<int>(tree_children_.size())) node = -1;
  selected_category_ = node;
  refresh_tree_view();
}

int MainWindowLogic::mode_key_index(const PhoneBookEntry& entry) const {
  switch (mode_) {
    case kModeType: return type_index(entry.Type);
    case kModeWriteAs: return write_as_index(entry.WriteAs);
    case kModeGroup: return group_index(entry.Group);
    default: return -1;
  }
}

void MainWindowLogic::refresh_tree_view() {
  if (!tree_mode()) return;
  third_rows_.clear();
  third_selected_.clear();
  PhoneBookList& left = book_.left();
  if (selected_category_ < 0) {
    for (std::size_t i = 0; i < left.size(); ++i) third_rows_.push_back(i);
  } else {
    if (config().BasicLevel != 0) {
      const SortKey key = mode_ == kModeType    ? SortKey::Type
                          : mode_ == kModeGroup ? SortKey::Group
                                                : SortKey::WriteAs;
      book_.sort(left, key);
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
      if (mode_key_index(left.entry(i)) == selected_category_) third_rows_.push_back(i);
    }
  }
  third_selected_.assign(third_rows_.size(), false);
}

void MainWindowLogic::set_third_selected(std::size_t row, bool selected) {
  if (row < third_selected_.size()) third_selected_[row] = selected;
}

void MainWindowLogic::select_third_row_of(std::size_t entry_index) {
  for (std::size_t row = 0; row < third_rows_.size(); ++row) {
    if (third_rows_[row] == entry_index) third_selected_[row] = true;
  }
}

const PhoneBookEntry& MainWindowLogic::ThirdView::entry(std::size_t row) const {
  return owner_.book_.left().entry(owner_.third_rows_.at(row));
}

std::vector<std::size_t> MainWindowLogic::ThirdView::selected_rows() const {
  std::vector<std::size_t> rows;
  for (std::size_t row = 0; row < owner_.third_selected_.size(); ++row) {
    if (owner_.third_selected_[row]) rows.push_back(row);
  }
  return rows;
}

void MainWindowLogic::ThirdView::clear_selection() {
  owner_.third_selected_.assign(owner_.third_rows_.size(), false);
}

void MainWindowLogic::ThirdView::select(std::size_t row) { owner_.set_third_selected(row, true); }

EntryView& MainWindowLogic::current_view() {
  if (tree_mode()) return third_view_;
  return book_.active_side() == ListSide::Left ? static_cast<EntryView&>(left_view_)
                                               : static_cast<EntryView&>(right_view_);
}

// ---------------------------------------------------------------- commands

bool MainWindowLogic::run(Command command, int argument, int client_width) {
  switch (command) {
    case Command::FileNew: file_new(client_width); return true;
    case Command::Edit: edit(); return true;
    case Command::Insert: new_entry(); return true;
    case Command::Delete: delete_entries(); return true;
    case Command::CopyToOther: copy_to_other(); return true;
    case Command::MoveToOther: move_to_other(); return true;
    case Command::SelectAll: select_all(); return true;
    case Command::SortName:
    case Command::SortUnicode:
    case Command::SortPhone:
    case Command::SortType:
    case Command::SortPosition:
    case Command::SortTypeAndPosition:
    case Command::SortGroup:
    case Command::SortWriteAs: sort(command); return true;
    case Command::SerializeByType:
      book_.serialize_all_positions(book_.active(), true);
      refresh_tree_view();
      return true;
    case Command::SerializeByOrder:
      book_.serialize_all_positions(book_.active(), false);
      refresh_tree_view();
      return true;
    case Command::SerializeDuplicated:
      book_.serialize_duplicated_positions(book_.active());
      refresh_tree_view();
      return true;
    case Command::Connect: handset_->connect(); return true;
    case Command::Reset: reset(); return true;
    case Command::ReadPhoneBook:
      // The guard starts a read from Idle, or queues it behind a status poll.
      if (link_state_ == LinkState::Idle || link_state_ == LinkState::StatusPoll) {
        read_ = ReadInProgress{book_.active_side(), book_.active().size(), false};
      }
      handset_->read_phone_book();
      return true;
    case Command::ClearThenWrite: handset_->clear_then_write(); return true;
    case Command::WriteAll: handset_->write_all(); return true;
    case Command::NetMonitorOpen: handset_->net_monitor(true); return true;
    case Command::NetMonitorClose: handset_->net_monitor(false); return true;
    case Command::ViewMode: set_mode(argument, client_width); return true;
    default: return false;
  }
}

void MainWindowLogic::file_new(int client_width) {
  book_.clear_all(book_.active());
  if (tree_mode()) {
    set_mode(kModeDefault, client_width);
  }
}

void MainWindowLogic::edit() {
  PhoneBookList& list = book_.active();
  std::optional<std::size_t> index;
  if (tree_mode()) {
    const auto row = third_view_.first_selected();
    if (!row) return;
    index = third_rows_[*row];
    list.clear_selection();
    list.set_selected(*index, true);
  } else {
    index = list.first_selected();
    if (!index) return;
  }
  EntryDefaults& defaults = book_.defaults();
  defaults.load_from(list.entry(*index));
  if (editor_.edit_entry_values(defaults)) {
    defaults.store_into(list.entry(*index));
    list.set_focused(*index);
    book_.renumber_if_simplified(list);
  }
  if (tree_mode()) {
    refresh_tree_view();
    if (const auto moved = list.focused()) select_third_row_of(*moved);
  }
}

void MainWindowLogic::preset_default_from_category(int category) {
  EntryDefaults& defaults = book_.defaults();
  switch (mode_) {
    case kModeType: defaults.type = category; break;
    case kModeWriteAs: defaults.write_as = category; break;
    case kModeGroup: defaults.group = category; break;
    default: break;
  }
}

void MainWindowLogic::new_entry() {
  if (tree_mode()) {
    third_view_.clear_selection();
    book_.defaults().reset();
    preset_default_from_category(selected_category_);
    new_entry_values();
    refresh_tree_view();
    if (const auto focused = book_.left().focused()) select_third_row_of(*focused);
    return;
  }
  book_.defaults().reset();
  new_entry_values();
}

bool MainWindowLogic::new_entry_values() {
  EntryDefaults& defaults = book_.defaults();
  PhoneBookList& list = book_.active();
  defaults.Name.clear();
  defaults.UNICODE.clear();
  defaults.Phone.clear();
  // "-1" and the empty text sort before "0" byte-wise: no position yet.
  if (defaults.Pos < std::string("0")) {
    const auto pos = book_.first_free_position(kMemoryPhone);
    if (!pos) return false;
    defaults.Pos = std::to_string(*pos);
  }
  if (defaults.type < 0) defaults.type = kMemoryPhone;
  if (defaults.group < 0) defaults.group = kGroupCount - 1;
  if (defaults.write_as < 0) defaults.write_as = 0;
  if (!editor_.edit_entry_values(defaults)) return false;

  PhoneBookEntry entry;
  defaults.store_into(entry);
  entry.Time.clear();
  const std::size_t at = list.first_selected().value_or(list.size());
  list.insert(at, std::move(entry));
  list.set_selected(at, true);
  list.set_focused(at);
  book_.renumber_if_simplified(list);
  return true;
}

void MainWindowLogic::delete_entries() {
  if (tree_mode()) {
    PhoneBookList& left = book_.left();
    const auto rows = third_view_.selected_rows();
    if (rows.empty()) return;
    // Only the rows the user picked: entries hidden by the filter stay.
    left.clear_selection();
    for (std::size_t row : rows) left.set_selected(third_rows_[row], true);
    book_.delete_selected(left);
    refresh_tree_view();
    return;
  }
  book_.delete_selected(book_.active());
}

void MainWindowLogic::copy_to_other() { book_.copy_selected(book_.active(), book_.other()); }

void MainWindowLogic::move_to_other() { book_.move_selected(book_.active(), book_.other()); }

void MainWindowLogic::select_all() {
  if (tree_mode()) {
    third_selected_.assign(third_rows_.size(), true);
    return;
  }
  PhoneBookList& list = book_.active();
  for (std::size_t i = 0; i < list.size(); ++i) list.set_selected(i, true);
}

void MainWindowLogic::sort(Command command) {
  if (command == Command::SortTypeAndPosition) {
    book_.sort_by_type_and_position(book_.active());
  } else if (const auto key = sort_key_of(command)) {
    book_.sort(book_.active(), *key);
  }
  refresh_tree_view();
}

void MainWindowLogic::reset() {
  handset_->reset_link();
  book_.memory().reset_capacities();
}

void MainWindowLogic::header_clicked(ListPane pane, int column) {
  const Command command = sort_command_for_column(column);
  if (command == Command::None) return;
  const bool clicked_empty = pane == ListPane::Third   ? third_rows_.empty()
                             : pane == ListPane::Left  ? book_.left().empty()
                                                       : book_.right().empty();
  if (clicked_empty) return;
  sort(command);
}

void MainWindowLogic::double_clicked(ListPane pane, std::optional<std::size_t> row) {
  if (!row) {
    new_entry();
    return;
  }
  if (pane == ListPane::Third) {
    if (*row >= third_rows_.size()) return;
    third_view_.clear_selection();
    third_selected_[*row] = true;
  } else {
    const ListSide side = pane == ListPane::Left ? ListSide::Left : ListSide::Right;
    book_.set_active(side);
    PhoneBookList& list = book_.list(side);
    if (*row >= list.size()) return;
    if (!list.is_selected(*row)) list.select_only(*row);
  }
  edit();
}

// ---------------------------------------------------------------- drops

void MainWindowLogic::drop_entries_on_pane(ListSide target, std::optional<std::size_t> before) {
  const ListSide source = target == ListSide::Left ? ListSide::Right : ListSide::Left;
  book_.insert_copies(book_.list(source), book_.list(target), before);
}

void MainWindowLogic::drop_messages_on_pane(ListSide target,
                                            const std::vector<MessageContact>& messages,
                                            std::optional<std::size_t> before) {
  book_.entries_from_messages(messages, book_.list(target), before);
}

void MainWindowLogic::drop_rows_on_node(int node) {
  if (!tree_mode() || node < 0 || node >= static_cast<int>(tree_children_.size())) return;
  preset_default_from_category(node);
  PhoneBookList& left = book_.left();
  const std::string& text = tree_children_[static_cast<std::size_t>(node)];
  for (std::size_t row : third_view_.selected_rows()) {
    PhoneBookEntry& entry = left.entry(third_rows_[row]);
    switch (mode_) {
      case kModeType: entry.Type = text; break;
      case kModeWriteAs: entry.WriteAs = text; break;
      case kModeGroup: entry.Group = text; break;
      default: break;
    }
  }
  refresh_tree_view();
}

void MainWindowLogic::drop_messages_on_node(int node,
                                            const std::vector<MessageContact>& messages) {
  if (!tree_mode()) return;
  if (node >= 0 && node < static_cast<int>(tree_children_.size())) {
    preset_default_from_category(node);
  }
  book_.entries_from_messages(messages, book_.left(), std::nullopt);
  refresh_tree_view();
}

void MainWindowLogic::drop_messages_on_third_list(const std::vector<MessageContact>& messages) {
  if (!tree_mode()) return;
  if (selected_category_ >= 0) preset_default_from_category(selected_category_);
  book_.entries_from_messages(messages, book_.left(), std::nullopt);
  refresh_tree_view();
}

// ---------------------------------------------------------------- menus

EditMenuState MainWindowLogic::edit_menu() const {
  const PhoneBookList& list = book_.active();
  return edit_menu_state(!list.empty(), list.has_selection());
}

bool MainWindowLogic::popup_has_selection() { return current_view().first_selected().has_value(); }

// ---------------------------------------------------------------- link

std::optional<std::string> MainWindowLogic::link_state_changed(LinkState state) {
  link_state_ = state;
  if (state == LinkState::PhoneBook && read_) read_->started = true;
  if (state == LinkState::Idle) read_.reset();
  if (state != LinkState::Disconnected) return std::nullopt;
  // Entries a cut-off read has added are in the left list too.
  refresh_tree_view();
  const std::optional<ReadInProgress> read = std::exchange(read_, std::nullopt);
  if (!read || !read->started) return std::nullopt;
  const std::size_t now = book_.list(read->side).size();
  const std::size_t kept = now > read->entries_before ? now - read->entries_before : 0;
  std::string text = tx(kTextReadStopped);
  if (const auto at = text.find("%d"); at != std::string::npos) text.replace(at, 2, std::to_string(kept));
  return text;
}

// ---------------------------------------------------------------- find, print

std::optional<std::size_t> MainWindowLogic::find_next(const FindOptions& options) {
  return phondeck::find_next(current_view(), options, prompt_);
}

std::vector<std::string> MainWindowLogic::print_lines(const std::string& caption) {
  return phondeck::print_lines(current_view(), caption);
}

}  // namespace phondeck
