#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "telvane/telvane_windows.h"
#include "link/link_state.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

// Help > Link Log... follows a connect to the built-in handset live, saves
// for the owner only and clears; Help > Copy Diagnostics puts the facts of a
// bug report and the last frames on the clipboard.
TEST(LinkLogWindow, FollowsTheLinkSavesClearsAndCopiesDiagnostics) {
  testing::fresh_texts_and_configuration();
  config().Device = "virtual";
  testing::FakePrompt prompt;
  TelvaneWindows windows(prompt, nullptr);
  TForm1& form = windows.main();
  form.set_end_process([] {});
  TLinkLogWindow& window = windows.link_log();

  ASSERT_NE(form.action(Command::LinkLog), nullptr);
  EXPECT_EQ(form.action(Command::LinkLog)->text(), QStringLiteral("&Link Log..."));
  form.action(Command::LinkLog)->trigger();
  ASSERT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Link Log"));

  form.action(Command::Connect)->trigger();
  const auto shown = [&] { return window.text()->toPlainText(); };
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return windows.link().engine().state() == LinkState::Idle && shown().contains("0x01 status poll"); }, 30000))
      << shown().toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown().split(QLatin1Char('\n'), Qt::SkipEmptyParts).size() == int(windows.link().log().size()); }))
      << "every entry kept is shown";
  EXPECT_TRUE(shown().contains(QStringLiteral("PC>   0x64 identify / 0x10 identify seq 0x60")));
  EXPECT_TRUE(shown().contains(QStringLiteral("port  open ")));

  char pattern[] = "/tmp/telvane-log-XXXXXX";
  const std::filesystem::path folder = ::mkdtemp(pattern);
  const std::string saved = (folder / "link.log").string();
  ASSERT_TRUE(window.save_to(QString::fromStdString(saved)));
  struct stat st {};
  ASSERT_EQ(::stat(saved.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::ifstream in(saved);
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_EQ(QString::fromStdString(text.str()).trimmed(), shown().trimmed());

  form.action(Command::CopyDiagnostics)->trigger();
  const QString copied = QApplication::clipboard()->text();
  const QStringList lines = copied.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_GE(lines.size(), 9) << copied.toStdString();
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Version: Telvane v3.3")));
  EXPECT_EQ(lines[1], QStringLiteral("Device: virtual"));
  EXPECT_EQ(lines[2], QStringLiteral("Device is: the built-in virtual handset"));
  EXPECT_EQ(lines[3], QStringLiteral("Media: cable"));
  EXPECT_TRUE(lines[4].startsWith(QStringLiteral("User: ")));
  EXPECT_TRUE(lines[5].startsWith(QStringLiteral("Groups: ")));
  EXPECT_EQ(lines[6], QStringLiteral("Last error: -"));
  const int frames = static_cast<int>(lines.size()) - 8;
  EXPECT_EQ(lines[7], QStringLiteral("Last %1 frames:").arg(frames));
  EXPECT_GT(frames, 10);
  EXPECT_LE(frames, 50);
  for (int i = 8; i < lines.size(); ++i) {
    EXPECT_TRUE(lines[i].contains(QStringLiteral(" PC> ")) || lines[i].contains(QStringLiteral(" <HS ")))
        << "frames only: " << lines[i].toStdString();
  }
  EXPECT_EQ(lines.back().toStdString(), windows.link().log().frame_lines(1).front());
  ASSERT_FALSE(prompt.messages.empty());
  EXPECT_EQ(prompt.messages.back(), tx(3313));

  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (button->text() == QStringLiteral("C&lear")) button->click();
  }
  EXPECT_EQ(windows.link().log().size(), 0u);
  EXPECT_TRUE(shown().isEmpty());

  form.run_command(Command::Reset);
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown().contains(QStringLiteral("link  reset: Disconnected")); }));
  window.hide();
  form.normal_cursor();
  config().Device.clear();
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace phondeck
