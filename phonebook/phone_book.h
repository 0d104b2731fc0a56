#pragma once
// The phone-book model: the left and right lists (one of them active), the
// memory capacities and occupancy, the defaults new entries take, and every
// list operation the main window forwards its commands to.
//
// Operations ask their confirmations and show their messages through the
// Prompt given at construction. An operation that meets a Pos text that is
// not an integer shows "'<text>' is not a valid integer value" and stops,
// leaving the list as it had reached (returns false / nullopt).
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "phonebook/entry.h"
#include "phonebook/phone_book_list.h"

namespace phondeck {

class Prompt;

enum class SortKey { Name = 0, Unicode, Phone, Type, Position, Group, WriteAs };

// Capacities of the two phone-book memories and the occupancy of positions
// 1..254 for memory types 0..2.
struct MemoryMap {
  static constexpr int kTrackedTypes = 3;
  static constexpr int kTrackedPositions = 254;
  static constexpr std::uint8_t kResetCapacity = 200;

  std::array<std::uint8_t, 2> capacity{kResetCapacity, kResetCapacity};  // Phone, SIM
  std::array<std::array<bool, kTrackedPositions + 1>, kTrackedTypes> occupied{};  // [type][pos]

  // Both capacities back to 200 (link reset).
  void reset_capacities() { capacity = {kResetCapacity, kResetCapacity}; }
  bool is_occupied(int type, int pos) const;
};

// The values the Editor shows and new and dropped entries receive.
struct EntryDefaults {
  int type = 0;
  int group = 5;
  int write_as = 0;
  std::string Name;
  std::string UNICODE;
  std::string Phone;
  std::string Pos = "-1";

  // Before every new entry: texts empty, Pos "-1", the three indices -1.
  void reset();
  // Takes the entry's texts; the indices by table lookup (unknown text: 0).
  void load_from(const PhoneBookEntry& entry);
  // Writes Name, UNICODE, Phone, Pos and the display texts of the three
  // indices into the entry; Time is left as it is.
  void store_into(PhoneBookEntry& entry) const;
};

// A message dropped onto a list: the sender's number and name.
struct MessageContact {
  std::string number;
  std::string name;
};

enum class ListSide { Left, Right };

// The name a list shows for an entry: its UNICODE text when it is written
// with it (write-as other than Name) and not empty, else its Name.
std::string shown_name(const PhoneBookEntry& entry);
// The first entry of this very number, else the first whose number is the
// same (same_number in `country`), or nullptr; an empty number has none.
const PhoneBookEntry* entry_for_number(const std::vector<PhoneBookEntry>& entries, const std::string& number,
                                       const std::string& country);
const PhoneBookEntry* entry_for_number(const PhoneBookList& list, const std::string& number,
                                       const std::string& country);

class PhoneBook {
 public:
  explicit PhoneBook(Prompt& prompt) : prompt_(&prompt) {}

  PhoneBookList& left() { return left_; }
  PhoneBookList& right() { return right_; }
  const PhoneBookList& left() const { return left_; }
  const PhoneBookList& right() const { return right_; }
  PhoneBookList& list(ListSide side) { return side == ListSide::Left ? left_ : right_; }

  ListSide active_side() const { return active_; }
  void set_active(ListSide side) { active_ = side; }
  PhoneBookList& active() { return list(active_); }
  PhoneBookList& other() { return list(active_ == ListSide::Left ? ListSide::Right : ListSide::Left); }
  const PhoneBookList& active() const { return active_ == ListSide::Left ? left_ : right_; }

  MemoryMap& memory() { return memory_; }
  // Where the operations' messages and questions go.
  Prompt& prompt() const { return *prompt_; }
  EntryDefaults& defaults() { return defaults_; }

  // Appends one entry (the phone-book read adds to the active list).
  static void add_entry(PhoneBookList& list, std::string name, std::string unicode,
                        std::string phone, std::string type, std::string pos,
                        std::string group, std::string write_as, std::string time);

  // Rebuilds the occupancy flags from the active list.
  bool occupied_positions();
  // The first position of memory `type` not used by the active list. When the
  // memory is full, shows "Not enough memory on phone" and gives 0. Types
  // other than Phone and SIM: type 2 is tracked up to position 254, the call
  // registers (and any other value) are not tracked and give 1.
  std::optional<int> first_free_position(int type);

  // Stable ascending sort; Name, UNICODE and Phone by the user locale's
  // collation, Type, Group and WriteAs by table index, Position by value.
  bool sort(PhoneBookList& list, SortKey key);
  // Ordered by type and, within one type, by position.
  bool sort_by_type_and_position(PhoneBookList& list);

  // Numbers the whole list 1..N in its order, or, by type, sorts it by Type
  // and numbers from 1 for every run of equal Type texts.
  bool serialize_all_positions(PhoneBookList& list, bool by_type);
  // Sorts by type and position and raises equal or falling positions within
  // a type so that they strictly increase.
  bool serialize_duplicated_positions(PhoneBookList& list);
  // In simplified mode (BasicLevel on) serializes the list by type; call after
  // every edit, new entry and deletion.
  bool renumber_if_simplified(PhoneBookList& list);

  // Removes the selected entries (asks 3200 first when DelConfirm is on).
  // True when entries were removed.
  bool delete_selected(PhoneBookList& list);
  // Removes every entry and the title (asks 3201 first when DelConfirm is on).
  bool clear_all(PhoneBookList& list);
  // Appends copies of the selected entries of `from` to `to`, unselected.
  void copy_selected(const PhoneBookList& from, PhoneBookList& to);
  // Copies, then deletes with the delete confirmation; on No the copies stay.
  bool move_selected(PhoneBookList& from, PhoneBookList& to);
  // Inserts copies of the selected entries of `from` before entry `before` of
  // `to` (in order), or appends them when there is no drop-target entry.
  void insert_copies(const PhoneBookList& from, PhoneBookList& to,
                     std::optional<std::size_t> before);
  // One new entry per message, each with the first free position of the
  // default type, placed like insert_copies. Stops (false) if the free
  // position search fails on a bad Pos text.
  bool entries_from_messages(const std::vector<MessageContact>& messages, PhoneBookList& to,
                             std::optional<std::size_t> before);

  // In both lists, Group texts equal to `old_name` become `new_name`.
  void rename_group(const std::string& old_name, const std::string& new_name);

  // The name for a telephone number: the active list's, else the other's.
  // Only an entry of the same number counts (same_number: its national and
  // international forms are one in `country`, the handset network's); the
  // very text in either list comes first.
  std::string name_for_number(const std::string& number, const std::string& country) const;

 private:
  bool check_positions(const PhoneBookList& list);

  Prompt* prompt_;
  PhoneBookList left_;
  PhoneBookList right_;
  ListSide active_ = ListSide::Left;
  MemoryMap memory_;
  EntryDefaults defaults_;
};

}  // namespace phondeck
