#pragma once
// File > Backup Handset... and File > Restore Handset...: the whole handset
// into one archive with a progress dialog over its parts, and back through
// a dialog that shows, part by part, what a restore would change before
// anything is written.
#include <QDialog>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "session/handset_backup.h"

class QBoxLayout;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace phondeck {

class HandsetSession;
class Prompt;

// The engine's own refusal (a text id) for a command started now; 0 when
// the link is connected and free.
int link_refusal(const HandsetSession& session);
// Tells that refusal; true when there is one.
bool refuse_unless_free(const HandsetSession& session, Prompt& prompt);
// Runs each operation on a local event loop until its completion is told:
// the serial port's notices reach the session as posted window messages, so
// the window's events must run while a modal dialog waits for the result.
OperationRunner window_runner();

// The part's label and a bar over the parts, added to `layout`; and the
// part `index` of `count` shown on them ("" at the end).
void add_part_progress(QWidget* parent, QBoxLayout* layout, QLabel*& label, QProgressBar*& bar);
void show_progress(QProgressBar* bar, QLabel* label, int index, int count, const std::string& title);

// Refuses (with the engine's message) unless the link is connected and free.
// Then the backup's dialog (Verify), the archive's name, and every part read
// into it; the summary in a message box.
void backup_handset_with_dialog(QWidget* parent, HandsetSession& session, Prompt& prompt);
// Refuses like the backup; then asks for the archive, refuses a bad one with
// its reason (one changed since it was written: Restore Anyway opens it with
// the checksums ignored), and runs the restore dialog.
void restore_handset_with_dialog(QWidget* parent, HandsetSession& session, Prompt& prompt);

// The backup's page: Verify (read every part twice and compare), then OK
// goes on to the archive's name.
class BackupDialog final : public QDialog {
 public:
  explicit BackupDialog(bool verify, QWidget* parent = nullptr);
  QCheckBox* verify_box() const { return verify_; }
  bool verify() const;

 private:
  QCheckBox* verify_ = nullptr;
};

// The restore's page: the backup's handset and time, a check box for each
// part (the default parts checked; messages apart and unchecked; a part the
// backup lacks or the model has not disabled), Compare (the dry run: the
// changes per part) and Restore (enabled once the parts checked now were
// compared), with progress and, at the end, the restore's summary.
class RestoreDialog final : public QDialog {
 public:
  // run: the restore with these options; its part listener goes to show_part().
  using Run = std::function<RestoreResult(const RestoreOptions&)>;
  // changed: the backup's files changed since it was written (opened with
  // the checksums ignored), named above the parts.
  RestoreDialog(const BackupManifest& manifest, const HandsetInfo& info, Run run, QWidget* parent = nullptr,
                const std::vector<std::string>& changed = {});

  // The progress bar and the part's name ("" at the end).
  void show_part(int index, int count, const std::string& title);
  // The parts checked, as a restore's options.
  RestoreOptions options(bool dry_run) const;

  QCheckBox* part_box(BackupPart part) const { return boxes_.at(part); }
  // Under Messages: leave the backup's received messages out.
  QCheckBox* received_box() const { return received_; }
  // The comparison side by side: each part, and under it what differs, what
  // the handset holds and what the backup holds.
  QTreeWidget* differences() const { return differences_; }
  QPushButton* compare_button() const { return compare_; }
  QPushButton* restore_button() const { return restore_; }
  QPushButton* close_button() const { return close_; }
  QPlainTextEdit* report() const { return report_; }
  QProgressBar* progress() const { return progress_; }
  QLabel* part_label() const { return part_; }
  bool running() const { return running_; }

  // Closing is ignored while a run goes on.
  void reject() override;

 private:
  void run_restore(bool dry_run);
  void show_differences(const RestoreResult& result, bool dry_run);
  void update_buttons();

  Run run_;
  QWidget* parts_ = nullptr;
  std::map<BackupPart, QCheckBox*> boxes_;
  QCheckBox* received_ = nullptr;
  QTreeWidget* differences_ = nullptr;
  QPushButton* compare_ = nullptr;
  QPushButton* restore_ = nullptr;
  QPushButton* close_ = nullptr;
  QPlainTextEdit* report_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* part_ = nullptr;
  bool running_ = false;
  bool compared_ = false;  // the parts checked now were compared, and could be
};

}  // namespace phondeck
