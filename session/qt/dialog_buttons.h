#pragma once
// The button row at the foot of a dialog.
class QBoxLayout;
class QDialog;
class QHBoxLayout;
class QPushButton;

namespace phondeck {

// OK (the default) and Cancel at the right of a new row added to layout,
// wired to the dialog's accept and reject. More buttons may follow on the
// row it returns. Their captions come with the dialog's texts.
QHBoxLayout* add_ok_cancel_row(QDialog* dialog, QBoxLayout* layout, QPushButton*& ok, QPushButton*& cancel);

}  // namespace phondeck
