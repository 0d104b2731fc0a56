// The two graphics windows against the virtual handset on a pseudo-terminal,
// as a user works them: read the caller groups and pick one in the Group
// Graphic dialog, draw on it and write it; read the startup graphic, edit it
// and write it back.
#include <gtest/gtest.h>

// The handset's headers come before Qt's, whose "emit" is a macro.
#include "pty_windows_rig.h"
#include "sim/family_graphics.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/qt/telvane_windows.h"
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
    const LinkState s = main.link().engine().state();
    return s == LinkState::Idle || s == LinkState::Disconnected;
  };
  main.action(Command::Connect)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return main.link().engine().state() == LinkState::Idle; }, 10000));

  // Group and System Graphics: Read Group Graphic opens the dialog when the
  // five groups are in; the third group is picked.
  main.run_command(Command::GroupGraphics);
  TForm16& group = windows.group_graphics();
  TOKHelpRightDlg5& dialog = group.group_dialog();
  QString third_name;
  QTimer pick;
  QObject::connect(&pick, &QTimer::timeout, [&] {
    if (!dialog.isVisible()) return;
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

}  // namespace
}  // namespace phondeck::e2e
