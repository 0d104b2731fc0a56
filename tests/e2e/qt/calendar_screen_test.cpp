// The dates the Calendar window writes itself, against the virtual handset
// on a pseudo-terminal: the day's root and the handset's clock after Read
// Time both in the user's locale's short format (German here, whose form no
// other rule gives).
#include <gtest/gtest.h>

// First: the handset's headers come before Qt's.
#include "pty_windows_rig.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>

#include "app/date_text.h"
#include "telvane/telvane_windows.h"

namespace phondeck::e2e {
namespace {

TEST(CalendarOnScreen, TheDayAndTheHandsetClockInTheUsersLocale) {
  fresh_settings(0);
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TForm13& calendar = windows.calendar();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows)) << (prompt.messages.empty() ? "" : prompt.messages[0]);
    form.run_command(Command::Calendar);
    const QLocale german;
    EXPECT_EQ(calendar.tree()->topLevelItem(0)->text(0), german.toString(QDate::currentDate(), QLocale::ShortFormat));

    // The clock set from the computer's, then read back.
    calendar.logic().write_time();
    ASSERT_TRUE(settle(windows));
    calendar.logic().read_time();
    ASSERT_TRUE(settle(windows));
    const QString clock = calendar.handset_time()->text();
    const QDateTime read = german.toDateTime(clock, german.dateTimeFormat(QLocale::ShortFormat));
    EXPECT_TRUE(read.isValid()) << clock.toStdString();
    EXPECT_EQ(read.date().year() % 100, QDate::currentDate().year() % 100) << clock.toStdString();
    // Messages the core writes (a calendar write's failures) use the same form.
    EXPECT_EQ(date_time_text(2027, 1, 3, 9, 0), german.toString(QDateTime(QDate(2027, 1, 3), QTime(9, 0)),
                                                                QLocale::ShortFormat).toStdString());
    form.normal_cursor();
  }
  // The windows gone, dates are ISO 8601 again.
  EXPECT_EQ(date_time_text(2027, 1, 3, 9, 0), "2027-01-03 09:00");
  QLocale::setDefault(before);
  device.handset.stop();
}

}  // namespace
}  // namespace phondeck::e2e
