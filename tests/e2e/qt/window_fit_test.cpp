// Windows at the desktop's default font, against the virtual handset on a
// pseudo-terminal: whole tab texts without scroll arrows (Options, Ringing
// Tone), calendar subjects shown whole before and after Read Time, and a
// Profiles window no larger than the main window, with no empty tool-bar
// slot and its values greyed until they are read. Each window's size is
// printed for the record.
#include <gtest/gtest.h>

// First: the handset's headers come before Qt's.
#include "pty_windows_rig.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <cstdio>

#include "app/qt/telvane_windows.h"

namespace phondeck::e2e {
namespace {

void print_size(const char* which, const QWidget& w) {
  std::printf("[size] %s: %d x %d\n", which, w.width(), w.height());
}

// Every tab wider than its text, all within the bar.
void expect_whole_tabs(const QTabWidget& pages, const char* which) {
  const QTabBar* bar = pages.tabBar();
  const int last = bar->count() - 1;
  for (int i = 0; i <= last; ++i) {
    const int text = bar->fontMetrics().horizontalAdvance(bar->tabText(i));
    EXPECT_GT(bar->tabRect(i).width(), text) << which << ": \"" << bar->tabText(i).toStdString() << "\" is cut";
  }
  const int needed = bar->tabRect(last).right() - bar->tabRect(0).left() + 1;
  std::printf("[size] %s tabs: %d px of tabs, the bar %d px\n", which, needed, bar->width());
  EXPECT_LE(bar->tabRect(last).right(), bar->width()) << which << ": the tabs scroll";
}

// Where the widest text of the tree ends, in the column's coordinates.
int text_end(const QTreeWidget& tree) {
  int end = 0;
  for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it) {
    const QRect at = tree.visualItemRect(*it);
    const int icon = (*it)->icon(0).isNull() ? 0 : tree.iconSize().width() + 4;
    end = std::max(end, at.left() + tree.horizontalScrollBar()->value() + icon +
                            tree.fontMetrics().horizontalAdvance((*it)->text(0)));
  }
  return end;
}

// The event rows' texts fit the tree as the window shows it.
void expect_whole_subjects(TForm13& calendar, const char* when) {
  QTreeWidget* tree = calendar.tree();
  QApplication::processEvents();
  const int needed = text_end(*tree);
  std::printf("[size] Calendar %s: %d x %d, the list %d px wide, its texts need %d px\n", when, calendar.width(),
              calendar.height(), tree->viewport()->width(), needed);
  EXPECT_GE(tree->columnWidth(0), needed) << when << ": texts are cut";
  EXPECT_GE(tree->viewport()->width(), needed) << when << ": the list is too narrow for its subjects";
}

TEST(WindowFit, TabsSubjectsAndProfilesFitAtTheDefaultFont) {
  fresh_settings(0);
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    form.show();
    print_size("Main window", form);
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(form)) << (prompt.messages.empty() ? "" : prompt.messages[0]);

    TPagesDlg& options = windows.options();
    options.prepare();
    options.show();
    QApplication::processEvents();
    print_size("Options", options);
    expect_whole_tabs(*options.pages(), "Options");
    options.hide();

    TForm12& tone = windows.ring_tone();
    form.run_command(Command::RingingTone);
    QApplication::processEvents();
    print_size("Ringing Tone", tone);
    expect_whole_tabs(*tone.pages(), "Ringing Tone");

    // The calendar with the subjects a user types, then the handset's clock.
    TForm13& calendar = windows.calendar();
    const QDate today = QDate::currentDate();
    for (const char* subject : {"Dentist appointment", "Call the garage about the car", "Budget meeting"}) {
      CalendarEvent e;
      e.year = today.year();
      e.month = today.month();
      e.day = today.day();
      e.hour = 10;
      e.minute = 30;
      e.type = 3;
      e.data = subject;
      calendar.logic().list().append(e);
    }
    form.run_command(Command::Calendar);
    expect_whole_subjects(calendar, "at first");
    calendar.logic().write_time();
    ASSERT_TRUE(settle(form));
    calendar.logic().read_time();
    ASSERT_TRUE(settle(form));
    ASSERT_FALSE(calendar.handset_time()->text().isEmpty());
    expect_whole_subjects(calendar, "after Read Time");

    // Profiles: no larger than the main window at its configured size, no
    // empty tool-bar slot, values grey until read.
    TForm22& profiles = windows.profiles();
    form.run_command(Command::Profiles);
    QApplication::processEvents();
    print_size("Profiles", profiles);
    if (const auto* scroll = profiles.findChild<QScrollArea*>()) {
      const QSize grid = scroll->widget()->sizeHint();
      std::printf("[size] Profiles grid: %d x %d\n", grid.width(), grid.height());
    }
    EXPECT_LE(profiles.width(), config().Width);
    EXPECT_LE(profiles.height(), config().Height);
    for (const QAction* a : profiles.tool_bar()->actions()) {
      EXPECT_TRUE(a->isSeparator() || !a->text().isEmpty() || !a->icon().isNull()) << "an empty tool-bar slot";
    }
    const QColor grey = profiles.palette().color(QPalette::Disabled, QPalette::ButtonText);
    EXPECT_EQ(profiles.cell(0, 0)->palette().color(QPalette::ButtonText), grey);
    EXPECT_FALSE(profiles.cell(0, 0)->toolTip().isEmpty());
    profiles.read_action()->trigger();
    ASSERT_TRUE(settle(form, 20000));
    EXPECT_NE(profiles.cell(0, 0)->palette().color(QPalette::ButtonText), grey);
    EXPECT_NE(profiles.cell(6, 1)->palette().color(QPalette::ButtonText), grey);
    EXPECT_TRUE(profiles.cell(0, 0)->toolTip().isEmpty());
    form.normal_cursor();
  }
  device.handset.stop();
}

}  // namespace
}  // namespace phondeck::e2e
