#include "ui/qt/export_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/link_state.h"
#include "session/handset_session.h"
#include "ui/qt/main_window.h"
#include "ui_fakes.h"
#include "host/configured_port.h"
#include "session/qt/window_session.h"

namespace phondeck {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// From the File menu against the built-in handset: refused before a
// connection; Write only after Read; the preview, then the files as vCard
// 4.0 into the folder typed, the summary and Open Folder.
TEST(ExportWithVirtualHandset, ReadThenWriteFromTheFileMenu) {
  testing::fresh_texts_and_configuration();
  config().Device = "virtual";
  testing::FakePrompt prompt;
  QTemporaryDir dir;
  WindowSession shared(prompt, make_configured_port);
  TForm1 form(shared, prompt);
  form.set_end_process([] {});
  form.show();
  HandsetSession& session = shared.session();
  QAction* action = form.action(Command::ExportForNewPhone);
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text(), "Export for a New Phone...");
  action->trigger();
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"Please establish connection first"});
  form.action(Command::Connect)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return session.state() == LinkState::Idle; }, 30000));
  prompt.messages.clear();

  const std::string folder = dir.filePath(QStringLiteral("new phone")).toStdString();
  std::string preview;
  std::string summary;
  bool write_before_read = true;
  bool open_after = false;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      ADD_FAILURE() << box->text().toStdString();
      box->reject();
      return;
    }
    auto* dialog = dynamic_cast<ExportDialog*>(modal);
    if (dialog == nullptr) return;
    answer.stop();
    write_before_read = dialog->write_button()->isEnabled();
    dialog->folder()->setText(QString::fromStdString(folder));
    dialog->version()->setCurrentIndex(1);
    dialog->read_button()->click();
    preview = dialog->report()->toPlainText().toStdString();
    dialog->write_button()->click();
    summary = dialog->report()->toPlainText().toStdString();
    open_after = dialog->open_button()->isEnabled();
    dialog->close_button()->click();
  });
  answer.start(20);
  action->trigger();

  EXPECT_FALSE(write_before_read);
  EXPECT_THAT(preview, HasSubstr("phone-book entries"));
  EXPECT_THAT(summary, StartsWith("Contacts: "));
  EXPECT_THAT(
      summary,
      HasSubstr(
          "Export complete: contacts.vcf, messages.xml, messages.mbox, calendar.ics, README.txt"));
  EXPECT_TRUE(open_after);
  for (const char* name :
       {"contacts.vcf", "messages.xml", "messages.mbox", "calendar.ics", "README.txt"}) {
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + name)) << name;
  }
  std::ifstream vcf(folder + "/contacts.vcf");
  std::stringstream cards;
  cards << vcf.rdbuf();
  EXPECT_THAT(cards.str(), HasSubstr("VERSION:4.0"));
  EXPECT_TRUE(prompt.messages.empty()) << prompt.messages.front();
  form.normal_cursor();
  config().Device.clear();
}

}  // namespace
}  // namespace phondeck
