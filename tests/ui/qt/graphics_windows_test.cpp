// Both graphics windows on the offscreen platform: the mouse draws into the
// picture, the coordinate label follows it, the preview and the drawing area
// show the cells, a scroll-bar step shifts the content, and Push fills the
// selected slot; Copy and Paste carry the picture through the clipboard, and
// a picture saved as PNG opens again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "telvane/telvane_windows.h"
#include "media/qt/graphics_windows.h"
#include "media/qt/pixel_grid_panel.h"
#include "ui/qt/main_window.h"
#include "ui_fakes.h"
#include "host/configured_port.h"
#include "session/qt/window_session.h"

namespace phondeck {
namespace {

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

TEST(GraphicsWindowsQt, MouseDrawsThePictureLabelAndPreviewInBothWindows) {
  testing::fresh_texts_and_configuration();
  testing::FakePrompt prompt;
  WindowSession shared(prompt, make_configured_port);
  TForm1 main(shared, prompt);
  TForm16 group(shared.session(), prompt, {}, &main);
  TForm20 startup(shared.session(), prompt, &main);
  const QColor background(64, 192, 128);

  for (GraphicsWindowBase* window : std::initializer_list<GraphicsWindowBase*>{&group, &startup}) {
    GraphicsEditor& editor = window == &group ? group.logic().editor() : startup.logic().editor();
    SCOPED_TRACE(window->objectName().toStdString());
    window->show_window();
    PixelGridPanel& panel = window->panel();
    const PixelGridEditor& grid = editor.grid();
    const int cell = grid.size().cell;
    // The middle of the cell of picture pixel (x, y).
    auto at = [&](int x, int y) {
      return QPoint(grid.leftMargin() + (grid.size().originColumn + x) * cell + cell / 2,
                    grid.topMargin() + (grid.size().originRow + y) * cell + cell / 2);
    };
    PixelGridArea* area = panel.area();

    // A left drag over pixels (0,0)..(2,0), back over (2,0) within its cell;
    // then a right click clears (1,0).
    mouse(area, QEvent::MouseButtonPress, at(0, 0), Qt::LeftButton, Qt::LeftButton);
    for (int x : {1, 2}) mouse(area, QEvent::MouseMove, at(x, 0), Qt::NoButton, Qt::LeftButton);
    mouse(area, QEvent::MouseMove, at(2, 0) + QPoint(1, 1), Qt::NoButton, Qt::LeftButton);
    mouse(area, QEvent::MouseButtonRelease, at(2, 0), Qt::LeftButton, Qt::NoButton);
    mouse(area, QEvent::MouseButtonPress, at(1, 0), Qt::RightButton, Qt::RightButton);
    mouse(area, QEvent::MouseButtonRelease, at(1, 0), Qt::RightButton, Qt::NoButton);
    // XOR: one toggle per entry into a cell, however long the button is held in it.
    panel.method_button(2)->click();
    mouse(area, QEvent::MouseButtonPress, at(4, 2), Qt::LeftButton, Qt::LeftButton);
    mouse(area, QEvent::MouseMove, at(4, 2) + QPoint(1, 0), Qt::NoButton, Qt::LeftButton);
    mouse(area, QEvent::MouseButtonRelease, at(4, 2), Qt::LeftButton, Qt::NoButton);

    MonoBitmap expected(editor.profile().pictureWidth, editor.profile().pictureHeight);
    for (auto [x, y] : {std::pair{0, 0}, {2, 0}, {4, 2}}) expected.set(x, y);
    EXPECT_EQ(grid.picture(), expected);
    const QImage& preview = panel.preview()->image();
    EXPECT_EQ(preview.pixelColor(2, 0), QColor(Qt::black));
    EXPECT_EQ(preview.pixelColor(1, 0), background);
    EXPECT_EQ(preview.pixelColor(4, 2), QColor(Qt::black));
    const QImage& canvas = area->canvas();
    EXPECT_EQ(canvas.pixelColor(at(2, 0)), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(at(1, 0)), background);
    EXPECT_EQ(canvas.pixelColor(grid.leftMargin(), at(1, 1).y()), QColor(192, 192, 192));  // grid line
    // The picture frame's top left corner.
    EXPECT_EQ(canvas.pixelColor(grid.leftMargin() + grid.size().originColumn * cell,
                                grid.topMargin() + grid.size().originRow * cell),
              QColor(128, 128, 128));

    // The label: 1-based inside the picture, "- , -" outside.
    mouse(area, QEvent::MouseMove, at(2, 0), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(panel.label()->text(), "3 , 1");
    mouse(area, QEvent::MouseMove, at(-1, 0), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(panel.label()->text(), "- , -");

    // A line step right shifts the content and leaves the thumb in the middle.
    panel.horizontal()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(grid.picture().get(3, 0));
    EXPECT_FALSE(grid.picture().get(0, 0));
    EXPECT_EQ(preview.pixelColor(0, 0), background);
    EXPECT_EQ(preview.pixelColor(3, 0), QColor(Qt::black));
    EXPECT_EQ(panel.horizontal()->value(), grid.columns());
    // Dragging the thumb two rows down and one back moves the content along;
    // letting go puts the thumb back in the middle without moving it again.
    QScrollBar* bar = panel.vertical();
    bar->setSliderDown(true);
    bar->setSliderPosition(grid.rows() + 2);
    bar->setSliderPosition(grid.rows() + 1);
    bar->setSliderDown(false);
    EXPECT_TRUE(grid.picture().get(3, 1));
    EXPECT_EQ(bar->value(), grid.rows());
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_FALSE(grid.picture().get(3, 1));  // up a page, down a line: in the grid, not the picture
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_TRUE(grid.picture().get(3, 1));

    // Push into the second slot, Pop it back after New.
    mouse(panel.slot_view(), QEvent::MouseButtonPress, panel.slot_view()->slotRect(1).center(), Qt::LeftButton,
          Qt::LeftButton);
    EXPECT_EQ(grid.selectedSlot(), 1);
    panel.push_button()->click();
    EXPECT_EQ(grid.slot(1), grid.picture());
    config().DelConfirm = 0;
    window->action(GraphicsCommand::New)->trigger();
    EXPECT_FALSE(grid.picture().any());
    EXPECT_EQ(preview.pixelColor(3, 0), background);
    panel.method_button(0)->click();
    panel.pop_button()->click();
    EXPECT_EQ(grid.picture(), grid.slot(1));
    // Copy and Paste go through the clipboard as an image.
    panel.copy_button()->click();
    window->action(GraphicsCommand::New)->trigger();
    panel.paste_button()->click();
    EXPECT_EQ(grid.picture(), grid.slot(1));
    // Saved as PNG, the picture opens again through the image loader.
    QTemporaryDir dir;
    const std::string png = dir.filePath("picture.png").toStdString();
    ASSERT_TRUE(editor.save(png, PictureFormat::Png));
    window->action(GraphicsCommand::New)->trigger();
    ASSERT_TRUE(editor.open(png));
    EXPECT_EQ(grid.picture(), grid.slot(1));
    config().DelConfirm = 1;
  }
  EXPECT_TRUE(prompt.messages.empty());
}

TEST(GraphicsWindowsQt, MainWindowCommandsOpenThemKeysLeaveThemAndSendShowsTheSmsWindow) {
  testing::fresh_texts_and_configuration();
  testing::FakePrompt prompt;
  TelvaneWindows windows(prompt, nullptr);
  struct Case {
    Command command;
    GraphicsWindowBase& window;
    const char* title;
  };
  for (const Case& c : {Case{Command::GroupGraphics, windows.group_graphics(), "Group and System Graphics"},
                        Case{Command::StartupGraphic, windows.startup_graphic(), "Startup Graphic"}}) {
    EXPECT_FALSE(c.window.isVisible());
    windows.main().run_command(c.command);
    EXPECT_TRUE(c.window.isVisible());
    EXPECT_EQ(c.window.windowTitle(), c.title);
    QTest::keyClick(&c.window, Qt::Key_0, Qt::ControlModifier);  // Back to Main Window
    EXPECT_TRUE(windows.main().isVisible());
    QTest::keyClick(&c.window, Qt::Key_Escape);
    EXPECT_FALSE(c.window.isVisible());
  }
  // Send System Logo needs the network code first: without a link it stops
  // before the dialog. Send Group Graphic fills the outgoing message and
  // shows the SMS Sending window.
  TForm16& group = windows.group_graphics();
  group.action(GraphicsCommand::SendLogo)->trigger();
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"Please establish connection first"});
  EXPECT_FALSE(windows.sms_sending().isVisible());
  group.action(GraphicsCommand::SendGroup)->trigger();
  EXPECT_TRUE(windows.sms_sending().isVisible());
  const OutgoingSms& sms = windows.session().organiser().message_family().records().outgoing;
  EXPECT_EQ(sms.byte_count, 137);
  EXPECT_EQ(sms.first_octet, 0x51);
  windows.main().normal_cursor();
}

}  // namespace
}  // namespace phondeck
