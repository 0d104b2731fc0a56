#include "organiser/qt/archive_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/text_table.h"
#include "session/qt/dialog_buttons.h"

namespace phondeck {
namespace {

constexpr int kTextArchive = 3726;
constexpr int kTextFolder = 3727;
constexpr int kTextDeleteWritten = 3721;
constexpr int kTextBrowse = 412;  // "..."

QString qtx(int id) { return QString::fromStdString(tx(id)); }

}  // namespace

ArchiveDialog::ArchiveDialog(QWidget* parent) : QDialog(parent) {
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* label = new QLabel(qtx(kTextFolder), this);
  folder_ = new QLineEdit(this);
  browse_ = new QPushButton(this);
  label->setBuddy(folder_);
  row->addWidget(label);
  row->addWidget(folder_, 1);
  row->addWidget(browse_);
  layout->addLayout(row);
  delete_ = new QCheckBox(this);
  layout->addWidget(delete_);
  add_ok_cancel_row(this, layout, ok_, cancel_);
  connect(browse_, &QPushButton::clicked, this, [this] {
    const QString dir = QFileDialog::getExistingDirectory(this, qtx(kTextFolder), folder_->text());
    if (!dir.isEmpty()) folder_->setText(dir);
  });
  connect(folder_, &QLineEdit::textChanged, this, [this] { ok_->setEnabled(!folder_->text().trimmed().isEmpty()); });
  ok_->setEnabled(false);
  apply_texts();
}

void ArchiveDialog::apply_texts() {
  setWindowTitle(qtx(kTextArchive));
  browse_->setText(qtx(kTextBrowse));
  delete_->setText(qtx(kTextDeleteWritten));
  ok_->setText(qtx(10));
  cancel_->setText(qtx(11));
}

std::string ArchiveDialog::folder() const { return folder_->text().trimmed().toStdString(); }

bool ArchiveDialog::delete_written() const { return delete_->isChecked(); }

}  // namespace phondeck
