// The Messages and SMS Sending windows against the virtual handset on a
// pseudo-terminal: Function > Messages, Read, the Inbox, composing, Write,
// Send to three recipients, two dragged from the phone book, one refused.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

// First: the handset's headers come before Qt's.
#include "pty_windows_rig.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QAbstractTextDocumentLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "telvane/telvane_windows.h"
#include "organiser/qt/message_windows.h"
#include "session/qt/number_editor.h"
#include "session/qt/entry_mime.h"

namespace phondeck::e2e {
namespace {

TEST(MessagesWindows, ReadWriteAndSendFromTheWindows) {
  fresh_settings(0);
  sim::HandsetState state = demo_state("6110");
  state.sms.refuse_prefix = "+358401234568";  // Dad's number is refused
  PtyDevice device(state);
  ASSERT_TRUE(device.started) << device.error;
  sim::PtyHandset& handset = device.handset;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TForm6& messages = windows.messages();
    TForm18& sending = windows.sms_sending();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows)) << (prompt.messages.empty() ? "" : prompt.messages[0]);

    form.action(Command::Messages)->trigger();
    ASSERT_TRUE(messages.isVisible());
    EXPECT_EQ(messages.windowTitle(), "Messages");
    messages.tool(5)->trigger();  // Read
    ASSERT_TRUE(settle(windows));
    QTreeWidgetItem* inbox = messages.tree()->topLevelItem(0)->child(0);
    QTest::mouseClick(messages.tree()->viewport(), Qt::LeftButton, {},
                      messages.tree()->visualItemRect(inbox).center());
    // Six rows: the message in parts is one, marked with its missing part.
    ASSERT_EQ(messages.list()->topLevelItemCount(), 6);
    EXPECT_TRUE(messages.list()->topLevelItem(5)->text(2).startsWith("[2/3] Meeting notes"));
    QTreeWidgetItem* chinese = messages.list()->topLevelItem(2);
    EXPECT_EQ(chinese->text(0), "+886912345678");
    EXPECT_EQ(chinese->text(1), "");
    EXPECT_EQ(chinese->text(2), QString::fromUtf8("\u4f60\u597d\uff0c\u660e\u5929\u898b\u3002"));
    EXPECT_EQ(messages.list()->topLevelItem(0)->text(3), "26.12.08 09:30:00");

    // The live counter, red past the limit.
    messages.memo()->setPlainText(QString(161, 'a'));
    EXPECT_EQ(messages.counter()->text(), "2 messages, 161 / 306");
    messages.tool(7)->trigger();  // Write refused: the outbox holds one message
    EXPECT_EQ(prompt.messages.back(),
              "Write stores one message in the outbox, and this text needs 2. Shorten it to one message, or Send it.");
    messages.memo()->setPlainText(QString::fromUtf8("Caf\u00e9 at 8"));
    EXPECT_EQ(messages.counter()->text(), "18 / 140");
    messages.tool(7)->trigger();  // Write
    ASSERT_TRUE(settle(windows));
    EXPECT_EQ(handset.with_handset([](sim::Handset& h) { return h.state().sms.used(); }), 10);
    QTreeWidgetItem* outbox = messages.tree()->topLevelItem(0)->child(1);
    QTest::mouseClick(messages.tree()->viewport(), Qt::LeftButton, {},
                      messages.tree()->visualItemRect(outbox).center());
    ASSERT_EQ(messages.list()->topLevelItemCount(), 3);
    EXPECT_EQ(messages.list()->topLevelItem(0)->text(2), QString::fromUtf8("Caf\u00e9 at 8"));

    // Two recipients dragged from the phone book.
    form.action(Command::ReadPhoneBook)->trigger();
    ASSERT_TRUE(settle(windows));
    PhoneBook& book = form.logic().book();
    book.active().clear_selection();
    book.active().set_selected(0, true);
    book.active().set_selected(1, true);
    messages.tool(8)->trigger();  // Send
    ASSERT_TRUE(sending.isVisible());
    QMimeData drag;
    set_entries_source(drag, book.active_side() == ListSide::Left ? DragSource::LeftPane : DragSource::RightPane);
    sending.take_drop(drag);
    ASSERT_EQ(sending.list()->topLevelItemCount(), 2);
    EXPECT_EQ(sending.list()->topLevelItem(0)->text(1), "Mum");
    sending.logic().add(99, "0401112223");  // New, as the number editor gives it
    sending.refresh();
    EXPECT_EQ(sending.list()->topLevelItem(2)->text(1), "Anna Virtanen");
    sending.slider()->setValue(197);
    EXPECT_EQ(sending.validity_box()->text(), "5 Week(s)");
    sending.send_all_button()->click();
    ASSERT_TRUE(settle(windows));
    EXPECT_EQ(sending.list()->topLevelItem(0)->text(2), "Succeeded");
    EXPECT_EQ(sending.list()->topLevelItem(1)->text(2), "Failed: the handset refused it (answer 03 00)");
    EXPECT_EQ(sending.list()->topLevelItem(2)->text(2), "Succeeded");
    const std::vector<sim::SentSms> sent = handset.with_handset([](sim::Handset& h) { return h.state().sms.sent; });
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].number, "+358401234567");
    EXPECT_EQ(sent[0].validity, 197);
    EXPECT_EQ(sent[0].coding, 0x08);
  }
  handset.stop();
}

// A number the handset cannot send to fails on its own row, with the reason;
// the number editor keeps such a number out; and Send All sends the text the
// editor shows, refusing it while it is too long.
TEST(MessagesWindows, SendAllSendsTheShownTextToEveryNumberItCan) {
  fresh_settings(0);
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  sim::PtyHandset& handset = device.handset;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TForm6& messages = windows.messages();
    TForm18& sending = windows.sms_sending();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows));
    form.action(Command::Messages)->trigger();
    messages.memo()->setPlainText("First text");
    messages.tool(8)->trigger();  // Send: the SMS Sending window opens
    ASSERT_TRUE(sending.isVisible());

    // New with letters in the number: OK is refused with the Editor's rule.
    TOKHelpRightDlg3& editor = windows.phone_editor();
    bool stayed_open = false;
    QTimer::singleShot(0, [&] {
      editor.field()->setText("call-me-abc");
      editor.accept();
      stayed_open = editor.isVisible();
      editor.field()->setText("0401112223");
      editor.accept();
    });
    sending.new_action()->trigger();
    EXPECT_TRUE(stayed_open);
    EXPECT_EQ(prompt.messages.back(), "A phone number can hold only digits, a leading \"+\", \"*\", \"#\", \"p\" and \"w\".");
    ASSERT_EQ(sending.list()->topLevelItemCount(), 1);
    EXPECT_EQ(sending.list()->topLevelItem(0)->text(0), "0401112223");
    // Numbers that arrive otherwise (an imported list, a dragged message).
    sending.logic().drop_messages({{"call-me-abc", ""}, {"+358401234567", ""}, {"12p34", ""}});

    // The editor's text grows past the limit: Send All refuses it.
    messages.memo()->setPlainText(QString(1000, 'a'));
    EXPECT_EQ(messages.counter()->text(), "1000 / 918");  // more than six parts hold
    const std::size_t told = prompt.messages.size();
    sending.send_all_button()->click();
    ASSERT_TRUE(settle(windows));
    ASSERT_EQ(prompt.messages.size(), told + 1);
    EXPECT_EQ(prompt.messages.back(), "The length of message is too long");
    EXPECT_TRUE(handset.with_handset([](sim::Handset& h) { return h.state().sms.sent.empty(); }));

    messages.memo()->setPlainText("Second text");
    sending.send_all_button()->click();
    ASSERT_TRUE(settle(windows));
    const QString only = QStringLiteral(": a message goes only to a number of digits, with \"+\" first for an international one");
    const QStringList results{"Succeeded", "Failed: The number call-me-abc holds \"c\"" + only, "Succeeded",
                              "Failed: The number 12p34 holds \"p\"" + only};
    for (int row = 0; row < results.size(); ++row) {
      EXPECT_EQ(sending.list()->topLevelItem(row)->text(2), results[row]) << row;
    }
    const std::vector<sim::SentSms> sent = handset.with_handset([](sim::Handset& h) { return h.state().sms.sent; });
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].number, "+358401234567");
    EXPECT_EQ(sent[1].user_data, encode_message_text("Second text").bytes);
  }
  handset.stop();
}

// A long text on screen: the count whole, the editor wrapping it, SMS
// Sending showing it and its parts, each refused part with the handset's
// answer, and a name only for its own number.
TEST(MessagesWindows, ALongTextShownWholeWithItsPartsAndRefusals) {
  fresh_settings(0);
  sim::HandsetState state = demo_state("6110");
  state.sms.refuse_prefix = "+999";
  PtyDevice device(state);
  ASSERT_TRUE(device.started) << device.error;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TForm6& messages = windows.messages();
    TForm18& sending = windows.sms_sending();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows));
    form.action(Command::ReadPhoneBook)->trigger();
    ASSERT_TRUE(settle(windows));
    form.action(Command::Messages)->trigger();
    QString text;
    while (text.size() < 300) text += QStringLiteral("Meet at the station at ten, then lunch. ");
    text.truncate(300);
    messages.memo()->setPlainText(text);
    QTest::qWait(50);
    QLineEdit* counter = messages.counter();
    ASSERT_EQ(counter->text(), "2 messages, 300 / 306");
    // The end of the count is where the whole text would end: nothing
    // scrolled out of the box.
    counter->setCursorPosition(static_cast<int>(counter->text().size()));
    const QRect cursor = counter->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_GE(cursor.center().x(), counter->fontMetrics().horizontalAdvance(counter->text()));
    EXPECT_LE(cursor.center().x(), counter->width());
    EXPECT_EQ(messages.memo()->horizontalScrollBar()->maximum(), 0) << "the editor wraps";
    EXPECT_GT(messages.memo()->document()->documentLayout()->documentSize().height(), 1) << "lines";

    messages.tool(7)->trigger();  // Write: one message only
    EXPECT_EQ(prompt.messages.back(),
              "Write stores one message in the outbox, and this text needs 2. Shorten it to one message, or Send it.");
    messages.tool(8)->trigger();  // Send
    ASSERT_TRUE(sending.isVisible());
    EXPECT_EQ(sending.message_box()->toPlainText(), text);
    EXPECT_EQ(sending.parts_label()->text(), "Goes to each recipient as 2 messages, which the phone joins again");
    // It follows the editor, and says why a text cannot go.
    messages.memo()->setPlainText("Short");
    EXPECT_EQ(sending.message_box()->toPlainText(), "Short");
    EXPECT_EQ(sending.parts_label()->text(), "Goes to each recipient as one message");
    messages.memo()->setPlainText(QString(1000, 'a'));
    EXPECT_EQ(sending.parts_label()->text(), "The length of message is too long");
    messages.memo()->setPlainText(text);

    sending.logic().add(0, "+9991234567");  // New, as the number editor gives it
    sending.logic().add(1, "+358401234567");
    sending.refresh();
    EXPECT_EQ(sending.list()->topLevelItem(0)->text(1), "") << "ends as Mum's number does, but is not it";
    EXPECT_EQ(sending.list()->topLevelItem(1)->text(1), "Mum");
    sending.send_all_button()->click();
    ASSERT_TRUE(settle(windows));
    EXPECT_EQ(sending.list()->topLevelItem(0)->text(2), "Failed: the handset refused part 1 of 2 (answer 03 00)");
    EXPECT_EQ(sending.list()->topLevelItem(1)->text(2), "Succeeded");
    for (QWidget* w : std::initializer_list<QWidget*>{sending.message_box(), sending.parts_label(), sending.list()}) {
      EXPECT_TRUE(w->isVisible());
      EXPECT_GT(w->height(), 0);
    }
    EXPECT_GE(sending.parts_label()->width(),
              sending.parts_label()->fontMetrics().horizontalAdvance(sending.parts_label()->text()))
        << "the parts line is not cut";
  }
  device.handset.stop();
}

// Archive from the window with the delete: asked once the files are on
// disk, naming how many go, then the summary.
TEST(MessagesWindows, ArchiveAsksBeforeItsDeleteHowManyGo) {
  fresh_settings(0);
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  char pattern[] = "/tmp/phondeck-window-archive-XXXXXX";
  const std::string dir = ::mkdtemp(pattern);
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TForm6& messages = windows.messages();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows));
    form.action(Command::Messages)->trigger();
    prompt.answers = {false};
    ASSERT_TRUE(messages.start_archive(dir, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.archiver().running() && !prompt.messages.empty(); }, 8000));
    EXPECT_EQ(prompt.questions, std::vector<std::string>{"Delete the 8 archived messages from the handset?"});
    EXPECT_EQ(prompt.messages.back(), "8 messages written to " + dir +
                                          "\nThe archived messages stay on the handset: the delete was not confirmed");
    EXPECT_EQ(device.handset.with_handset([](sim::Handset& h) { return h.state().sms.messages.size(); }), 9u);
  }
  device.handset.stop();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace phondeck::e2e
