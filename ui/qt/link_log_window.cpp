#include "ui/qt/link_log_window.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/text_table.h"
#include "link/link_log.h"
#include "ui/diagnostics.h"
#include "session/qt/save_dialog.h"

namespace phondeck {
namespace {

constexpr int kTextLinkLogMenu = 3305;
constexpr int kTextSave = 3307;
constexpr int kTextClear = 3308;
constexpr int kTextClose = 3309;
constexpr int kTextSaveCaption = 3311;
constexpr int kTextLogFilter = 3312;
// The window looks for new entries this often while it is shown.
constexpr int kFollowMs = 250;

QString qtx(int id) { return QString::fromStdString(tx(id)); }

}  // namespace

TLinkLogWindow::TLinkLogWindow(LinkLog& log, Prompt& prompt, QWidget* parent)
    : QDialog(parent), view_(log), prompt_(prompt) {
  setObjectName(QStringLiteral("LinkLog"));
  Text = new QPlainTextEdit(this);
  Text->setReadOnly(true);
  Text->setLineWrapMode(QPlainTextEdit::NoWrap);
  Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Text->setMaximumBlockCount(static_cast<int>(LinkLog::kKept));
  SaveButton = new QPushButton(this);
  ClearButton = new QPushButton(this);
  CloseButton = new QPushButton(this);
  connect(SaveButton, &QPushButton::clicked, this, [this] { save_clicked(); });
  connect(ClearButton, &QPushButton::clicked, this, [this] {
    view_.clear();
    Text->clear();
  });
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::hide);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Text, 1);
  auto* row = new QHBoxLayout;
  row->addWidget(SaveButton);
  row->addWidget(ClearButton);
  row->addStretch(1);
  row->addWidget(CloseButton);
  layout->addLayout(row);
  resize(760, 420);

  follow_timer_ = new QTimer(this);
  follow_timer_->setInterval(kFollowMs);
  connect(follow_timer_, &QTimer::timeout, this, [this] { follow(); });
  apply_texts();
}

void TLinkLogWindow::apply_texts() {
  setWindowTitle(QString::fromStdString(window_title(tx(kTextLinkLogMenu))));
  SaveButton->setText(qtx(kTextSave));
  ClearButton->setText(qtx(kTextClear));
  CloseButton->setText(qtx(kTextClose));
}

void TLinkLogWindow::show_window() {
  QStringList lines;
  for (const std::string& line : view_.all_lines()) lines << QString::fromStdString(line);
  Text->setPlainText(lines.join(QLatin1Char('\n')));
  Text->verticalScrollBar()->setValue(Text->verticalScrollBar()->maximum());
  follow_timer_->start();
  show();
  raise();
  activateWindow();
}

void TLinkLogWindow::follow() {
  if (!isVisible()) {
    follow_timer_->stop();
    return;
  }
  LinkLogView::NewLines fresh = view_.take_new();
  if (fresh.replace) Text->clear();
  if (fresh.lines.empty()) return;
  // Only a reader at the foot is taken along; one reading further up stays.
  QScrollBar* bar = Text->verticalScrollBar();
  const bool at_foot = bar->value() == bar->maximum();
  for (const std::string& line : fresh.lines) Text->appendPlainText(QString::fromStdString(line));
  if (at_foot) bar->setValue(bar->maximum());
}

bool TLinkLogWindow::save_to(const QString& path) { return view_.save(path.toStdString(), prompt_); }

void TLinkLogWindow::save_clicked() {
  const QString path = save_file_name(this, QString::fromStdString(window_title(tx(kTextSaveCaption))),
                                      qtx(kTextLogFilter), QStringLiteral("link.log"));
  if (!path.isEmpty()) save_to(path);
}

QString copy_diagnostics(const LinkLog& log) {
  const QString text = QString::fromStdString(diagnostics_text(gather_diagnostics("Telvane", log)));
  QApplication::clipboard()->setText(text);
  return text;
}

}  // namespace phondeck
