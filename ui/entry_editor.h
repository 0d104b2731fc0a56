#pragma once
// The Editor's data and rules (the dialog TOKHelpRightDlg shows them): which
// controls are enabled, the choices' items, the capacity label, the proposed
// free position when a memory type is chosen, and what OK takes back.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "phonebook/phone_book.h"

namespace phondeck {

struct EditorFields {
  std::string name;
  std::string unicode;
  std::string phone;
  std::string pos;
  int type = 0;
  int group = 0;
  int write_as = 0;
};

struct EditorEnabled {
  bool unicode = true;         // field and its ten insert buttons
  bool position = true;
  bool type = true;
  bool group = true;
  bool write_as = true;
};

class EntryEditorLogic {
 public:
  explicit EntryEditorLogic(PhoneBook& book) : book_(book) {}

  // Showing the Editor: items of the three choices from the current texts,
  // enabled states, fields from the defaults (texts trimmed), capacity label.
  void show(const EntryDefaults& defaults);

  // The Type choice changed: new capacity label; for Phone and SIM the
  // Position field gets the first free position of that memory (0 and a
  // message when it is full).
  void choose_type(int type);

  // An insert button: its text goes into the UNICODE field at byte offset
  // caret; returns the caret after the inserted text.
  std::size_t insert_text(int button, std::size_t caret);

  // OK's check: false, after telling the user why, when the Phone field
  // (trimmed) holds a character a handset number cannot; the fields stay.
  bool check_before_accept() const;
  // OK: Name, UNICODE and Phone trimmed, the three indices, Pos as typed.
  void accept(EntryDefaults& defaults) const;

  // A number the handset can store: digits, "*", "#", "p", "w", and "+" as
  // the first character only. The empty number is allowed.
  static bool phone_number_valid(const std::string& phone);

  EditorFields& fields() { return fields_; }
  const EditorFields& fields() const { return fields_; }
  const EditorEnabled& enabled() const { return enabled_; }
  const std::string& capacity_label() const { return capacity_label_; }
  const std::vector<std::string>& type_items() const { return type_items_; }
  const std::vector<std::string>& group_items() const { return group_items_; }
  const std::vector<std::string>& write_as_items() const { return write_as_items_; }

  // Texts of the insert buttons (400 .. 409); their captions are shown only
  // for the Chinese languages.
  static std::string insert_button_text(int button);
  static bool insert_buttons_captioned(const std::string& language_code);

 private:
  void update_capacity_label();

  PhoneBook& book_;
  EditorFields fields_;
  EditorEnabled enabled_;
  std::string capacity_label_;
  std::vector<std::string> type_items_;
  std::vector<std::string> group_items_;
  std::vector<std::string> write_as_items_;
};

// Leading and trailing blanks removed.
std::string trim_blanks(const std::string& text);

}  // namespace phondeck
