// The Calendar window and the event editor on the offscreen platform: an
// event made in the editor shows in the day view with its alarm, and bolds
// its day in its own year only.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCharFormat>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "organiser/qt/calendar_windows.h"
#include "organiser/qt/message_windows.h"
#include "media/qt/graphics_windows.h"
#include "media/qt/ring_tone_windows.h"
#include "ui/qt/main_window.h"
#include "ui_fakes.h"
#include "host/configured_port.h"
#include "session/qt/window_session.h"

namespace phondeck {
namespace {

TEST(CalendarWindowQt, EventMadeInTheEditorShowsInTheDayView) {
  testing::fresh_texts_and_configuration();
  testing::FakePrompt prompt;
  WindowSession shared(prompt, make_configured_port);
  TForm1 main(shared, prompt);
  int backs = 0;
  TForm13 calendar(shared.session(), prompt, [&] { ++backs; });
  calendar.show_today();
  calendar.logic().show_day({2026, 12, 8});
  calendar.refresh();
  QTreeWidgetItem* root = calendar.tree()->topLevelItem(0);
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->childCount(), 14);  // The Day, 8:00 .. 20:00
  QTreeWidgetItem* ten = root->child(3);
  EXPECT_EQ(ten->text(0), "10:00");

  // New on the 10:00 node: a meeting at 10:30 with the alarm 10 minutes before.
  calendar.open_editor(ten->data(0, Qt::UserRole + 1).toInt());
  TForm14& editor = calendar.editor();
  ASSERT_TRUE(editor.isVisible());
  editor.event_field(4)->setText("30");
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(editor.event_field(4), &out);
  // A Call note has a Name field beside its Phone; a meeting does not.
  editor.type_button(1)->click();
  EXPECT_EQ(editor.text_label()->text(), "Phone");
  EXPECT_TRUE(editor.call_text_field()->isVisible());
  EXPECT_EQ(editor.call_text_label()->text(), "Name");
  editor.type_button(2)->click();
  EXPECT_EQ(editor.text_label()->text(), "Subject");
  EXPECT_FALSE(editor.call_text_field()->isVisible());
  emit editor.enable_choice()->activated(1);
  EXPECT_TRUE(editor.alarm_field(3)->isEnabled());
  EXPECT_EQ(editor.alarm_field(3)->text(), "10");
  EXPECT_EQ(editor.alarm_field(4)->text(), "20");
  editor.text_field()->setText("Budget");
  editor.ok_button()->click();
  EXPECT_FALSE(editor.isVisible());

  root = calendar.tree()->topLevelItem(0);
  ASSERT_EQ(root->child(3)->childCount(), 1);
  EXPECT_EQ(root->child(3)->child(0)->text(0), "10:30  Budget");
  const CalendarEvent& e = shared.session().organiser().calendar().list().at(0);
  EXPECT_EQ(e.type, 3);
  EXPECT_EQ(e.alarm_hour, 10);
  EXPECT_EQ(e.alarm_minute, 20);
  // Day 8 is bold in the month calendar when December is shown.
  calendar.month()->setCurrentPage(2026, 12);
  EXPECT_EQ(calendar.month()->dateTextFormat(QDate(2026, 12, 8)).fontWeight(), QFont::Bold);
  // A year later only birthdays recur.
  CalendarEvent birthday;
  birthday.year = 1990;
  birthday.month = 12;
  birthday.day = 20;
  birthday.type = 4;
  birthday.data = "Anna";
  shared.session().organiser().calendar().list().append(birthday);
  calendar.month()->setCurrentPage(2027, 12);
  EXPECT_NE(calendar.month()->dateTextFormat(QDate(2027, 12, 8)).fontWeight(), QFont::Bold);
  EXPECT_EQ(calendar.month()->dateTextFormat(QDate(2027, 12, 20)).fontWeight(), QFont::Bold);
  EXPECT_EQ(backs, 0);
}

// A name typed without an extension is saved with the filter's, so the Import
// dialog finds it; the status bar says what was written.
TEST(CalendarWindowQt, SaveDialogsAddTheExtensionAndSayWhatWasWritten) {
  testing::fresh_texts_and_configuration();
  testing::FakePrompt prompt;
  WindowSession shared(prompt, make_configured_port);
  TForm1 main(shared, prompt);
  TForm13 calendar(shared.session(), prompt, [] {});
  shared.session().organiser().calendar().list().append(CalendarEvent{});
  MessageFamily& family = shared.session().organiser().message_family();
  family.records().store.append({"0401112223", "Hi", "26.12.08 09:30:00", "Hi", "", "1", "1"});
  TForm6 messages(shared.session().engine(), family, main.logic().book(), prompt);
  messages.logic().select_folder(SmsFolder::Inbox);
  TForm12 tone(shared.session(), prompt, [] {}, [](const SmartSms&) {});
  TForm20 startup(shared.session(), prompt);
  QTemporaryDir dir;
  struct Case {
    QMainWindow* window;
    std::function<void()> save;
    QString typed, written, status;
  };
  const Case cases[] = {
      {&calendar, [&] { calendar.run(CalendarCommand::Export); }, "cal", "cal.ics", "1 events exported to "},
      {&messages, [&] { messages.tool(2)->trigger(); }, "inbox", "inbox.txt", "1 messages saved to "},
      {&calendar, [&] { calendar.run(CalendarCommand::Export); }, "cal.backup", "cal.backup", "1 events exported to "},
      {&tone, [&] { tone.run(TForm12::Tool::Save); }, "tune", "tune.rtttl", "Ringing tone saved to "},
      {&startup, [&] { startup.action(GraphicsCommand::Save)->trigger(); }, "logo", "logo.bmp", "Picture saved to "},
  };
  for (const Case& c : cases) {
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->selectFile(dir.filePath(c.typed));
      QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
    c.save();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(c.written))) << c.written.toStdString();
    EXPECT_EQ(c.window->statusBar()->currentMessage(), c.status + dir.filePath(c.written));
  }
  EXPECT_TRUE(prompt.messages.empty());
}

}  // namespace
}  // namespace phondeck
