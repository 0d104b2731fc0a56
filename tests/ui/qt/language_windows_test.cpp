// Telvane started in another language, from tv.dat's Language or the locale:
// the main window's menus, the Options dialog, Qt's own file dialog and the
// edit fields' context menu speak it; a change in the Options dialog brings English back and Qt's texts with
// it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>

#include "app/configuration.h"
#include "app/language.h"
#include "app/language_library.h"
#include "session/qt/qt_translations.h"
#include "telvane/telvane_windows.h"
#include "ui/qt/find_dialog.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A locale variable set for one scope.
class Locale {
 public:
  Locale(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    if (value != nullptr) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~Locale() {
    if (had_) ::setenv(name_, old_.c_str(), 1);
    else ::unsetenv(name_);
  }
  Locale(const Locale&) = delete;
  Locale& operator=(const Locale&) = delete;

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

// The Open and Cancel buttons of Qt's own (not the desktop's) open dialog.
std::pair<QString, QString> file_dialog_buttons() {
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  const auto* box = dialog.findChild<QDialogButtonBox*>();
  if (box == nullptr) return {};
  const QPushButton* open = box->button(QDialogButtonBox::Open);
  const QPushButton* cancel = box->button(QDialogButtonBox::Cancel);
  return {open ? open->text() : QString(), cancel ? cancel->text() : QString()};
}

// Cut in an edit field's context menu (after Undo, Redo and a separator),
// without its shortcut.
QString edit_field_cut() {
  QLineEdit edit;
  const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  const QList<QAction*> actions = menu->actions();
  return actions.size() > 3 ? actions[3]->text().section(QLatin1Char('\t'), 0, 0) : QString();
}

std::vector<QString> menu_titles(TForm1& main) {
  std::vector<QString> titles;
  for (const QAction* a : main.menuBar()->actions()) titles.push_back(a->text());
  return titles;
}

TEST(LanguageWindows, StartInTheLanguageOfTvDatOrTheLocaleWithQtsDialogsInIt) {
  const struct {
    const char* tv_dat;
    const char* lang;
    const char* code;
    const char* locale_code;
    std::vector<QString> menus;
    const char* open;
    const char* cancel;
    const char* cut;
  } starts[] = {
      {"Language=4", "en_US.UTF-8", "fr", "",
       {"&Fichier", "É&dition", "&Liaison", "F&onctions", "&Configuration", "&Aide"}, "&Ouvrir", "Annuler",
       "Co&uper"},
      {"Language=0", "fr_FR.UTF-8", "fr", "040C", {"&Fichier"}, "&Ouvrir", "Annuler", "Co&uper"},
      {"Language=0", "zh_TW.UTF-8", "zh_tw", "0404", {"檔案(&F)"}, "開啟(&O)", "取消", "剪下(&T)"},
      {"Language=0", "zh_CN.UTF-8", "zh_cn", "0804", {"文件(&F)"}, "打开(&O)", "取消", "剪切(&T)"},
      {"Language=0", "zh_HK.UTF-8", "en", "0C04", {"&File"}, "&Open", "Cancel", "Cu&t"},
  };
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  set_language_search_path({std::string(PHONDECK_SOURCE_DIR) + "/resources"});
  for (const auto& start : starts) {
    SCOPED_TRACE(std::string(start.tv_dat) + ", LANG=" + start.lang);
    Locale all("LC_ALL", nullptr);
    Locale messages("LC_MESSAGES", nullptr);
    Locale lang("LANG", start.lang);
    testing::fresh_texts_and_configuration();
    language() = LanguageState{};
    const std::string path = dir.filePath("tv.dat").toStdString();
    std::ofstream(path) << start.tv_dat << "\n";
    set_configuration_path(path);
    load_configuration();
    EXPECT_EQ(language().code, start.code);
    EXPECT_EQ(language().locale_code, start.locale_code);
    testing::FakePrompt prompt;
    {
      TelvaneWindows windows(prompt, nullptr);
      std::vector<QString> menus = menu_titles(windows.main());
      menus.resize(start.menus.size());
      EXPECT_EQ(menus, start.menus);
      windows.options().prepare();
      EXPECT_EQ(windows.options().pages()->tabText(0), qs(tx(1100)));
      EXPECT_EQ(windows.options().windowTitle(), qs(window_title(tx(163))));
      EXPECT_EQ(file_dialog_buttons(), std::make_pair(QString(start.open), QString(start.cancel)));
      EXPECT_EQ(edit_field_cut(), start.cut);
      windows.main().normal_cursor();
    }
  }
  reset_language_search_path();
  set_configuration_path("tv.dat");
}

TEST(LanguageWindows, OptionsChangeTheLanguageOfTheWindowsAndOfQt) {
  testing::fresh_texts_and_configuration();
  set_language_search_path({std::string(PHONDECK_SOURCE_DIR) + "/resources"});
  config().Language = 1;
  select_language(1);
  testing::FakePrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    EXPECT_EQ(file_dialog_buttons().first, "&Open");
    TPagesDlg& options = windows.options();
    for (const auto& [selection, file, open, find_next] :
         {std::tuple{4, "&Fichier", "&Ouvrir", "&Suivant"}, {2, "檔案(&F)", "開啟(&O)", "找下一個(&F)"},
          {1, "&File", "&Open", "&Find Next"}}) {
      options.prepare();
      auto* choice = options.pages()->widget(1)->findChild<QComboBox*>();
      ASSERT_NE(choice, nullptr);
      choice->setCurrentIndex(selection);
      choice->activated(selection);
      for (QPushButton* b : options.findChildren<QPushButton*>()) {
        if (b->text() == qs(tx(10))) b->click();
      }
      EXPECT_EQ(config().Language, selection);
      EXPECT_EQ(menu_titles(windows.main()).front(), file);
      EXPECT_EQ(file_dialog_buttons().first, open);
      // A dialog made before the change takes the new texts when shown.
      FindDialog* find = windows.main().find_dialog();
      find->show();
      EXPECT_EQ(find->find_next_button()->text(), QString::fromUtf8(find_next));
      find->hide();
    }
    windows.main().normal_cursor();
  }
  reset_language_search_path();
}

}  // namespace
}  // namespace phondeck
