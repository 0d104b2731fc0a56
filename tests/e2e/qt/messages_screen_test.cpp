// What the Messages and SMS Sending windows show, against the virtual handset
// on a pseudo-terminal: a read shows its folder, senders keep their names
// whichever pane of the main window has the focus, selected rows stay
// readable, and the list font of Configuration > Font reaches the Messages
// window.
#include <gtest/gtest.h>

// First: the handset's headers come before Qt's.
#include "pty_windows_rig.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHeaderView>
#include <QImage>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <map>

#include "telvane/telvane_windows.h"
#include "organiser/qt/message_windows.h"
#include "ui/qt/entry_list.h"
#include "session/qt/entry_mime.h"

namespace phondeck::e2e {
namespace {

int luminance(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; }

// A row as drawn: the colour most of it has, and how many of its pixels
// stand out from that colour as text does.
struct RowPaint {
  QRgb background = 0;
  int text_pixels = 0;
};

RowPaint row_paint(QTreeWidget& list, int row) {
  const QImage image = list.viewport()->grab().toImage();
  const qreal scale = image.devicePixelRatio();
  const QRect rect = list.visualItemRect(list.topLevelItem(row)).adjusted(2, 2, -2, -2);
  std::map<QRgb, int> counts;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) ++counts[image.pixel(QPoint(x, y) * scale)];
  RowPaint paint;
  int most = 0;
  for (const auto& [colour, n] : counts)
    if (n > most) std::tie(paint.background, most) = std::pair(colour, n);
  for (const auto& [colour, n] : counts)
    if (std::abs(luminance(colour) - luminance(paint.background)) > 90) paint.text_pixels += n;
  return paint;
}

// The selected row keeps its text readable on a background of its own.
void expect_selected_row_readable(QTreeWidget& list, int row, const char* which) {
  list.clearSelection();
  const RowPaint plain = row_paint(list, row);
  list.topLevelItem(row)->setSelected(true);
  const RowPaint selected = row_paint(list, row);
  EXPECT_NE(selected.background, plain.background) << which << ": the selection does not show";
  EXPECT_GT(selected.text_pixels, plain.text_pixels / 2) << which << ": the selected row's text is gone ("
                                                         << selected.text_pixels << " of " << plain.text_pixels
                                                         << " text pixels)";
}

TEST(MessagesOnScreen, ReadShowsItsFolderWithNamesReadableRowsAndTheListFont) {
  fresh_settings(0);
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TForm6& messages = windows.messages();
    TForm18& sending = windows.sms_sending();
    form.resize(630, 440);
    form.show();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows)) << (prompt.messages.empty() ? "" : prompt.messages[0]);
    form.action(Command::ReadPhoneBook)->trigger();
    ASSERT_TRUE(settle(windows));
    PhoneBook& book = form.logic().book();
    ASSERT_EQ(book.active_side(), ListSide::Left);
    ASSERT_FALSE(book.left().empty());

    // A click in the empty right pane gives it the focus; the phone book
    // just read stays in the left one.
    EntryListView* right = form.pane(ListSide::Right);
    QTest::mouseClick(right->viewport(), Qt::LeftButton, {}, QPoint(10, right->viewport()->height() - 10));
    ASSERT_EQ(book.active_side(), ListSide::Right);

    // Read with the root chosen (as the window opens): the Inbox shows.
    form.action(Command::Messages)->trigger();
    ASSERT_TRUE(messages.isVisible());
    messages.tool(5)->trigger();
    ASSERT_TRUE(settle(windows));
    ASSERT_NE(messages.tree()->currentItem(), nullptr);
    EXPECT_EQ(messages.tree()->currentItem()->text(0), "Inbox");
    ASSERT_EQ(messages.list()->topLevelItemCount(), 6);  // the message in parts is one row
    EXPECT_EQ(messages.list()->topLevelItem(0)->text(0), "+358401234567");
    EXPECT_EQ(messages.list()->topLevelItem(0)->text(1), "Mum");
    EXPECT_EQ(messages.list()->topLevelItem(1)->text(1), "Anna Virtanen");

    // Selected rows stay readable, here and in the SMS Sending list.
    QApplication::processEvents();
    expect_selected_row_readable(*messages.list(), 0, "Messages");
    QMimeData drag;
    set_messages(drag, messages.logic().contacts({0, 1}));
    sending.show_window();
    sending.take_drop(drag);
    ASSERT_EQ(sending.list()->topLevelItemCount(), 2);
    EXPECT_EQ(sending.list()->topLevelItem(0)->text(1), "Mum");
    QApplication::processEvents();
    expect_selected_row_readable(*sending.list(), 1, "SMS Sending");

    // Configuration > Font: the Messages window's tree, list and editor follow.
    QFont chosen = form.list_font();
    chosen.setPointSize(13);
    for (const QString& family : QFontDatabase::families()) {
      if (family != chosen.family()) {
        chosen.setFamily(family);
        break;
      }
    }
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFontDialog*>(w); dialog && dialog->isVisible()) {
          dialog->setCurrentFont(chosen);
          dialog->accept();
        }
      }
    });
    answer.start(20);
    form.run_command(Command::Font);
    answer.stop();
    const QFont taken = form.list_font();
    ASSERT_EQ(taken.pointSize(), 13);
    for (QWidget* w : std::initializer_list<QWidget*>{messages.tree(), messages.list(), messages.memo()}) {
      EXPECT_EQ(w->font().family(), taken.family()) << w->metaObject()->className();
      EXPECT_EQ(w->font().pointSize(), 13) << w->metaObject()->className();
    }
    form.normal_cursor();
  }
  device.handset.stop();
}

}  // namespace
}  // namespace phondeck::e2e
