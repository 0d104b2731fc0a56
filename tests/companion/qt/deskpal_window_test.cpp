// Deskpal's window on the offscreen platform: its shape, its walk, a drag,
// the double-click start, the help page and the context menu.
#include "companion/qt/deskpal_window.h"
#include "companion/deskpal_start.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "companion_support.h"

namespace phondeck {
namespace {

namespace fs = std::filesystem;

void send_mouse(QWidget& w, QEvent::Type type, QPoint local, Qt::MouseButtons held) {
  QMouseEvent event(type, QPointF(local), QPointF(w.mapToGlobal(local)),
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(&w, &event);
}

TEST(DeskpalWindowTest, WalksDragsStartsTelvaneAndAddsToStartup) {
  companiontest::ScratchFolder scratch;
  const fs::path telvane = scratch.path / "bin" / "telvane";
  fs::create_directories(telvane.parent_path());
  const fs::path started = scratch.path / "started";
  // The stand-in notes whether it runs in a session of its own.
  std::ofstream(telvane) << "#!/bin/sh\n[ \"$(cut -d' ' -f6 /proc/$$/stat)\" != " << ::getsid(0)
                         << " ] && echo new-session > \"" << started.string() << "\"\n";
  ::chmod(telvane.c_str(), 0755);

  std::vector<std::string> opened;
  std::vector<std::string> told;
  bool browser = true;
  bool exited = false;
  DeskpalOptions options;
  options.program_folder = scratch.path / "bin";
  fs::create_directories(options.program_folder);
  options.help_folders = deskpal_help_folders(options.program_folder);
  options.program_file = scratch.path / "deskpal";
  options.autostart_folder = scratch.path / "config" / "autostart";
  options.open_url = [&](const QUrl& url) {
    opened.push_back(url.toString().toStdString());
    return browser;
  };
  options.tell = [&](const QString& text) { told.push_back(text.toStdString()); };
  options.exit_program = [&] { exited = true; };
  companiontest::ScriptedRandom random;  // 1 for ever: the walk leaves the idle at once
  DeskpalWindow w(draw_deskpal_frames(), QRect(0, 0, 1024, 768), random, options);
  w.show();

  EXPECT_EQ(w.size(), QSize(32, 64));
  EXPECT_EQ(w.pos(), QPoint(112, 64));
  EXPECT_FALSE(w.mask().isEmpty());
  EXPECT_LT(w.mask().boundingRect().width() * w.mask().boundingRect().height(), 32 * 64 + 1);
  EXPECT_TRUE(w.running());
  const QRegion idle_mask = w.mask();
  for (int i = 0; i < 60; ++i) w.tick();
  EXPECT_GT(w.pos().x(), 112);
  EXPECT_GT(w.pos().y(), 64);
  EXPECT_NE(w.mask(), idle_mask);

  // The grab point stays under the pointer.
  send_mouse(w, QEvent::MouseButtonPress, {10, 20}, Qt::LeftButton);
  const QPoint pointer = w.mapToGlobal(QPoint(10, 20)) + QPoint(150, 90);
  QMouseEvent move(QEvent::MouseMove, QPointF(10, 20), QPointF(pointer), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &move);
  EXPECT_EQ(w.pos() + QPoint(10, 20), pointer);
  send_mouse(w, QEvent::MouseButtonRelease, {10, 20}, Qt::NoButton);
  w.tick();
  EXPECT_EQ(w.animation().frame(), 40);

  QTest::mouseDClick(&w, Qt::LeftButton, Qt::NoModifier, QPoint(16, 32));
  for (int i = 0; i < 500 && !fs::exists(started); ++i) QTest::qWait(10);
  std::string line;
  std::getline(std::ifstream(started), line);
  EXPECT_EQ(line, "new-session");
  EXPECT_TRUE(opened.empty());
  // A Telvane that can not run: the help page instead, from the installed
  // data folder when none lies beside the program. Without a page, or
  // without a browser, the user is told.
  std::ofstream(telvane) << "\x7f" "ELF, but not really";
  w.start_telvane();
  EXPECT_TRUE(opened.empty());
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], "The help page is missing:\n" + (scratch.path / "bin" / "help" / "h_en.htm").string());
  const fs::path page = scratch.path / "share" / "phondeck" / "help" / "h_en.htm";
  fs::create_directories(page.parent_path());
  std::ofstream(page) << "<html></html>";
  w.start_telvane();
  EXPECT_EQ(opened, std::vector<std::string>{"file://" + page.string()});
  browser = false;
  w.visit_help();
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[1], "No browser could be started to show the help page:\n" + page.string());

  // The menu; "Add to Startup" is checked while the entry exists.
  const fs::path entry = options.autostart_folder / "deskpal.desktop";
  for (bool present : {false, true}) {
    std::unique_ptr<QMenu> menu(w.make_menu());
    QList<QAction*> items;
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) items.push_back(a);
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "Visit Web Site");
    EXPECT_EQ(items[1]->text(), "Add to Startup");
    EXPECT_EQ(items[2]->text(), "Exit Program");
    EXPECT_EQ(items[1]->isChecked(), present);
    EXPECT_EQ(fs::exists(entry), present);
    items[1]->trigger();
  }
  EXPECT_FALSE(fs::exists(entry));
  std::unique_ptr<QMenu> menu(w.make_menu());
  menu->actions().back()->trigger();
  EXPECT_TRUE(exited);
}

}  // namespace
}  // namespace phondeck

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The offscreen platform says for every frame that it keeps no mask.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (!text.startsWith("This plugin does not support")) std::fprintf(stderr, "%d %s\n", type, qPrintable(text));
  });
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
