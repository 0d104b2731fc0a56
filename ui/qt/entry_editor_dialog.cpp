#include "ui/qt/entry_editor_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include <algorithm>

#include "app/help.h"
#include "app/language.h"
#include "app/text_table.h"

namespace phondeck {
namespace {
constexpr int kTextHelpButton = 60;
constexpr int kTextName = 191;
constexpr int kTextUnicode = 192;
constexpr int kTextPhone = 193;
constexpr int kTextType = 194;
constexpr int kTextPosition = 195;
constexpr int kTextGroup = 196;
constexpr int kTextWriteAs = 197;

QString qs(const std::string& text) { return QString::fromStdString(text); }
QString cleaned(int id) { return qs(window_title(tx(id))); }

void fill(QComboBox* box, const std::vector<std::string>& items, int index) {
  box->clear();
  for (const std::string& item : items) box->addItem(qs(item));
  box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

// A disabled UNICODE field looks like the inactive border, as the handset's
// manager always showed it.
void grey_when_disabled(QLineEdit* field, bool enabled) {
  field->setEnabled(enabled);
  QPalette palette = field->palette();
  palette.setColor(QPalette::Disabled, QPalette::Base, QColor(0xD4, 0xD0, 0xC8));
  field->setPalette(palette);
}
}  // namespace

// ------------------------------------------------------------------ Editor

TOKHelpRightDlg::TOKHelpRightDlg(PhoneBook& book, QWidget* parent)
    : TOKRightDlg(parent), logic_(book) {
  QGridLayout* grid = body();
  name_label_ = new QLabel(this);
  unicode_label_ = new QLabel(this);
  phone_label_ = new QLabel(this);
  position_label_ = new QLabel(this);
  type_label_ = new QLabel(this);
  group_label_ = new QLabel(this);
  write_as_label_ = new QLabel(this);
  name_ = new QLineEdit(this);
  unicode_ = new QLineEdit(this);
  phone_ = new QLineEdit(this);
  position_ = new QLineEdit(this);
  capacity_ = new QLabel(this);
  type_ = new QComboBox(this);
  group_ = new QComboBox(this);
  write_as_ = new QComboBox(this);

  grid->addWidget(name_label_, 0, 0);
  grid->addWidget(name_, 0, 1, 1, 3);
  grid->addWidget(unicode_label_, 1, 0);
  grid->addWidget(unicode_, 1, 1, 1, 3);
  auto* inserts = new QGridLayout;
  inserts->setSpacing(2);
  for (int k = 0; k < 10; ++k) {
    auto* button = new QPushButton(this);
    button->setFixedSize(28, 22);
    button->setFocusPolicy(Qt::NoFocus);
    insert_[static_cast<std::size_t>(k)] = button;
    inserts->addWidget(button, k / 5, k % 5);
    connect(button, &QPushButton::clicked, this, [this, k] { insert_clicked(k); });
  }
  grid->addLayout(inserts, 2, 1, 1, 3, Qt::AlignLeft);
  grid->addWidget(phone_label_, 3, 0);
  grid->addWidget(phone_, 3, 1, 1, 3);
  grid->addWidget(position_label_, 4, 0);
  grid->addWidget(position_, 4, 1);
  grid->addWidget(capacity_, 4, 2);
  grid->addWidget(type_label_, 5, 0);
  grid->addWidget(type_, 5, 1, 1, 3);
  grid->addWidget(group_label_, 6, 0);
  grid->addWidget(group_, 6, 1, 1, 3);
  grid->addWidget(write_as_label_, 7, 0);
  grid->addWidget(write_as_, 7, 1, 1, 3);
  grid->setColumnStretch(1, 1);

  HelpBtn = new QPushButton(this);
  HelpBtn->setAutoDefault(false);
  buttons_->addWidget(HelpBtn, 2, 0);
  connect(HelpBtn, &QPushButton::clicked, this, [] { open_help("#field"); });
  connect(type_, &QComboBox::activated, this, [this](int index) { type_chosen(index); });

  name_->setMinimumWidth(180);
  apply_texts();
}

void TOKHelpRightDlg::apply_texts() {
  TOKRightDlg::apply_texts();
  HelpBtn->setText(qs(tx(kTextHelpButton)));
  name_label_->setText(cleaned(kTextName));
  unicode_label_->setText(cleaned(kTextUnicode));
  phone_label_->setText(cleaned(kTextPhone));
  position_label_->setText(cleaned(kTextPosition));
  type_label_->setText(cleaned(kTextType));
  group_label_->setText(cleaned(kTextGroup));
  write_as_label_->setText(cleaned(kTextWriteAs));
  // Only the two Chinese languages have texts for the insert buttons;
  // elsewhere the buttons are not shown at all.
  const bool captioned = EntryEditorLogic::insert_buttons_captioned(language().code);
  for (int k = 0; k < 10; ++k) {
    QPushButton* button = insert_[static_cast<std::size_t>(k)];
    button->setText(captioned ? qs(EntryEditorLogic::insert_button_text(k)) : QString());
    // One character fits the small square; a word widens its button.
    button->setFixedWidth(std::max(28, button->fontMetrics().horizontalAdvance(button->text()) + 8));
    button->setVisible(captioned);
  }
}

void TOKHelpRightDlg::show_fields() {
  loading_ = true;
  const EditorFields& f = logic_.fields();
  const EditorEnabled& e = logic_.enabled();
  fill(type_, logic_.type_items(), f.type);
  fill(group_, logic_.group_items(), f.group);
  fill(write_as_, logic_.write_as_items(), f.write_as);
  name_->setText(qs(f.name));
  unicode_->setText(qs(f.unicode));
  phone_->setText(qs(f.phone));
  position_->setText(qs(f.pos));
  capacity_->setText(qs(logic_.capacity_label()));
  grey_when_disabled(unicode_, e.unicode);
  for (QPushButton* button : insert_) button->setEnabled(e.unicode);
  position_->setEnabled(e.position);
  type_->setEnabled(e.type);
  group_->setEnabled(e.group);
  write_as_->setEnabled(e.write_as);
  loading_ = false;
}

void TOKHelpRightDlg::take_fields() {
  EditorFields& f = logic_.fields();
  f.name = name_->text().toStdString();
  f.unicode = unicode_->text().toStdString();
  f.phone = phone_->text().toStdString();
  f.pos = position_->text().toStdString();
  f.type = type_->currentIndex();
  f.group = group_->currentIndex();
  f.write_as = write_as_->currentIndex();
}

void TOKHelpRightDlg::load(const EntryDefaults& defaults) {
  logic_.show(defaults);
  show_fields();
}

void TOKHelpRightDlg::store(EntryDefaults& defaults) {
  take_fields();
  logic_.accept(defaults);
}

void TOKHelpRightDlg::accept() {
  take_fields();
  if (!logic_.check_before_accept()) {
    phone_->setFocus();
    return;
  }
  TOKRightDlg::accept();
}

bool TOKHelpRightDlg::edit_entry_values(EntryDefaults& defaults) {
  load(defaults);
  name_->setFocus();
  if (exec() != QDialog::Accepted) return false;
  store(defaults);
  return true;
}

void TOKHelpRightDlg::type_chosen(int index) {
  if (loading_) return;
  take_fields();
  logic_.choose_type(index);
  capacity_->setText(qs(logic_.capacity_label()));
  position_->setText(qs(logic_.fields().pos));
}

void TOKHelpRightDlg::insert_clicked(int button) {
  take_fields();
  // The caret is counted in characters on screen and in bytes in the text.
  const QString before = unicode_->text().left(unicode_->cursorPosition());
  const std::size_t caret = logic_.insert_text(button, before.toStdString().size());
  const QString text = qs(logic_.fields().unicode);
  unicode_->setText(text);
  unicode_->setFocus();
  unicode_->setCursorPosition(
      static_cast<int>(QString::fromStdString(logic_.fields().unicode.substr(0, caret)).size()));
}

}  // namespace phondeck
