#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "link/link_state.h"
#include "organiser/message_family.h"
#include "session/backup_archive.h"
#include "session/handset_session.h"
#include "ui/qt/backup_dialog.h"
#include "ui/qt/main_window.h"
#include "ui_fakes.h"
#include "host/configured_port.h"
#include "session/qt/window_session.h"

namespace phondeck {
namespace {

using P = BackupPart;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

std::vector<std::string> names_of(const std::vector<P>& parts) {
  std::vector<std::string> names;
  for (P part : parts) names.push_back(part_name(part));
  return names;
}

BackupManifest manifest_of(const std::vector<P>& parts) {
  BackupManifest manifest;
  manifest.model = "6110";
  manifest.imei = "490518100000001";
  manifest.time = "2026-12-09T10:00:00";
  manifest.parts = names_of(parts);
  return manifest;
}

// The part page: a box can be checked when the backup holds its part and the
// model has it; the default parts are checked, messages never at first.
TEST(RestoreDialogParts, EnabledAndCheckedByBackupAndModel) {
  testing::fresh_texts_and_configuration();
  const std::vector<P> all(std::begin(kBackupParts), std::end(kBackupParts));
  const std::vector<P> all_but_messages(all.begin(), all.end() - 1);
  const std::vector<P> basic{P::Settings, P::Operator, P::PhoneBook, P::Messages};
  const std::vector<P> basic_but_messages{P::Settings, P::Operator, P::PhoneBook};
  struct Case {
    const char* what;
    const char* model;
    std::vector<P> held, enabled, checked;
  };
  const Case cases[] = {
      {"a 6110's backup on a 6110", "6110", all, all, all_but_messages},
      {"a 6110's backup on a 5110", "5110", all, basic, basic_but_messages},
      {"a 5110's backup on a 6110", "6110", basic, basic, basic_but_messages},
      {"a backup without messages", "6110", all_but_messages, all_but_messages, all_but_messages},
  };
  for (const Case& c : cases) {
    HandsetInfo info;
    info.model = c.model;
    RestoreDialog dialog(manifest_of(c.held), info, [](const RestoreOptions&) { return RestoreResult{}; });
    for (P part : kBackupParts) {
      EXPECT_EQ(dialog.part_box(part)->isEnabled(), std::ranges::count(c.enabled, part) == 1)
          << c.what << ": " << part_name(part);
      EXPECT_EQ(dialog.part_box(part)->isChecked(), std::ranges::count(c.checked, part) == 1)
          << c.what << ": " << part_name(part);
    }
    EXPECT_EQ(dialog.options(true).only, c.checked) << c.what;
    // Another handset's backup names both handsets before anything is compared.
    info.imei = "490154203237518";
    RestoreDialog other(manifest_of(c.held), info, [](const RestoreOptions&) { return RestoreResult{}; });
    QStringList labels;
    for (const QLabel* label : other.findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains(QString::fromStdString("This backup is of another handset: 6110, IMEI 490518100000001; "
                                                       "this one is " + std::string(c.model) + ", IMEI 490154203237518")))
        << c.what << ": " << labels.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(dialog.compare_button()->isEnabled()) << c.what;
    EXPECT_FALSE(dialog.restore_button()->isEnabled()) << c.what;  // nothing compared yet
  }
}

// Restore writes only what was compared: the run gets the parts checked, a
// changed box asks for a new comparison, and while a run goes on nothing can
// be clicked and the dialog does not close.
TEST(RestoreDialogFlow, RestoreFollowsAComparisonOfTheCheckedParts) {
  testing::fresh_texts_and_configuration();
  HandsetInfo info;
  info.model = "6110";
  std::vector<RestoreOptions> runs;
  std::vector<bool> locked;
  RestoreDialog* shown = nullptr;
  RestoreDialog dialog(manifest_of({P::Settings, P::PhoneBook, P::Messages}), info, [&](const RestoreOptions& options) {
    runs.push_back(options);
    shown->show_part(1, 3, "reading the phone book");
    shown->reject();
    locked.push_back(shown->isVisible() && shown->running() && !shown->compare_button()->isEnabled() &&
                     !shown->close_button()->isEnabled() && !shown->part_box(P::Messages)->isEnabled() &&
                     shown->part_label()->text() == "Reading the phone book" && shown->progress()->value() == 1);
    RestoreResult result;
    for (P part : options.only) {
      PartOutcome outcome;
      outcome.part = part;
      if (part == P::Settings) {
        outcome.changes = {{Difference::Kind::Differs, "diary alarm", "off", "on, 07:30"}};
      }
      outcome.written = !options.dry_run && !outcome.changes.empty();
      result.parts.push_back(outcome);
    }
    result.complete = !options.dry_run;
    return result;
  });
  shown = &dialog;
  dialog.show();
  const std::vector<P> defaults{P::Settings, P::PhoneBook};

  dialog.compare_button()->click();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_TRUE(runs[0].dry_run);
  EXPECT_EQ(runs[0].only, defaults);
  EXPECT_EQ(dialog.report()->toPlainText().toStdString(),
            "Message centre and alarm: 1 to change\n  differs: diary alarm (handset: off; backup: on, 07:30)\n"
            "Phone book: as in the backup");
  // Side by side: each part, and under it what differs with both values.
  QTreeWidget* tree = dialog.differences();
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_EQ(tree->headerItem()->text(1), "On the handset");
  EXPECT_EQ(tree->headerItem()->text(2), "In the backup");
  EXPECT_EQ(tree->topLevelItem(0)->text(0), "Message centre and alarm: 1 to change");
  ASSERT_EQ(tree->topLevelItem(0)->childCount(), 1);
  const QTreeWidgetItem* alarm = tree->topLevelItem(0)->child(0);
  EXPECT_EQ(alarm->text(0), "differs: diary alarm");
  EXPECT_EQ(alarm->text(1), "off");
  EXPECT_EQ(alarm->text(2), "on, 07:30");
  EXPECT_TRUE(tree->visualItemRect(alarm).isValid()) << "expanded";
  EXPECT_EQ(tree->topLevelItem(1)->text(0), "Phone book: as in the backup");
  EXPECT_TRUE(dialog.restore_button()->isEnabled());

  // Leaving received messages out goes with the messages.
  EXPECT_FALSE(dialog.received_box()->isEnabled());
  dialog.part_box(P::Messages)->click();
  EXPECT_FALSE(dialog.restore_button()->isEnabled());
  EXPECT_TRUE(dialog.report()->toPlainText().isEmpty());
  EXPECT_EQ(tree->topLevelItemCount(), 0);
  ASSERT_TRUE(dialog.received_box()->isEnabled());
  EXPECT_THAT(dialog.received_box()->text().toStdString(), HasSubstr("unsent outbox draft without its time stamp"));
  dialog.received_box()->click();
  dialog.compare_button()->click();
  dialog.restore_button()->click();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_FALSE(runs[2].dry_run);
  EXPECT_FALSE(runs[2].received_messages);
  EXPECT_TRUE(runs[0].received_messages);
  EXPECT_EQ(runs[2].only, (std::vector<P>{P::Settings, P::PhoneBook, P::Messages}));
  EXPECT_THAT(dialog.report()->toPlainText().toStdString(), EndsWith("Restore complete"));
  EXPECT_FALSE(dialog.restore_button()->isEnabled());  // again only after a new comparison
  EXPECT_EQ(locked, std::vector<bool>(3, true));

  // Nothing checked: an empty list of parts would mean the default ones.
  for (P part : {P::Settings, P::PhoneBook, P::Messages}) dialog.part_box(part)->click();
  EXPECT_FALSE(dialog.compare_button()->isEnabled());
  dialog.close_button()->click();
  EXPECT_FALSE(dialog.isVisible());
}

// From the File menu against the built-in handset: refused before a
// connection; a backup; the handset's message centre changed; the restore's
// comparison names it, and the restore writes it back and reads it back equal.
TEST(BackupWithVirtualHandset, BackupThenCompareAndRestoreFromTheFileMenu) {
  testing::fresh_texts_and_configuration();
  config().Device = "virtual";
  testing::FakePrompt prompt;
  QTemporaryDir dir;
  WindowSession shared(prompt, make_configured_port);
  TForm1 form(shared, prompt);
  form.set_end_process([] {});
  form.show();
  HandsetSession& session = shared.session();
  auto* backup = form.action(Command::BackupHandset);
  auto* restore = form.action(Command::RestoreHandset);
  ASSERT_TRUE(backup != nullptr && restore != nullptr);
  EXPECT_EQ(backup->text(), "&Backup Handset...");
  // Whatever modal dialog opens is answered: a file dialog with `file`, the
  // restore dialog by comparing, restoring and closing.
  QString file;
  std::string comparison;
  std::string summary;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
      // The name typed (selectFile() leaves a focused name field alone).
      auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (file.isEmpty() || name == nullptr) {
        files->reject();
        return;
      }
      name->setText(file);
      QMetaObject::invokeMethod(files, "accept", Qt::DirectConnection);
      return;
    }
    if (auto* options = dynamic_cast<BackupDialog*>(modal)) {
      // Verify is off at first; checked, the backup reads every part twice.
      EXPECT_FALSE(options->verify_box()->isChecked());
      options->verify_box()->setChecked(true);
      options->accept();
      return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      ADD_FAILURE() << box->text().toStdString();
      box->reject();
      return;
    }
    auto* dialog = dynamic_cast<RestoreDialog*>(modal);
    if (dialog == nullptr || dialog->running()) return;
    answer.stop();
    dialog->compare_button()->click();
    comparison = dialog->report()->toPlainText().toStdString();
    dialog->restore_button()->click();
    summary = dialog->report()->toPlainText().toStdString();
    dialog->close_button()->click();
  });
  answer.start(20);

  backup->trigger();
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"Please establish connection first"});
  form.action(Command::Connect)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return session.state() == LinkState::Idle; }, 30000));
  prompt.messages.clear();

  file = dir.filePath(QStringLiteral("handset"));  // the extension comes with the filter
  backup->trigger();
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_THAT(prompt.messages[0], StartsWith("Backup complete: 8 parts"));
  EXPECT_THAT(prompt.messages[0], HasSubstr("\nVerified: every part read twice, the reads agree\n"));
  EXPECT_THAT(prompt.messages[0], EndsWith("Written to " + dir.filePath(QStringLiteral("handset.zip")).toStdString()));

  session.organiser().messages().message_centre = "+15550009999";
  ASSERT_TRUE(start_smsc_write(session.engine()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return session.state() == LinkState::Idle; }, 30000));
  prompt.messages.clear();
  prompt.questions.clear();

  file = dir.filePath(QStringLiteral("handset.zip"));
  answer.start(20);
  restore->trigger();
  EXPECT_THAT(comparison, StartsWith("Message centre and alarm: 1 to change\n  differs: message centre number "
                                     "(handset: +15550009999; backup: "));
  EXPECT_THAT(comparison, HasSubstr("Phone book: as in the backup"));
  EXPECT_THAT(comparison, Not(HasSubstr("Messages")));
  EXPECT_THAT(summary, HasSubstr("alarm: restored (1 change), read back equal\n"));
  EXPECT_THAT(summary, EndsWith("Restore complete"));
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_THAT(prompt.questions[0], StartsWith("Write the backup of "));
  EXPECT_THAT(prompt.questions[0], HasSubstr("\n  the message centre and alarm: 1 change"));
  EXPECT_TRUE(prompt.messages.empty()) << prompt.messages.front();

  // The backup's message centre edited in the archive: refused for its
  // checksum unless the user says to restore it as it is now, which the
  // restore dialog and its summary name.
  {
    std::string error;
    auto opened = open_backup_archive(file.toStdString(), error);
    ASSERT_TRUE(opened) << error;
    std::string& settings = opened->files["settings.json"];
    const std::size_t at = settings.find("\"number\": \"+");
    ASSERT_NE(at, std::string::npos) << settings;
    settings[at + 12] = settings[at + 12] == '1' ? '2' : '1';
    ASSERT_TRUE(write_backup_archive(dir.filePath(QStringLiteral("edited.zip")).toStdString(), opened->files,
                                     opened->manifest, error));
  }
  file = dir.filePath(QStringLiteral("edited.zip"));
  prompt.questions.clear();
  for (const bool yes : {false, true}) {
    prompt.answers = {yes};
    summary.clear();
    answer.start(20);
    restore->trigger();
    ASSERT_GE(prompt.questions.size(), 1u);
    EXPECT_THAT(prompt.questions[0], HasSubstr("settings.json does not match its SHA-256 checksum"));
    EXPECT_THAT(prompt.questions[0], HasSubstr("Its files were changed after the backup was written."));
    if (!yes) {
      answer.stop();
      EXPECT_TRUE(summary.empty());
      prompt.questions.clear();
      continue;
    }
    EXPECT_THAT(summary, HasSubstr("Changed since the backup was written (checksums ignored): settings.json"));
    ASSERT_EQ(prompt.questions.size(), 2u);
    EXPECT_THAT(prompt.questions[1], HasSubstr("restored as they are now: settings.json"));
  }

  form.normal_cursor();
  config().Device.clear();
}

}  // namespace
}  // namespace phondeck
