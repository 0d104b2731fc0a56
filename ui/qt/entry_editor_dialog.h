#pragma once
// The entry Editor TOKHelpRightDlg: name, UNICODE name, phone, position,
// type, group and write-as of one phone-book entry.
#include <array>

#include "session/qt/number_editor.h"
#include "ui/entry_editor.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QGridLayout;

namespace phondeck {

// TOKHelpRightDlg: the entry Editor.
class TOKHelpRightDlg final : public TOKRightDlg {
  Q_OBJECT
 public:
  TOKHelpRightDlg(PhoneBook& book, QWidget* parent = nullptr);
  void apply_texts() override;

  // Shows the dialog modally with the defaults; on OK the dialog's values go
  // back into them. True for OK.
  bool edit_entry_values(EntryDefaults& defaults);

  // For tests and screenshots: load the defaults into the controls without
  // running the dialog, and take the controls' values as OK would.
  void load(const EntryDefaults& defaults);
  void store(EntryDefaults& defaults);
  EntryEditorLogic& logic() { return logic_; }

  QLineEdit* name_field() const { return name_; }
  QLineEdit* unicode_field() const { return unicode_; }
  QLineEdit* phone_field() const { return phone_; }
  QLineEdit* position_field() const { return position_; }
  QComboBox* type_choice() const { return type_; }
  QComboBox* group_choice() const { return group_; }
  QComboBox* write_as_choice() const { return write_as_; }
  QLabel* capacity_label() const { return capacity_; }
  QPushButton* insert_button(int k) const { return insert_[static_cast<std::size_t>(k)]; }

  // OK: refused, with the reason, while the Phone field holds a character a
  // handset number cannot.
  void accept() override;

 private:
  void type_chosen(int index);
  void insert_clicked(int button);
  void show_fields();
  void take_fields();

  EntryEditorLogic logic_;
  bool loading_ = false;
  QLabel* name_label_ = nullptr;
  QLabel* unicode_label_ = nullptr;
  QLabel* phone_label_ = nullptr;
  QLabel* position_label_ = nullptr;
  QLabel* type_label_ = nullptr;
  QLabel* group_label_ = nullptr;
  QLabel* write_as_label_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* unicode_ = nullptr;
  QLineEdit* phone_ = nullptr;
  QLineEdit* position_ = nullptr;
  QLabel* capacity_ = nullptr;
  QComboBox* type_ = nullptr;
  QComboBox* group_ = nullptr;
  QComboBox* write_as_ = nullptr;
  std::array<QPushButton*, 10> insert_{};
  QPushButton* HelpBtn = nullptr;
};

}  // namespace phondeck
