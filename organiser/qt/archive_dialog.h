#pragma once
// Messages > File > Archive...: the folder the messages go into and whether
// the archived messages are then deleted from the handset.
#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace phondeck {

class ArchiveDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit ArchiveDialog(QWidget* parent = nullptr);
  void apply_texts();
  std::string folder() const;
  bool delete_written() const;
  QLineEdit* folder_field() const { return folder_; }
  QCheckBox* delete_box() const { return delete_; }

 private:
  QLineEdit* folder_ = nullptr;
  QPushButton* browse_ = nullptr;
  QCheckBox* delete_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace phondeck
