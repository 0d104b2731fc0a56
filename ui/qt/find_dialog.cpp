#include "ui/qt/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "app/text_table.h"

namespace phondeck {

namespace {
constexpr int kTextCancel = 11;
constexpr int kTextFind = 3062;
constexpr int kTextWholeWord = 3063;
constexpr int kTextMatchCase = 3064;
constexpr int kTextDirection = 3065;
constexpr int kTextUp = 3066;
constexpr int kTextDown = 3067;
constexpr int kTextFindNext = 3068;
constexpr int kTextFindWhat = 3069;
}  // namespace

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setModal(false);
  text_ = new QLineEdit(this);
  whole_word_ = new QCheckBox(this);
  match_case_ = new QCheckBox(this);
  match_case_->setChecked(true);
  direction_ = new QGroupBox(this);
  auto* direction = direction_;
  up_ = new QRadioButton(direction);
  down_ = new QRadioButton(direction);
  down_->setChecked(true);
  auto* row = new QHBoxLayout(direction);
  row->addWidget(up_);
  row->addWidget(down_);
  find_next_ = new QPushButton(this);
  find_next_->setDefault(true);
  cancel_ = new QPushButton(this);
  auto* cancel = cancel_;

  auto* grid = new QGridLayout(this);
  label_ = new QLabel(this);
  auto* label = label_;
  label->setBuddy(text_);  // the "&" marks Alt+N, which puts the caret in the field
  grid->addWidget(label, 0, 0);
  grid->addWidget(text_, 0, 1, 1, 2);
  grid->addWidget(whole_word_, 1, 0, 1, 2);
  grid->addWidget(match_case_, 2, 0, 1, 2);
  grid->addWidget(direction, 1, 2, 2, 1);
  grid->addWidget(find_next_, 0, 3);
  grid->addWidget(cancel, 1, 3);

  // As long as there is nothing to search for, Find Next stays greyed.
  find_next_->setEnabled(false);
  connect(text_, &QLineEdit::textChanged, this,
          [this](const QString& text) { find_next_->setEnabled(!text.isEmpty()); });
  connect(find_next_, &QPushButton::clicked, this, [this] { emit find_next_pressed(options()); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
  apply_texts();
}

void FindDialog::apply_texts() {
  const auto text = [](int id) { return QString::fromStdString(tx(id)); };
  setWindowTitle(text(kTextFind));
  label_->setText(text(kTextFindWhat));
  whole_word_->setText(text(kTextWholeWord));
  match_case_->setText(text(kTextMatchCase));
  direction_->setTitle(text(kTextDirection));
  up_->setText(text(kTextUp));
  down_->setText(text(kTextDown));
  find_next_->setText(text(kTextFindNext));
  // Cancel without its Alt key, which Match case has.
  QString cancel = text(kTextCancel);
  cancel.remove(QRegularExpression(QStringLiteral("\\(&.\\)$")));
  cancel_->setText(cancel.remove(QLatin1Char('&')));
}

void FindDialog::showEvent(QShowEvent* event) {
  // The language may have changed since the dialog was made.
  apply_texts();
  QDialog::showEvent(event);
}

FindOptions FindDialog::options() const {
  FindOptions o;
  o.text = text_->text().toStdString();
  o.down = down_->isChecked();
  o.match_case = match_case_->isChecked();
  o.whole_word = whole_word_->isChecked();
  return o;
}

}  // namespace phondeck
