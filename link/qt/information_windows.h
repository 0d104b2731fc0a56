#pragma once
// The three information dialogs: Hardware Information (TOKHelpRightDlg1),
// Network Information (TOKHelpRightDlg2) and Operator Information
// (TOKHelpRightDlg4). They show what the link has stored; none of them sends
// anything to the handset.
#include <QDialog>

#include <array>

#include "link/handset_info.h"
#include "link/information_dialogs.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace phondeck {

// TOKHelpRightDlg1: the Hardware Information dialog.
class TOKHelpRightDlg1 final : public QDialog {
  Q_OBJECT
 public:
  explicit TOKHelpRightDlg1(QWidget* parent = nullptr);
  void apply_texts();
  // The Hardware command's filling; info's texts become "Unknown" without an IMEI.
  void fill(HandsetInfo& info);
  // Edit1..Edit8.
  QLineEdit* edit(int number) const { return edits_.at(static_cast<std::size_t>(number - 1)); }

 private:
  std::array<QLineEdit*, HardwareFields::kCount> edits_{};
  std::array<QLabel*, 7> rows_{};
  QPushButton* ok_ = nullptr;
};

// TOKHelpRightDlg2: the Network Information dialog.
class TOKHelpRightDlg2 final : public QDialog {
  Q_OBJECT
 public:
  explicit TOKHelpRightDlg2(QWidget* parent = nullptr);
  void apply_texts();
  void fill(const HandsetInfo& info);
  QLineEdit* edit(int number) const { return edits_.at(static_cast<std::size_t>(number - 1)); }

 private:
  // Battery, Signal Strength, and the hidden Service Area and Service Provider rows.
  std::array<QLineEdit*, 4> edits_{};
  std::array<QLabel*, 4> rows_{};
  QPushButton* ok_ = nullptr;
};

// TOKHelpRightDlg4: the Operator Information dialog.
class TOKHelpRightDlg4 final : public QDialog {
  Q_OBJECT
 public:
  explicit TOKHelpRightDlg4(QWidget* parent = nullptr);
  // Captions, and the operator list for the Traditional Chinese interface only.
  void apply_texts();
  // The handset's network details.
  void network_details(int mcc, int mnc);
  QLineEdit* Edit1() const { return edit1_; }
  QLineEdit* Edit2() const { return edit2_; }
  QComboBox* ComboBox1() const { return combo_; }
  const OperatorInformation& fields() const { return fields_; }

 private:
  void show_fields();

  OperatorInformation fields_;
  QLineEdit* edit1_ = nullptr;
  QLineEdit* edit2_ = nullptr;
  QComboBox* combo_ = nullptr;
  QLabel* mcc_label_ = nullptr;
  QLabel* mnc_label_ = nullptr;
  QLabel* detected_ = nullptr;
  QLabel* list_label_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* help_ = nullptr;
};

}  // namespace phondeck
