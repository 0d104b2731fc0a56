#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/configuration.h"
#include "session/qt/qt_prompt.h"
#include "telvane/telvane_windows.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

using testing::FakePrompt;
using testing::make_entry;

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::fresh_texts_and_configuration();
    ASSERT_TRUE(dir.isValid());
    set_configuration_path(dir.filePath("tv.dat").toStdString());
    windows = std::make_unique<TelvaneWindows>(prompt, nullptr);
  }
  void TearDown() override {
    windows->main().normal_cursor();
    windows.reset();
    set_configuration_path("tv.dat");
  }
  QTemporaryDir dir;
  FakePrompt prompt;
  std::unique_ptr<TelvaneWindows> windows;
};

TEST_F(WindowsTest, AllButTheSplashAreCreatedHidden) {
  EXPECT_FALSE(windows->main().isVisible());
  EXPECT_FALSE(windows->editor().isVisible());
  EXPECT_FALSE(windows->about().isVisible());
  EXPECT_EQ(windows->editor().windowTitle(), "Edit");
  EXPECT_EQ(windows->about().windowTitle(), "About");
  EXPECT_EQ(windows->splash().size(), QSize(325, 231));
  EXPECT_EQ(windows->main().windowTitle(), "Phondeck v3.3");
  // The main window shows the busy cursor until the splash sequence ends.
  EXPECT_TRUE(windows->main().is_busy());
}

TEST_F(WindowsTest, SplashSequenceShowsTheMainWindowThenSavesTheConfiguration) {
  TForm17& splash = windows->splash();
  splash.show();
  splash.start();
  EXPECT_EQ(splash.timer().interval(), 3000);
  int options_shown = 0;
  splash.set_options_dialog([&] {
    ++options_shown;
    EXPECT_FALSE(QFile::exists(dir.filePath("tv.dat")));  // saved after the dialog
  });
  splash.sequence().tick();
  EXPECT_TRUE(windows->main().isVisible());
  EXPECT_TRUE(splash.isVisible());
  EXPECT_EQ(splash.timer().interval(), 1000);
  splash.sequence().tick();
  EXPECT_FALSE(splash.isVisible());
  EXPECT_EQ(splash.size(), QSize(0, 0));
  EXPECT_FALSE(splash.timer().running());
  EXPECT_FALSE(windows->main().is_busy());
  EXPECT_EQ(options_shown, 1);
  QFile saved(dir.filePath("tv.dat"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_TRUE(saved.readAll().startsWith("Width=" + QByteArray::number(windows->main().width())));
}

TEST_F(WindowsTest, HandOffBringsTheMainWindowBack) {
  TForm17& splash = windows->splash();
  splash.set_options_dialog([] {});  // the modal Options dialog is walked elsewhere
  splash.start();
  splash.sequence().tick();
  splash.sequence().tick();
  TForm1& main = windows->main();

  main.showMinimized();
  ASSERT_TRUE(main.windowState().testFlag(Qt::WindowMinimized));
  splash.hand_off_received();
  EXPECT_FALSE(main.windowState().testFlag(Qt::WindowMinimized));
  EXPECT_TRUE(main.isVisible());

  main.showMaximized();
  splash.hand_off_received();
  EXPECT_TRUE(main.windowState().testFlag(Qt::WindowMaximized));
}

TEST_F(WindowsTest, HandOffBeforeTheSequenceEndsIsIgnored) {
  windows->splash().start();
  windows->splash().hand_off_received();
  EXPECT_FALSE(windows->main().isVisible());
}

TEST_F(WindowsTest, EditorControlsFollowTheRules) {
  config().MultiByte = 0;
  TOKHelpRightDlg& editor = windows->editor();
  windows->main().logic().book().memory().capacity[1] = 250;
  windows->main().logic().book().left().append(make_entry("A", "1", "SIM", "1"));
  EntryDefaults d;
  d.load_from(make_entry("Bea", "2", "Phone", "5", "VIP"));
  d.UNICODE = "\xE8\xB2\x9D";
  editor.load(d);
  EXPECT_FALSE(editor.unicode_field()->isEnabled());
  EXPECT_FALSE(editor.insert_button(0)->isEnabled());
  // Without captions (all but the Chinese languages) the buttons are not shown.
  for (int k = 0; k < 10; ++k) EXPECT_TRUE(editor.insert_button(k)->isHidden()) << k;
  EXPECT_FALSE(editor.write_as_choice()->isEnabled());
  EXPECT_TRUE(editor.position_field()->isEnabled());
  EXPECT_EQ(editor.capacity_label()->text(), "/ 200");
  EXPECT_EQ(editor.group_choice()->currentText(), "VIP");
  EXPECT_EQ(editor.type_choice()->count(), 6);

  editor.type_choice()->setCurrentIndex(1);
  emit editor.type_choice()->activated(1);
  EXPECT_EQ(editor.capacity_label()->text(), "/ 250");
  EXPECT_EQ(editor.position_field()->text(), "2");
  editor.position_field()->setText("7");
  editor.type_choice()->setCurrentIndex(4);
  emit editor.type_choice()->activated(4);
  EXPECT_EQ(editor.capacity_label()->text(), "");
  EXPECT_EQ(editor.position_field()->text(), "7");

  EntryDefaults out;
  editor.store(out);
  EXPECT_EQ(out.UNICODE, "\xE8\xB2\x9D");  // kept though disabled
  EXPECT_EQ(out.type, 4);
  EXPECT_EQ(out.Pos, "7");

  config().BasicLevel = 1;
  config().MultiByte = 1;
  editor.load(d);
  EXPECT_TRUE(editor.unicode_field()->isEnabled());
  EXPECT_FALSE(editor.position_field()->isEnabled());
  EXPECT_FALSE(editor.type_choice()->isEnabled());
  EXPECT_FALSE(editor.group_choice()->isEnabled());
}

TEST_F(WindowsTest, InsertButtonPutsItsTextAtTheCaret) {
  config().MultiByte = 1;
  texts().set(400, "\xE5\xBC\xA0");
  TOKHelpRightDlg& editor = windows->editor();
  EntryDefaults d;
  d.UNICODE = "ab";
  editor.load(d);
  editor.unicode_field()->setCursorPosition(1);
  editor.insert_button(0)->click();
  EXPECT_EQ(editor.unicode_field()->text(), QString::fromUtf8("a\xE5\xBC\xA0" "b"));
  EXPECT_EQ(editor.unicode_field()->cursorPosition(), 2);
}

TEST_F(WindowsTest, OkWithANumberAHandsetCannotHoldKeepsTheEditorOpen) {
  TOKHelpRightDlg& editor = windows->editor();
  editor.load(EntryDefaults{});
  editor.show();
  editor.phone_field()->setText("040 123");
  editor.accept();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.phone_field()->text(), "040 123");
  ASSERT_EQ(prompt.messages.size(), 1u);
  editor.phone_field()->setText("040123");
  editor.accept();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(editor.result(), QDialog::Accepted);
}

TEST_F(WindowsTest, PhoneEditorTakesTheNumberBackUnchanged) {
  TOKHelpRightDlg3& phone = windows->phone_editor();
  phone.set_number(" +49 30 ");
  EXPECT_EQ(phone.number(), " +49 30 ");
  EXPECT_EQ(phone.windowTitle(), "Edit");
}

// Drop to SMS takes the entries selected in the list shown: a pane, or the
// third list of a tree mode (whose hidden left list keeps its own selection).
TEST_F(WindowsTest, DropToSmsTakesTheEntriesSelectedInTheListShown) {
  TForm1& form = windows->main();
  PhoneBookList& left = form.logic().book().left();
  left.append(make_entry("Anna", "111", "Phone", "10", "Family"));
  left.append(make_entry("Bert", "222", "SIM", "9", "VIP"));
  left.append(make_entry("Cleo", "333", "SIM", "2", "Family"));
  left.set_selected(0, true);
  struct Case {
    int mode;  // -1: the panes
    int node;  // tree node chosen, its third-list rows all selected
    QStringList phones;
  };
  const Case cases[] = {{-1, 0, {"111"}}, {kModeType, 1, {"222", "333"}}, {kModeGroup, 1, {"222"}}};
  for (const Case& c : cases) {
    if (c.mode >= 0) {
      form.run_command(Command::ViewMode, c.mode);
      form.tree()->setCurrentItem(form.tree()->topLevelItem(0)->child(c.node));
      form.third_list()->selectAll();
    }
    TForm18& sending = windows->sms_sending();
    sending.logic().clear_list();
    form.run_command(Command::DropToSms);  // the lists' pop-up item
    QStringList phones;
    for (int row = 0; row < sending.list()->topLevelItemCount(); ++row) {
      phones << sending.list()->topLevelItem(row)->text(0);
    }
    EXPECT_EQ(phones, c.phones) << c.mode;
  }
}

// Help opens the page with the desktop's program; a missing page, or no
// program to take it, is said in a message box with the page's path.
TEST(HelpPages, OpenOrSayWhereThePageIs) {
  testing::fresh_texts_and_configuration();
  FakePrompt prompt;
  QTemporaryDir dir;
  const QString page = dir.filePath("h_en.htm");
  QFile file(page);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  std::vector<QUrl> launched;
  bool taken = true;
  QtHelpOpener opener(prompt, [&](const QUrl& url) {
    launched.push_back(url);
    return taken;
  });
  opener.open(page.toStdString() + "#field");
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].toLocalFile(), page);
  EXPECT_EQ(launched[0].fragment(), "field");
  EXPECT_TRUE(prompt.messages.empty());

  taken = false;
  opener.open(page.toStdString() + "#mcc");
  opener.open(dir.filePath("h_fr.htm").toStdString());
  EXPECT_EQ(launched.size(), 2u);  // a missing page is not handed on
  EXPECT_EQ(prompt.messages,
            (std::vector<std::string>{
                "No program to show help pages was found. The help page is:\n" + page.toStdString(),
                "The help page is missing:\n" + dir.filePath("h_fr.htm").toStdString()}));
}

#ifdef TELVANE_PROGRAM
// The pages are built beside the program, with the anchors its windows pass.
// Every language's page, with the anchors its windows pass.
TEST(HelpPages, EveryLanguagesPageIsBesideTheProgramWithItsAnchors) {
  for (const char* code : {"en", "zh_tw", "zh_cn", "fr"}) {
    QFile page(QFileInfo(QStringLiteral(TELVANE_PROGRAM)).absolutePath() + "/help/h_" + code + ".htm");
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
    const QByteArray html = page.readAll();
    for (const char* anchor : {"field", "mcc", "config"}) {
      EXPECT_TRUE(html.contains(QByteArray("id=\"") + anchor + "\"")) << code << ": " << anchor;
    }
  }
}

// Two real Telvane processes: the second hands off and ends with code 0
// without reading its tv.dat (which would stop it with a message box).
TEST(TelvaneProcess, SecondStartHandsOffAndEnds) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString runtime = root.filePath("run");
  ASSERT_TRUE(QDir().mkpath(runtime));
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(QDir().mkpath(root.filePath("first")));
  ASSERT_TRUE(QDir().mkpath(root.filePath("second")));
  QFile bad(root.filePath("second/tv.dat"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("FontSize=abc\r\n");
  bad.close();

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", runtime);
  env.insert("QT_QPA_PLATFORM", "offscreen");

  QProcess first;
  first.setProcessEnvironment(env);
  first.setWorkingDirectory(root.filePath("first"));
  first.start(QStringLiteral(TELVANE_PROGRAM), {});
  ASSERT_TRUE(first.waitForStarted(5000));
  const QString socket = runtime + "/Telvane.socket";
  for (int i = 0; i < 100 && !QFile::exists(socket); ++i) QTest::qWait(50);
  ASSERT_TRUE(QFile::exists(socket));

  QProcess second;
  second.setProcessEnvironment(env);
  second.setWorkingDirectory(root.filePath("second"));
  second.start(QStringLiteral(TELVANE_PROGRAM), {});
  ASSERT_TRUE(second.waitForFinished(5000)) << "the second start did not end";
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);

  first.kill();
  first.waitForFinished(5000);
}
#endif

}  // namespace
}  // namespace phondeck
