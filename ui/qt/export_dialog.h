#pragma once
// File > Export for a New Phone...: the folder, the vCard version and the
// numbers' country; Read (a progress bar over the parts, Cancel), the
// preview of what was read with the entries offered as one contact and one
// Merge check box for them; Write, the summary, and Open Folder.
#include <QDialog>
#include <functional>
#include <string>

#include "ui/export_logic.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace phondeck {

class HandsetSession;
class Prompt;

// Refuses (with the engine's message) unless the link is connected and free,
// then runs the dialog.
void export_for_new_phone_with_dialog(QWidget* parent, HandsetSession& session, Prompt& prompt);

class ExportDialog final : public QDialog {
 public:
  // `open_folder` shows a folder on the desktop (QDesktopServices unless given).
  ExportDialog(HandsetSession& session, Prompt& prompt, OperationRunner runner,
               QWidget* parent = nullptr, std::function<void(const QString&)> open_folder = {});

  QLineEdit* folder() const { return folder_; }
  QComboBox* version() const { return version_; }
  QLineEdit* country() const { return country_; }
  QPushButton* read_button() const { return read_; }
  QPushButton* write_button() const { return write_; }
  QPushButton* open_button() const { return open_; }
  QPushButton* close_button() const { return close_; }
  QCheckBox* merge_box() const { return merge_; }
  QPlainTextEdit* report() const { return report_; }
  QProgressBar* progress() const { return progress_; }
  ExportLogic& logic() { return logic_; }

  // While Read runs: Cancel stops it after the running operation; else the
  // dialog closes.
  void reject() override;

 private:
  void run_read();
  void run_write();
  void update_buttons();

  ExportLogic logic_;
  std::function<void(const QString&)> open_folder_;
  QLineEdit* folder_ = nullptr;
  QComboBox* version_ = nullptr;
  QLineEdit* country_ = nullptr;
  std::string prefilled_country_;
  QPushButton* read_ = nullptr;
  QPushButton* write_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* close_ = nullptr;
  QCheckBox* merge_ = nullptr;
  QPlainTextEdit* report_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* part_ = nullptr;
  bool running_ = false;
  bool written_ = false;
  QString written_dir_;
};

}  // namespace phondeck
