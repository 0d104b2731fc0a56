#pragma once
// The OK/Cancel dialog the editors derive from (TOKRightDlg), and the
// one-field phone Editor TOKHelpRightDlg3 the windows ask a number with.
#include <QDialog>

#include <functional>
#include <string>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace phondeck {

// TOKRightDlg: the OK/Cancel dialog the editors derive from.
// OK closes with result OK and is the default button; Cancel and Esc close
// with result Cancel.
class TOKRightDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TOKRightDlg(QWidget* parent = nullptr);
  virtual void apply_texts();

 protected:
  // Where subclasses put their controls, left of the buttons.
  QGridLayout* body() { return body_; }
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QGridLayout* buttons_ = nullptr;

 private:
  QGridLayout* body_ = nullptr;
};

// TOKHelpRightDlg3: the phone Editor, one number field.
class TOKHelpRightDlg3 final : public TOKRightDlg {
  Q_OBJECT
 public:
  explicit TOKHelpRightDlg3(QWidget* parent = nullptr);
  void apply_texts() override;

  void set_number(const std::string& number);
  std::string number() const;
  QLineEdit* field() const { return field_; }
  // OK's check of the number (the dialog stays open while it says false);
  // none accepts every number.
  std::function<bool(const std::string&)> check;

  void accept() override;

 private:
  QLabel* label_ = nullptr;
  QLineEdit* field_ = nullptr;
};

}  // namespace phondeck
