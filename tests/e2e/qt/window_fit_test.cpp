// Windows at the desktop's default font, in each language, against the
// virtual handset on a pseudo-terminal: whole tab texts without scroll arrows,
// whole button and column captions in every window, calendar subjects shown
// whole before and after Read Time, and a Profiles window no larger than the
// main window, with no empty tool-bar slot and its values greyed until they
// are read. Each window's size is printed for the record.
#include <gtest/gtest.h>

// First: the handset's headers come before Qt's.
#include "pty_windows_rig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QStyle>
#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <cstdio>

#include "app/language.h"
#include "app/language_library.h"
#include "session/qt/qt_translations.h"
#include "telvane/telvane_windows.h"
#include "organiser/qt/archive_dialog.h"
#include "ui/qt/backup_dialog.h"
#include "ui/qt/export_dialog.h"

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

// A caption as drawn: "&" marks the accelerator, "&&" is one "&".
QString shown(QString text) {
  text.replace(QLatin1String("&&"), QChar(0x1));
  text.remove(QLatin1Char('&'));
  text.replace(QChar(0x1), QLatin1Char('&'));
  return text;
}

// The buttons, check boxes, radio buttons, tool-bar buttons and column
// captions the window shows now, each as wide as its text needs (a button's text within its
// frame and half its margin on either side).
void expect_whole_captions_shown(QWidget& window, const std::string& which) {
  for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    if (!button->isVisibleTo(&window) || button->text().isEmpty()) continue;
    if (const auto* tool = qobject_cast<QToolButton*>(button); tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
      continue;
    const QStyle* style = button->style();
    int needed = button->fontMetrics().horizontalAdvance(shown(button->text()));
    if (qobject_cast<QCheckBox*>(button) != nullptr || qobject_cast<QRadioButton*>(button) != nullptr) {
      needed = button->sizeHint().width();
    } else {
      if (!button->icon().isNull()) needed += button->iconSize().width() + 4;
      needed += style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    }
    EXPECT_GE(button->width(), needed) << which << ": the button \"" << shown(button->text()).toStdString()
                                       << "\" is cut (" << button->width() << " of " << needed << " px)";
  }
  for (QToolBar* bar : window.findChildren<QToolBar*>()) {
    const auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    EXPECT_FALSE(bar->isVisibleTo(&window) && more != nullptr && more->isVisibleTo(&window))
        << which << ": the tool bar's buttons do not all fit (" << bar->width() << " px)";
  }
  for (QHeaderView* header : window.findChildren<QHeaderView*>()) {
    if (!header->isVisibleTo(&window) || header->orientation() != Qt::Horizontal || header->model() == nullptr)
      continue;
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int i = 0; i < header->count(); ++i) {
      if (header->isSectionHidden(i) || header->sectionSize(i) == 0) continue;
      const QString text = header->model()->headerData(i, Qt::Horizontal).toString();
      if (text.isEmpty()) continue;
      const int needed = header->fontMetrics().horizontalAdvance(text) + margin;
      EXPECT_GE(header->sectionSize(i), needed) << which << ": the column caption \"" << text.toStdString()
                                                << "\" is cut (" << header->sectionSize(i) << " of " << needed
                                                << " px)";
    }
  }
}

// The same on every page of the window's tab widgets, and their tabs whole.
void expect_whole_captions(QWidget& window, const std::string& which) {
  QApplication::processEvents();
  expect_whole_captions_shown(window, which);
  for (QTabWidget* pages : window.findChildren<QTabWidget*>()) {
    if (!pages->isVisibleTo(&window)) continue;
    const int current = pages->currentIndex();
    expect_whole_tabs(*pages, which.c_str());
    for (int i = 0; i < pages->count(); ++i) {
      pages->setCurrentIndex(i);
      QApplication::processEvents();
      expect_whole_captions_shown(*pages->widget(i), which + " \"" + shown(pages->tabText(i)).toStdString() + "\"");
    }
    pages->setCurrentIndex(current);
  }
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

// A language by its Language setting and code.
struct Language {
  int selection;
  const char* code;
};

void PrintTo(const Language& l, std::ostream* os) { *os << l.code; }

class WindowFit : public ::testing::TestWithParam<Language> {
 protected:
  void SetUp() override {
    fresh_settings(0);
    set_language_search_path({std::string(PHONDECK_SOURCE_DIR) + "/resources"});
    select_language(GetParam().selection);
    ASSERT_EQ(language().code, GetParam().code) << "its library did not load";
  }
  void TearDown() override {
    reset_language_search_path();
    select_language(1);
    install_qt_translation();
  }
};

TEST_P(WindowFit, TabsCaptionsSubjectsAndProfilesFitAtTheDefaultFont) {
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    form.show();
    print_size("Main window", form);
    expect_whole_captions(form, "Main window");
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows)) << (prompt.messages.empty() ? "" : prompt.messages[0]);

    TPagesDlg& options = windows.options();
    options.prepare();
    options.show();
    QApplication::processEvents();
    print_size("Options", options);
    expect_whole_captions(options, "Options");
    options.hide();

    // The windows that show no handset data of their own.
    const std::pair<const char*, QWidget*> plain[] = {
        {"Editor", &windows.editor()},
        {"Phone editor", &windows.phone_editor()},
        {"Hardware", &windows.hardware()},
        {"Network", &windows.network()},
        {"About", &windows.about()},
        {"Operator information", &windows.operator_information()},
    };
    for (const auto& [name, window] : plain) {
      window->show();
      expect_whole_captions(*window, name);
      window->hide();
    }
    {
      BackupDialog backup(true, &form);
      ArchiveDialog archive(&form);
      ExportDialog export_dialog(
          windows.session(), prompt, [](const auto&) { return OperationResult::refused(Refusal::NotConnected); },
          &form);
      const std::pair<const char*, QWidget*> dialogs[] = {
          {"Backup", &backup}, {"Archive", &archive}, {"Export for a New Phone", &export_dialog}};
      for (const auto& [name, window] : dialogs) {
        window->show();
        expect_whole_captions(*window, name);
        window->hide();
      }
    }
    windows.messages().show_window();
    expect_whole_captions(windows.messages(), "Messages");
    windows.sms_sending().show_window();
    expect_whole_captions(windows.sms_sending(), "SMS Sending");
    windows.group_graphics().show_window();
    expect_whole_captions(windows.group_graphics(), "Group and System Graphics");
    windows.startup_graphic().show_window();
    expect_whole_captions(windows.startup_graphic(), "Startup Graphic");

    TForm12& tone = windows.ring_tone();
    form.run_command(Command::RingingTone);
    QApplication::processEvents();
    print_size("Ringing Tone", tone);
    expect_whole_captions(tone, "Ringing Tone");

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
    expect_whole_captions(calendar, "Calendar");
    calendar.logic().write_time();
    ASSERT_TRUE(settle(windows));
    calendar.logic().read_time();
    ASSERT_TRUE(settle(windows));
    ASSERT_FALSE(calendar.handset_time()->text().isEmpty());
    expect_whole_subjects(calendar, "after Read Time");

    // Profiles: no larger than the main window at its configured size, no
    // empty tool-bar slot, values grey until read.
    TForm22& profiles = windows.profiles();
    form.run_command(Command::Profiles);
    QApplication::processEvents();
    print_size("Profiles", profiles);
    expect_whole_captions(profiles, "Profiles");
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
    ASSERT_TRUE(settle(windows, 20000));
    EXPECT_NE(profiles.cell(0, 0)->palette().color(QPalette::ButtonText), grey);
    EXPECT_NE(profiles.cell(6, 1)->palette().color(QPalette::ButtonText), grey);
    EXPECT_TRUE(profiles.cell(0, 0)->toolTip().isEmpty());
    form.normal_cursor();
  }
  device.handset.stop();
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, WindowFit,
                         ::testing::Values(Language{1, "en"}, Language{2, "zh_tw"}, Language{3, "zh_cn"},
                                           Language{4, "fr"}),
                         [](const auto& language) { return std::string(language.param.code); });

}  // namespace
}  // namespace phondeck::e2e
