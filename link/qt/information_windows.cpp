#include "link/qt/information_windows.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <initializer_list>

#include "app/help.h"
#include "app/language.h"
#include "app/text_table.h"

namespace phondeck {
namespace {

constexpr int kTextOk = 10;
constexpr int kTextHardware = 135;
constexpr int kTextNetwork = 136;
constexpr int kTextOperator = 1900;
constexpr int kTextMcc = 1901;
constexpr int kTextMnc = 1902;
constexpr int kTextOperatorList = 1903;
constexpr int kTextDetected = 1910;
constexpr int kTextHelp = 60;

QString qs(const std::string& text) { return QString::fromStdString(text); }
QString title(int id) { return qs(window_title(tx(id))); }
// A button caption without its accelerator marker's surroundings.
QString button(int id) { return qs(tx(id)); }

QLineEdit* read_only_edit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setReadOnly(true);
  return edit;
}

// The dialog's layout: the field grid above a row of buttons on the right,
// the first of them an OK button that accepts. Returns the OK button.
QPushButton* lay_out(QDialog* dialog, QGridLayout* grid, std::initializer_list<QPushButton*> more = {}) {
  auto* ok = new QPushButton(dialog);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  auto* layout = new QVBoxLayout(dialog);
  layout->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  for (QPushButton* button : more) buttons->addWidget(button);
  layout->addLayout(buttons);
  return ok;
}

}  // namespace

TOKHelpRightDlg1::TOKHelpRightDlg1(QWidget* parent) : QDialog(parent) {
  setModal(true);
  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i] = new QLabel(this);
  for (QLineEdit*& edit : edits_) edit = read_only_edit(this);
  // Rows: IMEI, Manufacturer, Model (two fields), Frequency, Assembled in,
  // hardware and firmware versions.
  int edit = 0;
  for (int row = 0; row < 7; ++row) {
    grid->addWidget(rows_[static_cast<std::size_t>(row)], row, 0);
    if (row == 2) {
      grid->addWidget(edits_[static_cast<std::size_t>(edit++)], row, 1);
      grid->addWidget(edits_[static_cast<std::size_t>(edit++)], row, 2);
    } else {
      grid->addWidget(edits_[static_cast<std::size_t>(edit++)], row, 1, 1, 2);
    }
  }
  ok_ = lay_out(this, grid);
  apply_texts();
}

void TOKHelpRightDlg1::apply_texts() {
  setWindowTitle(title(kTextHardware));
  const auto ids = HardwareFields::row_text_ids();
  for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i]->setText(qs(tx(ids[i])));
  ok_->setText(button(kTextOk));
}

void TOKHelpRightDlg1::fill(HandsetInfo& info) {
  const HardwareFields fields = hardware_information(info);
  for (std::size_t i = 0; i < edits_.size(); ++i) edits_[i]->setText(qs(fields.edit[i]));
}

TOKHelpRightDlg2::TOKHelpRightDlg2(QWidget* parent) : QDialog(parent) {
  setModal(true);
  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < edits_.size(); ++i) {
    rows_[i] = new QLabel(this);
    edits_[i] = read_only_edit(this);
    grid->addWidget(rows_[i], static_cast<int>(i), 0);
    grid->addWidget(edits_[i], static_cast<int>(i), 1);
  }
  // Service area and provider are not reported by the handsets.
  for (std::size_t i = 2; i < 4; ++i) {
    rows_[i]->hide();
    edits_[i]->hide();
  }
  ok_ = lay_out(this, grid);
  apply_texts();
}

void TOKHelpRightDlg2::apply_texts() {
  setWindowTitle(title(kTextNetwork));
  for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i]->setText(qs(tx(500 + static_cast<int>(i))));
  ok_->setText(button(kTextOk));
}

void TOKHelpRightDlg2::fill(const HandsetInfo& info) {
  const NetworkFields fields = network_information(info);
  edits_[0]->setText(qs(fields.battery));
  edits_[1]->setText(qs(fields.signal));
}

TOKHelpRightDlg4::TOKHelpRightDlg4(QWidget* parent) : QDialog(parent) {
  setModal(true);
  detected_ = new QLabel(this);
  mcc_label_ = new QLabel(this);
  mnc_label_ = new QLabel(this);
  list_label_ = new QLabel(this);
  edit1_ = new QLineEdit(this);
  edit2_ = new QLineEdit(this);
  combo_ = new QComboBox(this);
  for (const OperatorLine& line : OperatorInformation::operator_lines()) combo_->addItem(qs(line.text));
  connect(combo_, &QComboBox::activated, this, [this](int index) {
    fields_.select_line(index);
    show_fields();
  });
  connect(edit1_, &QLineEdit::textEdited, this, [this](const QString& text) { fields_.mcc = text.toStdString(); });
  connect(edit2_, &QLineEdit::textEdited, this, [this](const QString& text) { fields_.mnc = text.toStdString(); });
  help_ = new QPushButton(this);
  connect(help_, &QPushButton::clicked, this, [] { open_help("#mcc"); });

  auto* grid = new QGridLayout;
  grid->addWidget(detected_, 0, 0, 1, 2);
  grid->addWidget(mcc_label_, 1, 0);
  grid->addWidget(edit1_, 1, 1);
  grid->addWidget(mnc_label_, 2, 0);
  grid->addWidget(edit2_, 2, 1);
  grid->addWidget(list_label_, 3, 0);
  grid->addWidget(combo_, 3, 1);
  ok_ = lay_out(this, grid, {help_});
  apply_texts();
}

void TOKHelpRightDlg4::apply_texts() {
  setWindowTitle(title(kTextOperator));
  detected_->setText(qs(tx(kTextDetected)));
  mcc_label_->setText(qs(tx(kTextMcc)));
  mnc_label_->setText(qs(tx(kTextMnc)));
  list_label_->setText(qs(tx(kTextOperatorList)));
  ok_->setText(button(kTextOk));
  help_->setText(button(kTextHelp));
  const bool list = OperatorInformation::shows_operator_list(language().code);
  list_label_->setVisible(list);
  combo_->setVisible(list);
}

void TOKHelpRightDlg4::network_details(int mcc, int mnc) {
  fields_.network_details(mcc, mnc);
  show_fields();
}

void TOKHelpRightDlg4::show_fields() {
  edit1_->setText(qs(fields_.mcc));
  edit2_->setText(qs(fields_.mnc));
  combo_->setCurrentIndex(fields_.selected);
}

}  // namespace phondeck
