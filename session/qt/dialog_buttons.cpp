#include "session/qt/dialog_buttons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

namespace phondeck {

QHBoxLayout* add_ok_cancel_row(QDialog* dialog, QBoxLayout* layout, QPushButton*& ok, QPushButton*& cancel) {
  auto* row = new QHBoxLayout;
  ok = new QPushButton(dialog);
  cancel = new QPushButton(dialog);
  ok->setDefault(true);
  row->addStretch(1);
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return row;
}

}  // namespace phondeck
