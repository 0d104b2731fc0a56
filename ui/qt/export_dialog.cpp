#include "ui/qt/export_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <utility>

#include "app/prompt.h"
#include "app/text_table.h"
#include "session/handset_session.h"
#include "ui/qt/backup_dialog.h"

namespace phondeck {
namespace {

constexpr int kTextExport = 3800;
constexpr int kTextFolder = 3801;
constexpr int kTextBrowse = 3802;
constexpr int kTextVersion = 3803;
constexpr int kTextCountry = 3804;
constexpr int kTextRead = 3805;
constexpr int kTextMerge = 3806;
constexpr int kTextWrite = 3808;
constexpr int kTextOpenFolder = 3809;
constexpr int kTextClose = 3810;
constexpr int kTextReadFirst = 3813;
constexpr int kTextChooseFolder = 3814;

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}
QString qtx(int id) {
  return qs(tx(id));
}

}  // namespace

void export_for_new_phone_with_dialog(QWidget* parent, HandsetSession& session, Prompt& prompt) {
  if (refuse_unless_free(session, prompt)) return;
  ExportDialog dialog(session, prompt, window_runner(), parent);
  dialog.exec();
}

ExportDialog::ExportDialog(HandsetSession& session, Prompt& prompt, OperationRunner runner,
                           QWidget* parent, std::function<void(const QString&)> open_folder)
    : QDialog(parent),
      logic_(session, prompt, std::move(runner)),
      open_folder_(open_folder ? std::move(open_folder) : [](const QString& dir) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(dir));
      }) {
  setModal(true);
  setWindowTitle(qs(window_title(tx(kTextExport))));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  auto* folder_row = new QHBoxLayout;
  folder_ = new QLineEdit(
      qs(ExportLogic::default_folder(QDir::homePath().toStdString(),
                                     QDate::currentDate().toString(Qt::ISODate).toStdString())),
      this);
  folder_->setMinimumWidth(360);
  auto* browse = new QPushButton(qtx(kTextBrowse), this);
  folder_row->addWidget(folder_, 1);
  folder_row->addWidget(browse);
  form->addRow(qtx(kTextFolder), folder_row);
  version_ = new QComboBox(this);
  version_->addItem(QStringLiteral("3.0"), 3);
  version_->addItem(QStringLiteral("4.0"), 4);
  form->addRow(qtx(kTextVersion), version_);
  prefilled_country_ = logic_.default_country();
  country_ = new QLineEdit(qs(prefilled_country_), this);
  country_->setMaxLength(2);
  form->addRow(qtx(kTextCountry), country_);
  layout->addLayout(form);

  auto* hint = new QLabel(qtx(kTextReadFirst), this);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  report_ = new QPlainTextEdit(this);
  report_->setReadOnly(true);
  report_->setLineWrapMode(QPlainTextEdit::NoWrap);
  report_->setMinimumSize(420, 160);
  layout->addWidget(report_, 1);
  merge_ = new QCheckBox(qtx(kTextMerge), this);
  merge_->setChecked(false);
  layout->addWidget(merge_);
  add_part_progress(this, layout, part_, progress_);

  auto* row = new QHBoxLayout;
  read_ = new QPushButton(qtx(kTextRead), this);
  write_ = new QPushButton(qtx(kTextWrite), this);
  open_ = new QPushButton(qtx(kTextOpenFolder), this);
  close_ = new QPushButton(qtx(kTextClose), this);
  read_->setDefault(true);
  row->addStretch(1);
  for (QPushButton* button : {read_, write_, open_, close_}) row->addWidget(button);
  layout->addLayout(row);

  logic_.set_part_listener([this](int index, int count, const std::string& title) {
    show_progress(progress_, part_, index, count, title);
  });
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString dir =
        QFileDialog::getExistingDirectory(this, qtx(kTextChooseFolder), folder_->text());
    if (!dir.isEmpty()) folder_->setText(dir);
  });
  connect(read_, &QPushButton::clicked, this, [this] { run_read(); });
  connect(write_, &QPushButton::clicked, this, [this] { run_write(); });
  connect(open_, &QPushButton::clicked, this, [this] { open_folder_(written_dir_); });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  // What was read holds for the options it was read with.
  for (QLineEdit* edit : {folder_, country_}) {
    connect(edit, &QLineEdit::textChanged, this, [this] { update_buttons(); });
  }
  update_buttons();
}

void ExportDialog::reject() {
  if (running_) {
    logic_.cancel();
    return;
  }
  QDialog::reject();
}

void ExportDialog::run_read() {
  const std::optional<std::string> country =
      ExportLogic::country_code(country_->text().toStdString());
  if (running_ || !country) return;
  ExportOptions options;
  options.vcard_version = version_->currentData().toInt();
  // The country as prefilled leaves the choice to the handset's network.
  if (*country != prefilled_country_) options.country = *country;
  options.now_ms = QDateTime::currentMSecsSinceEpoch();
  running_ = true;
  written_ = false;
  merge_->setChecked(false);
  report_->clear();
  update_buttons();
  const bool ok = logic_.read(options);
  running_ = false;
  report_->setPlainText(qs(ok ? logic_.preview() : "Export not written: " + logic_.stopped()));
  update_buttons();
}

void ExportDialog::run_write() {
  if (running_ || !logic_.has_read()) return;
  const std::string dir = folder_->text().trimmed().toStdString();
  if (dir.empty()) return;
  const ExportResult result = logic_.write(dir, merge_->isChecked() && !logic_.offers().empty(),
                                           version_->currentData().toInt());
  written_ = !result.written.empty();
  written_dir_ = qs(dir);
  report_->setPlainText(qs(result.summary()));
  update_buttons();
}

void ExportDialog::update_buttons() {
  const bool country_ok = ExportLogic::country_code(country_->text().toStdString()).has_value();
  folder_->setEnabled(!running_);
  version_->setEnabled(!running_);
  country_->setEnabled(!running_);
  read_->setEnabled(!running_ && country_ok);
  write_->setEnabled(!running_ && logic_.has_read() && !folder_->text().trimmed().isEmpty());
  merge_->setEnabled(!running_ && logic_.has_read() && !logic_.offers().empty());
  open_->setEnabled(!running_ && written_);
  // Cancel while Read runs.
  close_->setText(qtx(running_ ? 11 : kTextClose));
  close_->setEnabled(true);
}

}  // namespace phondeck
