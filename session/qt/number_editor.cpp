#include "session/qt/number_editor.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/language.h"
#include "app/text_table.h"

namespace phondeck {
namespace {
constexpr int kTextOk = 10;
constexpr int kTextCancel = 11;
constexpr int kTextEditMenu = 111;
constexpr int kTextPhoneField = 610;

QString qs(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

TOKRightDlg::TOKRightDlg(QWidget* parent) : QDialog(parent) {
  setModal(true);
  auto* outer = new QHBoxLayout(this);
  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::StyledPanel);
  body_ = new QGridLayout(frame);
  outer->addWidget(frame, 1);
  buttons_ = new QGridLayout;
  OKBtn = new QPushButton(this);
  CancelBtn = new QPushButton(this);
  OKBtn->setDefault(true);
  OKBtn->setAutoDefault(true);
  buttons_->addWidget(OKBtn, 0, 0);
  buttons_->addWidget(CancelBtn, 1, 0);
  buttons_->setRowStretch(3, 1);
  outer->addLayout(buttons_);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TOKRightDlg::apply_texts() {
  OKBtn->setText(qs(tx(kTextOk)));
  CancelBtn->setText(qs(tx(kTextCancel)));
  setWindowTitle(qs(window_title(tx(kTextEditMenu))));
}

// ------------------------------------------------------------------ phone Editor

TOKHelpRightDlg3::TOKHelpRightDlg3(QWidget* parent) : TOKRightDlg(parent) {
  label_ = new QLabel(this);
  field_ = new QLineEdit(this);
  field_->setMinimumWidth(180);
  body()->addWidget(label_, 0, 0);
  body()->addWidget(field_, 0, 1);
  apply_texts();
}

void TOKHelpRightDlg3::apply_texts() {
  TOKRightDlg::apply_texts();
  label_->setText(qs(tx(kTextPhoneField)));
}

void TOKHelpRightDlg3::set_number(const std::string& number) { field_->setText(qs(number)); }

std::string TOKHelpRightDlg3::number() const { return field_->text().toStdString(); }

void TOKHelpRightDlg3::accept() {
  if (check && !check(number())) {
    field_->setFocus();
    return;
  }
  TOKRightDlg::accept();
}

}  // namespace phondeck
