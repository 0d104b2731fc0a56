#include "ui/qt/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace phondeck {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Find"));
  setModal(false);
  text_ = new QLineEdit(this);
  whole_word_ = new QCheckBox(tr("Match &whole word only"), this);
  match_case_ = new QCheckBox(tr("Match &case"), this);
  match_case_->setChecked(true);
  auto* direction = new QGroupBox(tr("Direction"), this);
  up_ = new QRadioButton(tr("&Up"), direction);
  down_ = new QRadioButton(tr("&Down"), direction);
  down_->setChecked(true);
  auto* row = new QHBoxLayout(direction);
  row->addWidget(up_);
  row->addWidget(down_);
  find_next_ = new QPushButton(tr("&Find Next"), this);
  find_next_->setDefault(true);
  auto* cancel = new QPushButton(tr("Cancel"), this);

  auto* grid = new QGridLayout(this);
  auto* label = new QLabel(tr("Fi&nd what:"), this);
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
