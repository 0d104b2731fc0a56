#pragma once
// A find dialog with the usual three options: direction (down at first),
// match case (on at first) and whole word (off at first). Not modal: each
// Find Next press asks the main window to search on.
#include <QDialog>

#include "ui/find_print.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace phondeck {

class FindDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit FindDialog(QWidget* parent = nullptr);
  FindOptions options() const;
  QLineEdit* text_field() const { return text_; }
  QPushButton* find_next_button() const { return find_next_; }
  // Captions from the text table; again at each showing.
  void apply_texts();

 signals:
  void find_next_pressed(phondeck::FindOptions options);

protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* label_ = nullptr;
  QGroupBox* direction_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLineEdit* text_ = nullptr;
  QCheckBox* match_case_ = nullptr;
  QCheckBox* whole_word_ = nullptr;
  QRadioButton* up_ = nullptr;
  QRadioButton* down_ = nullptr;
  QPushButton* find_next_ = nullptr;
};

}  // namespace phondeck
