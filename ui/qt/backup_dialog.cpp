#include "ui/qt/backup_dialog.h"

#include <QCheckBox>
#include <QDate>
#include <QDateTime>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <exception>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/prompt.h"
#include "app/text_table.h"
#include "session/handset_session.h"
#include "session/qt/dialog_buttons.h"
#include "session/qt/save_dialog.h"

namespace phondeck {
namespace {

constexpr int kTextOk = 10;
constexpr int kTextCancel = 11;
constexpr int kTextBusy = 3100;
constexpr int kTextConnectFirst = 3101;
constexpr int kTextBackupHandset = 3730;
constexpr int kTextRestoreHandset = 3731;
constexpr int kTextBackupFilter = 3732;
constexpr int kTextBackupOf = 3733;
constexpr int kTextParts = 3734;
constexpr int kTextMessagesPart = 3735;
constexpr int kTextCompare = 3736;
constexpr int kTextRestore = 3737;
constexpr int kTextClose = 3738;
constexpr int kTextCannotRestore = 3739;
constexpr int kTextCompareFirst = 3740;
constexpr int kTextToChange = 3741;
constexpr int kTextAsInBackup = 3742;
constexpr int kTextNotInBackup = 3743;
constexpr int kTextNotOnModel = 3744;
constexpr int kTextNothingToChange = 3745;
constexpr int kTextWrittenTo = 3746;
constexpr int kTextNotRestored = 3747;
constexpr int kTextLeaveReceived = 3560;
constexpr int kTextWhatDiffers = 3561;
constexpr int kTextOnHandset = 3562;
constexpr int kTextInBackup = 3563;
constexpr int kTextChangedFiles = 3564;
constexpr int kTextRestoreChanged = 3565;
constexpr int kTextDiffers = 3574;
constexpr int kTextOtherHandset = 3578;  // then not on the handset, on the handset only, kept otherwise
constexpr int kTextVerify = 3755;
constexpr int kTextNameNext = 3756;

QString qs(const std::string& text) { return QString::fromStdString(text); }
QString qtx(int id) { return qs(tx(id)); }

std::string capitalised(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

std::string now_text() {
  return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toStdString();
}

std::string kind_label(Difference::Kind kind) { return tx(kTextDiffers + static_cast<int>(kind)); }

// The dry run part by part: the handsets when they differ, the files changed
// since the backup, what differs (with both sides), or that the part is as
// in the backup.
std::string comparison_text(const RestoreResult& result) {
  std::string text;
  const auto line = [&text](const std::string& next) { text += (text.empty() ? "" : "\n") + next; };
  if (!result.other_handset.empty()) line(result.other_handset);
  if (!result.changed_files.empty()) {
    std::string names;
    for (const std::string& f : result.changed_files) names += (names.empty() ? "" : ", ") + f;
    line(tx_with(kTextChangedFiles, {names}));
  }
  bool changes = false;
  for (const PartOutcome& p : result.parts) {
    const std::string title = capitalised(part_title(p.part));
    if (p.changes.empty()) {
      line(tx_with(kTextAsInBackup, {title}));
      continue;
    }
    changes = true;
    line(tx_with(kTextToChange, {title, std::to_string(p.changes.size())}));
    for (const Difference& change : p.changes) line("  " + change.text());
    if (!p.note.empty()) line("  " + p.note);
  }
  for (const std::string& skipped : result.skipped) line(tx_with(kTextNotRestored, {skipped}));
  if (!changes) line(tx(kTextNothingToChange));
  return text;
}

// The backup's progress: the part being read and a bar over the parts.
class PartProgress final : public QDialog {
 public:
  PartProgress(QWidget* parent, const QString& caption) : QDialog(parent) {
    setWindowTitle(caption);
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(this);
    label_->setMinimumWidth(320);
    bar_ = new QProgressBar(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
  }
  void show_part(int index, int count, const std::string& title) { show_progress(bar_, label_, index, count, title); }
  // It goes when the backup ends.
  void reject() override {}

 private:
  QLabel* label_ = nullptr;
  QProgressBar* bar_ = nullptr;
};

}  // namespace

void show_progress(QProgressBar* bar, QLabel* label, int index, int count, const std::string& title) {
  const int steps = std::max(count, 1);
  bar->setRange(0, steps);
  bar->setValue(std::clamp(index, 0, steps));
  label->setText(qs(capitalised(title)));
}

void add_part_progress(QWidget* parent, QBoxLayout* layout, QLabel*& label, QProgressBar*& bar) {
  label = new QLabel(parent);
  bar = new QProgressBar(parent);
  bar->setRange(0, 1);
  bar->setValue(0);
  layout->addWidget(label);
  layout->addWidget(bar);
}

// The engine's own refusal for a command started now; 0 when the link is
// connected and free (the keep-alive exchange lets an operation queue).
int link_refusal(const HandsetSession& session) {
  switch (session.state()) {
    case LinkState::Idle:
    case LinkState::StatusPoll:
      return 0;
    case LinkState::Disconnected:
    case LinkState::Connecting:
      return kTextConnectFirst;
    default:
      return kTextBusy;
  }
}

bool refuse_unless_free(const HandsetSession& session, Prompt& prompt) {
  const int refusal = link_refusal(session);
  if (refusal != 0) prompt.message(tx(refusal));
  return refusal != 0;
}

OperationRunner window_runner() {
  return [](const std::function<bool(StartOptions)>& start) {
    // Shared with the completion, which quits the loop once it is told.
    struct Wait {
      std::optional<OperationResult> told;
      QEventLoop* loop = nullptr;
    };
    const auto wait = std::make_shared<Wait>();
    StartOptions options;
    options.done = [wait](const OperationResult& result) {
      wait->told = result;
      if (wait->loop != nullptr) wait->loop->quit();
    };
    const bool started = start(std::move(options));
    if (!wait->told && started) {
      QEventLoop loop;
      wait->loop = &loop;
      loop.exec();
      wait->loop = nullptr;
    }
    return wait->told ? *wait->told : untold_result(started);
  };
}

void backup_handset_with_dialog(QWidget* parent, HandsetSession& session, Prompt& prompt) {
  if (refuse_unless_free(session, prompt)) return;
  const QString caption = qs(window_title(tx(kTextBackupHandset)));
  // The choice holds for the next backup while the program runs.
  static bool verify = false;
  {
    BackupDialog options(verify, parent);
    options.setWindowTitle(caption);
    if (options.exec() != QDialog::Accepted) return;
    verify = options.verify();
  }
  const std::string& model = session.info().model;
  const QString name = qs(model.empty() ? "handset" : model) + QLatin1Char('-') +
                       QDate::currentDate().toString(Qt::ISODate);
  const QString path = save_file_name(parent, caption, qtx(kTextBackupFilter), name);
  if (path.isEmpty() || refuse_unless_free(session, prompt)) return;

  PartProgress progress(parent, caption);
  HandsetBackup backup(session, prompt, window_runner());
  backup.set_part_listener(
      [&progress](int index, int count, const std::string& title) { progress.show_part(index, count, title); });
  progress.show();
  const BackupResult result = backup.backup(path.toStdString(), now_text(), verify);
  progress.hide();
  prompt.message(result.summary() +
                 (result.complete ? "\n" + tx_with(kTextWrittenTo, {path.toStdString()}) : std::string()));
}

void restore_handset_with_dialog(QWidget* parent, HandsetSession& session, Prompt& prompt) {
  if (refuse_unless_free(session, prompt)) return;
  const QString caption = qs(window_title(tx(kTextRestoreHandset)));
  const QString path = QFileDialog::getOpenFileName(parent, caption, QString(), qtx(kTextBackupFilter));
  if (path.isEmpty()) return;
  std::string error;
  std::optional<OpenedBackup> opened = open_backup_archive(path.toStdString(), error);
  if (!opened) {
    // Changed on purpose after the backup (a contact edited in the file):
    // the refusal stands unless the user says to restore it as it is now.
    std::string ignored;
    std::optional<OpenedBackup> as_now = open_backup_archive(path.toStdString(), ignored, true);
    if (!as_now) {
      prompt.message(tx_with(kTextCannotRestore, {path.toStdString(), error}));
      return;
    }
    if (!prompt.ask_yes_no(tx_with(kTextRestoreChanged, {path.toStdString(), error}))) return;
    opened = std::move(as_now);
  }
  HandsetBackup backup(session, prompt, window_runner());
  RestoreDialog dialog(
      opened->manifest, session.info(),
      [&](const RestoreOptions& options) {
        if (const int refusal = link_refusal(session)) {
          RestoreResult result;
          result.refused = true;
          result.stopped = tx(refusal);
          result.ended = OperationResult::refused(refusal == kTextBusy ? Refusal::Busy : Refusal::NotConnected);
          return result;
        }
        return backup.restore(*opened, options);
      },
      parent, opened->changed);
  backup.set_part_listener(
      [&dialog](int index, int count, const std::string& title) { dialog.show_part(index, count, title); });
  dialog.setWindowTitle(caption);
  dialog.exec();
}

// ------------------------------------------------------------------ BackupDialog

BackupDialog::BackupDialog(bool verify, QWidget* parent) : QDialog(parent) {
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  verify_ = new QCheckBox(qtx(kTextVerify), this);
  verify_->setChecked(verify);
  layout->addWidget(verify_);
  layout->addWidget(new QLabel(qtx(kTextNameNext), this));
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  add_ok_cancel_row(this, layout, ok, cancel);
  ok->setText(qtx(kTextOk));
  cancel->setText(qtx(kTextCancel));
}

bool BackupDialog::verify() const { return verify_->isChecked(); }

// ------------------------------------------------------------------ RestoreDialog

RestoreDialog::RestoreDialog(const BackupManifest& manifest, const HandsetInfo& info, Run run, QWidget* parent,
                             const std::vector<std::string>& changed)
    : QDialog(parent), run_(std::move(run)) {
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  std::string time = manifest.time;
  std::replace(time.begin(), time.end(), 'T', ' ');
  auto* about = new QLabel(qs(tx_with(kTextBackupOf, {manifest.model, manifest.imei, time})), this);
  layout->addWidget(about);
  if (!manifest.imei.empty() && !info.imei.empty() && manifest.imei != info.imei) {
    auto* other = new QLabel(qs(tx_with(kTextOtherHandset, {manifest.model, manifest.imei, info.model, info.imei})), this);
    other->setWordWrap(true);
    other->setStyleSheet(QStringLiteral("color: #C03028"));
    layout->addWidget(other);
  }
  if (!changed.empty()) {
    std::string names;
    for (const std::string& f : changed) names += (names.empty() ? "" : ", ") + f;
    auto* note = new QLabel(qs(tx_with(kTextChangedFiles, {names})), this);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: #C03028"));
    layout->addWidget(note);
  }

  // The parts; messages apart, below the others, and never checked at first.
  parts_ = new QWidget(this);
  auto* parts_layout = new QVBoxLayout(parts_);
  parts_layout->setContentsMargins(0, 0, 0, 0);
  auto* group = new QGroupBox(qtx(kTextParts), parts_);
  auto* group_layout = new QVBoxLayout(group);
  parts_layout->addWidget(group);
  const std::vector<BackupPart> defaults = parts_to_restore(manifest, RestoreOptions{}, info);
  for (BackupPart part : kBackupParts) {
    const bool messages = part == BackupPart::Messages;
    auto* box = new QCheckBox(messages ? qtx(kTextMessagesPart) : qs(capitalised(part_title(part))), parts_);
    const bool held = std::ranges::find(manifest.parts, part_name(part)) != manifest.parts.end();
    const bool on_model = part_on_model(part, info);
    if (!held || !on_model) {
      box->setEnabled(false);
      box->setToolTip(qtx(held ? kTextNotOnModel : kTextNotInBackup));
    }
    box->setChecked(std::ranges::find(defaults, part) != defaults.end());
    (messages ? parts_layout : group_layout)->addWidget(box);
    boxes_[part] = box;
    if (messages) {
      // What the handset makes of a received message, and the way to leave
      // those out.
      received_ = new QCheckBox(qtx(kTextLeaveReceived), parts_);
      received_->setStyleSheet(QStringLiteral("QCheckBox { margin-left: 20px; }"));
      parts_layout->addWidget(received_);
      connect(received_, &QCheckBox::toggled, this, [this] {
        compared_ = false;
        report_->clear();
        differences_->clear();
        update_buttons();
      });
    }
    connect(box, &QCheckBox::toggled, this, [this] {
      // A comparison holds for the parts it was made for only.
      compared_ = false;
      report_->clear();
      differences_->clear();
      update_buttons();
    });
  }
  layout->addWidget(parts_);

  auto* hint = new QLabel(qtx(kTextCompareFirst), this);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  differences_ = new QTreeWidget(this);
  differences_->setColumnCount(3);
  differences_->setHeaderLabels({qtx(kTextWhatDiffers), qtx(kTextOnHandset), qtx(kTextInBackup)});
  differences_->setRootIsDecorated(true);
  differences_->setWordWrap(true);
  differences_->setMinimumSize(560, 160);
  differences_->setColumnWidth(0, 240);
  differences_->setColumnWidth(1, 160);
  layout->addWidget(differences_, 1);
  report_ = new QPlainTextEdit(this);
  report_->setReadOnly(true);
  report_->setLineWrapMode(QPlainTextEdit::NoWrap);
  report_->setMinimumSize(420, 120);
  layout->addWidget(report_, 1);
  add_part_progress(this, layout, part_, progress_);

  auto* row = new QHBoxLayout;
  compare_ = new QPushButton(qtx(kTextCompare), this);
  restore_ = new QPushButton(qtx(kTextRestore), this);
  close_ = new QPushButton(qtx(kTextClose), this);
  compare_->setDefault(true);
  row->addStretch(1);
  row->addWidget(compare_);
  row->addWidget(restore_);
  row->addWidget(close_);
  layout->addLayout(row);
  connect(compare_, &QPushButton::clicked, this, [this] { run_restore(true); });
  connect(restore_, &QPushButton::clicked, this, [this] { run_restore(false); });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  update_buttons();
}

void RestoreDialog::show_part(int index, int count, const std::string& title) {
  show_progress(progress_, part_, index, count, title);
}

RestoreOptions RestoreDialog::options(bool dry_run) const {
  RestoreOptions options;
  options.dry_run = dry_run;
  for (BackupPart part : kBackupParts) {
    if (boxes_.at(part)->isChecked()) options.only.push_back(part);
  }
  options.received_messages = !received_->isChecked();
  return options;
}

void RestoreDialog::reject() {
  if (!running_) QDialog::reject();
}

void RestoreDialog::run_restore(bool dry_run) {
  const RestoreOptions options = this->options(dry_run);
  // An empty list would ask for the default parts.
  if (running_ || options.only.empty()) return;
  running_ = true;
  report_->clear();
  differences_->clear();
  update_buttons();
  const RestoreResult result = run_(options);
  running_ = false;
  show_differences(result, dry_run);
  // A restore that wrote nothing leaves the comparison as it was.
  compared_ = dry_run ? !result.refused : compared_ && result.refused;
  report_->setPlainText(qs(dry_run && !result.refused ? comparison_text(result) : result.summary()));
  update_buttons();
}

void RestoreDialog::show_differences(const RestoreResult& result, bool dry_run) {
  for (const PartOutcome& p : result.parts) {
    const std::vector<Difference>& shown = dry_run || !p.written ? p.changes : (p.left.empty() ? p.altered : p.left);
    auto* part = new QTreeWidgetItem(differences_);
    const std::string title = capitalised(part_title(p.part));
    part->setText(0, qs(shown.empty() ? tx_with(kTextAsInBackup, {title})
                                      : tx_with(kTextToChange, {title, std::to_string(shown.size())})));
    part->setFirstColumnSpanned(true);
    for (const Difference& d : shown) {
      auto* row = new QTreeWidgetItem(part);
      row->setText(0, qs(kind_label(d.kind) + ": " + d.label));
      row->setText(1, qs(d.handset));
      row->setText(2, qs(d.backup));
      for (int column = 0; column < 3; ++column) row->setToolTip(column, row->text(column));
    }
  }
  differences_->expandAll();
}

void RestoreDialog::update_buttons() {
  const bool any = std::ranges::any_of(boxes_, [](const auto& entry) { return entry.second->isChecked(); });
  // A box disabled for its part stays so when the panel is enabled again.
  parts_->setEnabled(!running_);
  received_->setEnabled(boxes_.at(BackupPart::Messages)->isEnabled() && boxes_.at(BackupPart::Messages)->isChecked());
  compare_->setEnabled(!running_ && any);
  restore_->setEnabled(!running_ && any && compared_);
  close_->setEnabled(!running_);
}

}  // namespace phondeck
