// The two graphics windows against the virtual handset on a pseudo-terminal,
// as a user works them: read the caller groups and pick one in the Group
// Graphic dialog, draw on it and write it; read the startup graphic, edit it
// and write it back.
#include <gtest/gtest.h>

// The handset's headers come before Qt's, whose "emit" is a macro.
#include "pty_windows_rig.h"
#include "sim/family_graphics.h"

#include <fstream>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>

#include "telvane/telvane_windows.h"
#include "media/qt/mono_images.h"
#include "media/windows_bitmap.h"
#include "phonebook/text_codec.h"
#include "media/qt/pixel_grid_panel.h"

namespace phondeck::e2e {
namespace {

void click_cell(PixelGridArea* area, const PixelGridEditor& grid, int x, int y) {
  const int cell = grid.size().cell;
  const QPointF at(grid.leftMargin() + (grid.size().originColumn + x) * cell + cell / 2,
                   grid.topMargin() + (grid.size().originRow + y) * cell + cell / 2);
  QMouseEvent press(QEvent::MouseButtonPress, at, area->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(area, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, area->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(area, &release);
}

TEST(GraphicsWindowsLink, PickAGroupDrawWriteItAndEditTheStartupGraphic) {
  fresh_settings();
  config().WriteConfirm = 0;
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  sim::PtyHandset& handset = device.handset;
  ScriptedPrompt prompt;
  TelvaneWindows windows(prompt, nullptr);
  TForm1& main = windows.main();
  main.show();
  const auto settled = [&] {
    const LinkState s = windows.link().engine().state();
    return s == LinkState::Idle || s == LinkState::Disconnected;
  };
  main.action(Command::Connect)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return windows.link().engine().state() == LinkState::Idle; }, 10000));

  // Group and System Graphics: Read Group Graphic opens the dialog when the
  // five groups are in; the third group is picked.
  main.run_command(Command::GroupGraphics);
  TForm16& group = windows.group_graphics();
  TOKHelpRightDlg5& dialog = group.group_dialog();
  QString third_name;
  QString title;
  QString instruction;
  QTimer pick;
  QObject::connect(&pick, &QTimer::timeout, [&] {
    if (!dialog.isVisible()) return;
    title = dialog.windowTitle();
    instruction = dialog.instruction()->text();
    third_name = dialog.name(2)->text();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(dialog.logo(2), &press);
    dialog.ok_button()->click();
  });
  pick.start(20);
  group.action(GraphicsCommand::ReadGroup)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !third_name.isEmpty() && settled(); }, 20000));
  pick.stop();
  EXPECT_EQ(title, "Group");
  EXPECT_EQ(instruction, "Choose the group whose logo goes into the picture, then OK.");
  const sim::HandsetState before = handset.with_handset([](sim::Handset& h) { return h.state(); });
  const std::string& stored_name = before.groups[2].name;
  EXPECT_EQ(third_name.toStdString(),  // the demo's third group has a UCS-2 name
            decode_name(std::span(reinterpret_cast<const std::uint8_t*>(stored_name.data()), stored_name.size())));
  const PixelGridEditor& grid = group.logic().editor().grid();
  EXPECT_EQ(packRows(grid.picture()), before.groups[2].logo);

  // XOR a pixel in and write the picture as a caller-group graphic.
  group.panel().method_button(2)->click();
  click_cell(group.panel().area(), grid, 0, 0);
  const MonoBitmap drawn = grid.picture();
  EXPECT_NE(packRows(drawn), before.groups[2].logo);
  group.action(GraphicsCommand::WriteGroup)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return handset.with_handset([](sim::Handset& h) { return !h.state().graphics.received_logo.empty(); });
  }, 20000));
  ASSERT_TRUE(QTest::qWaitFor(settled, 20000));
  EXPECT_EQ(handset.with_handset([](sim::Handset& h) { return h.state().graphics.received_logo; }),
            packRows(drawn));

  // Startup Graphic: read, XOR a pixel, write; the handset holds the edit.
  main.run_command(Command::StartupGraphic);
  TForm20& startup = windows.startup_graphic();
  startup.action(GraphicsCommand::ReadStartup)->trigger();
  const PixelGridEditor& picture = startup.logic().editor().grid();
  ASSERT_TRUE(QTest::qWaitFor([&] { return picture.picture().any() && settled(); }, 20000));
  EXPECT_EQ(packBands(picture.picture()), before.graphics.startup);
  startup.panel().method_button(2)->click();
  click_cell(startup.panel().area(), picture, 83, 47);
  startup.action(GraphicsCommand::WriteStartup)->trigger();
  ASSERT_TRUE(QTest::qWaitFor(settled, 20000));
  const sim::Bytes stored = handset.with_handset([](sim::Handset& h) { return h.state().graphics.startup; });
  EXPECT_EQ(stored, packBands(picture.picture()));
  EXPECT_NE(stored, before.graphics.startup);
  EXPECT_TRUE(prompt.messages.empty()) << prompt.messages.front();
  main.normal_cursor();
  handset.stop();
}

// Write into Group as a user meets it: its own tool-bar icon; a chooser
// that says what it is for and shows no logo it has not read (after Read
// System Logo the first group's field holds the operator logo); after the
// write, the read back with only OK, the group's logo as the handset holds
// it. Open says how a picture of another size was placed, and asks before
// placing one more than twice the logo's size.
TEST(GraphicsWindowsLink, WriteIntoGroupSaysWhatItShowsAndOpenSaysHowAPictureWasPlaced) {
  fresh_settings();
  config().WriteConfirm = 0;
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  sim::PtyHandset& handset = device.handset;
  ScriptedPrompt prompt;
  TelvaneWindows windows(prompt, nullptr);
  TForm1& main = windows.main();
  main.show();
  const auto settled = [&] {
    const LinkState s = windows.link().engine().state();
    return s == LinkState::Idle || s == LinkState::Disconnected;
  };
  main.action(Command::Connect)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return windows.link().engine().state() == LinkState::Idle; }, 10000));
  main.run_command(Command::GroupGraphics);
  TForm16& group = windows.group_graphics();
  TOKHelpRightDlg5& dialog = group.group_dialog();
  const QImage write_icon = group.action(GraphicsCommand::WriteGroup)->icon().pixmap(16, 16).toImage();
  const QImage into_icon = group.action(GraphicsCommand::WriteIntoGroup)->icon().pixmap(16, 16).toImage();
  EXPECT_FALSE(into_icon.isNull());
  EXPECT_NE(into_icon, write_icon);

  // Open: a picture of another size, and one far larger.
  QTemporaryDir dir;
  QString file;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    auto* name = files == nullptr ? nullptr : files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr) return;
    name->setText(file);
    QMetaObject::invokeMethod(files, "accept", Qt::DirectConnection);
  });
  const auto open = [&](int width, int height, const char* name) {
    MonoBitmap picture(width, height);
    for (int x = 0; x < width; x += 2) picture.set(x, x % height, true);
    file = dir.filePath(QString::fromLatin1(name));
    const std::vector<std::uint8_t> bytes = encodeWindowsBitmap(picture);
    std::ofstream(file.toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    answer.start(20);
    group.action(GraphicsCommand::Open)->trigger();
    answer.stop();
  };
  const MonoBitmap empty = group.logic().picture();
  prompt.answers = {false};
  open(84, 48, "startup.bmp");
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0], "startup.bmp is 84 by 48 pixels, more than twice the 72 by 14 picture. Place it all "
                                 "the same, from column 5 and row 4 of it?");
  EXPECT_EQ(group.logic().picture(), empty);
  open(80, 20, "wide.bmp");
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], "wide.bmp is 80 by 20 pixels and the picture 72 by 14: placed from column 5 and row 4 "
                                "of it.");
  EXPECT_NE(group.logic().picture(), empty);
  prompt.messages.clear();

  // Read System Logo, then Write into Group before any groups read.
  group.action(GraphicsCommand::ReadLogo)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return settled() && group.logic().picture().any(); }, 20000));
  const MonoBitmap edited = group.logic().picture();
  const sim::HandsetState before = handset.with_handset([](sim::Handset& h) { return h.state(); });
  struct Seen {
    QString title, instruction, tooltip;
    bool cancel = false;
    QImage first, second;
  };
  std::vector<Seen> seen;
  QTimer choose;
  QObject::connect(&choose, &QTimer::timeout, [&] {
    if (!dialog.isVisible() || seen.size() >= 2) return;
    seen.push_back({dialog.windowTitle(), dialog.instruction()->text(), dialog.logo(0)->toolTip(),
                    dialog.cancel_button()->isVisible(), dialog.logo(0)->image(), dialog.logo(1)->image()});
    if (seen.size() == 1) {
      QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
      QApplication::sendEvent(dialog.logo(1), &press);
    }
    dialog.ok_button()->click();
  });
  choose.start(20);
  group.action(GraphicsCommand::WriteIntoGroup)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 2 && settled(); }, 20000));
  choose.stop();
  const QImage blank = imageOf(MonoBitmap(kLogoWidth, kLogoHeight), kGridBackground);
  EXPECT_EQ(seen[0].title, "Write into Group");
  EXPECT_EQ(seen[0].instruction.toStdString(),
            "Choose the group the picture is written into, then OK. The group keeps its name and ringing tone.");
  EXPECT_TRUE(seen[0].cancel);
  EXPECT_EQ(seen[0].first, blank) << "the first group's field holds the operator logo, not Family's";
  EXPECT_EQ(seen[0].tooltip.toStdString(), "Not read from the handset yet: Read Group Graphic reads the groups' logos.");
  const std::string vip = dialog.name(1)->text().toStdString();
  EXPECT_EQ(seen[1].title.toStdString(), "Group 2 (" + vip + ") as Read Back");
  EXPECT_EQ(seen[1].instruction.toStdString(), "The groups as the handset holds them after the write: group 2 (" + vip +
                                                   ") holds the logo written.");
  EXPECT_FALSE(seen[1].cancel) << "the read back has nothing to cancel";
  EXPECT_TRUE(seen[1].tooltip.isEmpty());
  EXPECT_EQ(seen[1].first, imageOf(unpackRows(before.groups[0].logo), kGridBackground));
  EXPECT_EQ(seen[1].second, imageOf(edited, kGridBackground));
  EXPECT_EQ(handset.with_handset([](sim::Handset& h) { return h.state().groups[1].logo; }), packRows(edited));
  EXPECT_TRUE(prompt.messages.empty()) << prompt.messages.front();
  main.normal_cursor();
  handset.stop();
}

}  // namespace
}  // namespace phondeck::e2e
