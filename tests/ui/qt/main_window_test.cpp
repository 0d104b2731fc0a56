#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include "media/temp_dir.h"
#include "ui/qt/entry_editor_dialog.h"
#include "ui/qt/find_dialog.h"
#include "ui/qt/main_window.h"
#include "ui_fakes.h"
#include "host/configured_port.h"
#include "session/qt/window_session.h"

namespace phondeck {
namespace {

using testing::FakePrompt;
using testing::make_entry;
using testing::names;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::fresh_texts_and_configuration();
    shared = std::make_unique<WindowSession>(prompt, make_configured_port);
    form = std::make_unique<TForm1>(*shared, prompt);
    editor = new TOKHelpRightDlg(form->logic().book(), form.get());
    form->set_editor(editor);
    form->set_end_process([this] { ++ended; });
    form->resize(800, 500);
    form->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    form->normal_cursor();
    form.reset();
    shared.reset();
  }

  PhoneBookList& left() { return form->logic().book().left(); }
  PhoneBookList& right() { return form->logic().book().right(); }

  void fill() {
    left().append(make_entry("Anna", "111", "Phone", "10", "Family"));
    left().append(make_entry("Bert", "222", "SIM", "9", "VIP"));
    left().append(make_entry("Cleo", "333", "SIM", "2", "Family"));
    form->refresh_views();
  }

  FakePrompt prompt;
  std::unique_ptr<WindowSession> shared;
  std::unique_ptr<TForm1> form;
  TOKHelpRightDlg* editor = nullptr;
  int ended = 0;
};

TEST_F(MainWindowTest, CaptionsMenusFKeysColumnsAndHintsComeFromTheTexts) {
  EXPECT_EQ(form->windowTitle(), "Phondeck v3.3");
  EXPECT_EQ(form->action(Command::FileNew)->text(), "&New");
  EXPECT_EQ(form->action(Command::FileNew)->shortcut(), QKeySequence("Ctrl+N"));
  EXPECT_EQ(form->action(Command::Exit)->shortcut(), QKeySequence("Ctrl+F4"));
  EXPECT_EQ(form->action(Command::Edit)->shortcut(), QKeySequence("F4"));
  EXPECT_EQ(form->action(Command::ViewMode, 4)->text(), "&Type");
  EXPECT_FALSE(form->action(Command::ViewMode, 1)->isVisible());
  EXPECT_TRUE(form->action(Command::ViewMode, 0)->isChecked());
  const QStringList fkeys{"F4 Edit", "F5 Copy", "F6 Move", "F7 Insert", "F8 Delete", "Ctrl+F4 Exit"};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(form->fkey(k)->text(), fkeys[k]);
  QStringList headers;
  for (int c = 0; c < 8; ++c) {
    headers << form->pane(ListSide::Left)->model()->headerData(c, Qt::Horizontal).toString();
  }
  EXPECT_EQ(headers, (QStringList{"Name", "UNICODE", "Phone", "Type", "Position", "Group",
                                  "WriteAs", "Time"}));
  QStringList hints;
  for (QAction* a : form->tool_bar()->actions()) {
    if (!a->isSeparator()) hints << a->toolTip();
  }
  EXPECT_EQ(hints, (QStringList{"New", "Reset", "Connect", "Read", "Clear then Write", "Write All", "Messages",
                                "Calendar", "Ringing Tone", "Group and System Graphics",
                                "Startup Graphic", "Profiles"}));
  EXPECT_EQ(form->status_strip()->text(), "Disconnected");
}

TEST_F(MainWindowTest, ClickingATitleBarActivatesItsPaneAndRecolours) {
  const QColor left_before = form->title_bar(ListSide::Left)->palette().color(QPalette::Window);
  const QColor right_before = form->title_bar(ListSide::Right)->palette().color(QPalette::Window);
  EXPECT_NE(left_before, right_before);
  QTest::mouseClick(form->title_bar(ListSide::Right), Qt::LeftButton);
  EXPECT_EQ(form->logic().book().active_side(), ListSide::Right);
  EXPECT_EQ(form->title_bar(ListSide::Right)->palette().color(QPalette::Window), left_before);
  EXPECT_EQ(form->title_bar(ListSide::Left)->palette().color(QPalette::Window), right_before);
}

TEST_F(MainWindowTest, KeysReachTheWindowBeforeTheLists) {
  fill();
  EntryListView* pane = form->pane(ListSide::Left);
  pane->setFocus();
  QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(left().selected_indices().size(), 3u);
  QTest::keyClick(pane, Qt::Key_F5);
  EXPECT_EQ(names(right()), (std::vector<std::string>{"Anna", "Bert", "Cleo"}));
  prompt.answers = {false};
  QTest::keyClick(pane, Qt::Key_Delete);
  EXPECT_EQ(prompt.questions, std::vector<std::string>{"Are you sure to clear ?"});
  EXPECT_EQ(left().size(), 3u);
  QTest::keyClick(pane, Qt::Key_Delete);
  EXPECT_TRUE(left().empty());
  EXPECT_EQ(pane->model()->rowCount(), 0);
}

TEST_F(MainWindowTest, TreeModeFromTheMenuAndItsNodes) {
  fill();
  form->action(Command::ViewMode, kModeType)->trigger();
  EXPECT_TRUE(form->tree()->isVisible());
  EXPECT_TRUE(form->third_list()->isVisible());
  EXPECT_FALSE(form->pane(ListSide::Left)->isVisible());
  EXPECT_FALSE(form->fkey(0)->isVisible());
  EXPECT_TRUE(form->action(Command::ViewMode, kModeType)->isChecked());
  QTreeWidgetItem* root = form->tree()->topLevelItem(0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->text(0), "PhoneBook");
  ASSERT_EQ(root->childCount(), 6);
  EXPECT_EQ(form->third_list()->model()->rowCount(), 3);
  form->tree()->setCurrentItem(root->child(1));  // SIM
  EXPECT_EQ(form->third_list()->model()->rowCount(), 2);
  // The layout gives the tree a quarter.
  EXPECT_EQ(form->tree()->width(), form->client()->width() / 4);
  // F5 does nothing in tree modes.
  form->third_list()->setFocus();
  QTest::keyClick(form->third_list(), Qt::Key_F5);
  EXPECT_TRUE(right().empty());
  form->run_command(Command::FileNew);
  EXPECT_TRUE(left().empty());
  EXPECT_FALSE(form->tree()->isVisible());
  EXPECT_TRUE(form->pane(ListSide::Left)->isVisible());
}

TEST_F(MainWindowTest, TreeModeKeepsTheLeftListActiveWhenThePanesLoseFocus) {
  fill();
  form->action(Command::ViewMode, kModeType)->trigger();
  // Hiding the focused left pane passes the focus on to the right pane (on a
  // real display); the hidden right list must not become the active one.
  QFocusEvent focus_in(QEvent::FocusIn, Qt::OtherFocusReason);
  QApplication::sendEvent(form->pane(ListSide::Right), &focus_in);
  EXPECT_EQ(form->logic().book().active_side(), ListSide::Left);
  emit form->third_list()->horizontalHeader()->sectionClicked(4);  // Position
  EXPECT_EQ(names(left()), (std::vector<std::string>{"Cleo", "Bert", "Anna"}));
  EXPECT_EQ(form->third_list()->model()->index(0, 0).data().toString(), "Cleo");
}

TEST_F(MainWindowTest, TextsAppliedAgainInATreeModeKeepTheChosenNode) {
  fill();
  form->action(Command::ViewMode, kModeGroup)->trigger();
  QTreeWidgetItem* root = form->tree()->topLevelItem(0);
  form->tree()->setCurrentItem(root->child(1));  // VIP
  ASSERT_EQ(form->third_list()->model()->rowCount(), 1);
  config().GroupName[1] = "Chefs";  // as a language change resets the names
  form->apply_texts();
  root = form->tree()->topLevelItem(0);
  EXPECT_EQ(root->child(1)->text(0), "Chefs");
  EXPECT_EQ(form->tree()->selected_node(), 1);
  EXPECT_EQ(form->logic().selected_category(), 1);
}

TEST_F(MainWindowTest, HeaderClickSortsTheActiveList) {
  fill();
  emit form->pane(ListSide::Left)->horizontalHeader()->sectionClicked(4);
  EXPECT_EQ(names(left()), (std::vector<std::string>{"Cleo", "Bert", "Anna"}));
  EXPECT_EQ(form->pane(ListSide::Left)->model()->index(0, 0).data().toString(), "Cleo");
}

TEST_F(MainWindowTest, DropsBetweenPanesAndOntoTreeNodes) {
  fill();
  left().set_selected(1, true);
  form->refresh_views();
  QMimeData mime;
  set_entries_source(mime, DragSource::LeftPane);
  EntryListView* target = form->pane(ListSide::Right);
  EXPECT_TRUE(target->handle_drop(mime, QPoint(20, 20)));
  EXPECT_EQ(names(right()), std::vector<std::string>{"Bert"});
  // The left pane does not take its own entries.
  EXPECT_FALSE(form->pane(ListSide::Left)->handle_drop(mime, QPoint(20, 20)));
  EXPECT_EQ(left().size(), 3u);
  // Dropped on the first row of the right pane: the copy goes before it.
  left().clear_selection();
  left().set_selected(2, true);
  const QRect first_row = target->visualRect(target->model()->index(0, 0));
  EXPECT_TRUE(target->handle_drop(mime, first_row.center()));
  EXPECT_EQ(names(right()), (std::vector<std::string>{"Cleo", "Bert"}));

  // Messages dropped onto the right pane.
  QMimeData messages;
  set_messages(messages, {{"0123", "Mia"}});
  EXPECT_TRUE(target->handle_drop(messages, QPoint(20, 200)));
  ASSERT_EQ(right().size(), 3u);
  EXPECT_EQ(right().entry(2).Phone, "0123");

  // Rows of the third list onto the "VIP" node.
  form->run_command(Command::ViewMode, kModeGroup);
  form->tree()->setCurrentItem(form->tree()->topLevelItem(0)->child(0));  // Family
  form->third_list()->selectAll();
  EXPECT_EQ(form->logic().third_view().selected_rows().size(), 2u);
  QMimeData rows;
  set_entries_source(rows, DragSource::ThirdList);
  QTreeWidgetItem* vip = form->tree()->topLevelItem(0)->child(1);
  EXPECT_TRUE(form->tree()->handle_drop(rows, form->tree()->visualItemRect(vip).center()));
  EXPECT_EQ(left().entry(0).Group, "VIP");
  EXPECT_EQ(left().entry(2).Group, "VIP");
  EXPECT_EQ(form->third_list()->model()->rowCount(), 0);
}

TEST_F(MainWindowTest, DroppingAPhoneBookFileOnAPaneImportsItThere) {
  fill();
  mediatest::TempDir dir;
  const std::string path =
      dir.write("friends.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Mia\r\nTEL:0123\r\nEND:VCARD\r\n");
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path)), QUrl::fromLocalFile("/tmp/notes.txt")});
  QMimeData other;
  other.setUrls({QUrl::fromLocalFile("/tmp/notes.txt")});
  EntryListView* target = form->pane(ListSide::Right);
  EXPECT_FALSE(target->accepts(other));
  EXPECT_FALSE(form->third_list()->accepts(mime));
  EXPECT_TRUE(target->handle_drop(mime, QPoint(20, 20)));
  QApplication::processEvents();  // the import runs once the drop has ended
  EXPECT_EQ(names(right()), std::vector<std::string>{"Mia"});
  EXPECT_EQ(form->logic().book().active_side(), ListSide::Right);
  EXPECT_EQ(target->model()->rowCount(), 1);
  EXPECT_EQ(left().size(), 3u);
}

TEST_F(MainWindowTest, EditorRunsFromDoubleClickAndStoresOnOk) {
  fill();
  bool was_modal = false;
  QTimer::singleShot(0, editor, [&] {
    was_modal = QApplication::activeModalWidget() == editor;
    editor->name_field()->setText("  Annabel ");
    for (QPushButton* button : editor->findChildren<QPushButton*>()) {
      if (button->text() == "&OK") button->click();
    }
  });
  emit form->pane(ListSide::Left)->double_clicked_at(0);
  EXPECT_TRUE(was_modal);
  EXPECT_EQ(left().entry(0).Name, "Annabel");
  EXPECT_EQ(form->pane(ListSide::Left)->model()->index(0, 0).data().toString(), "Annabel");
}

TEST_F(MainWindowTest, FindNextSelectsTheMatchInTheView) {
  fill();
  // Ctrl+F opens it; the label's "&" is the mnemonic of the search field.
  form->activateWindow();
  QTest::keyClick(form->pane(ListSide::Left), Qt::Key_F, Qt::ControlModifier);
  FindDialog* find = form->find_dialog();
  EXPECT_TRUE(find->isVisible());
  int labels = 0;
  for (QLabel* label : find->findChildren<QLabel*>()) {
    if (label->text() != "Fi&nd what:") continue;
    EXPECT_EQ(label->buddy(), find->text_field());
    ++labels;
  }
  EXPECT_EQ(labels, 1);
  // Nothing to search for: Find Next cannot be pressed (an empty text would
  // match every entry).
  EXPECT_FALSE(find->find_next_button()->isEnabled());
  find->find_next_button()->click();
  EXPECT_FALSE(left().has_selection());
  find->text_field()->setText("vip");
  EXPECT_TRUE(find->find_next_button()->isEnabled());
  for (QCheckBox* box : find->findChildren<QCheckBox*>()) {
    if (box->isChecked()) box->setChecked(false);  // match case off
  }
  find->find_next_button()->click();
  EXPECT_EQ(left().selected_indices(), std::vector<std::size_t>{1});
  EXPECT_TRUE(form->pane(ListSide::Left)->selectionModel()->isRowSelected(1, {}));
  find->find_next_button()->click();
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"Not found"});
}

TEST_F(MainWindowTest, PrintToPdfWithoutPrinter) {
  fill();
  left().set_selected(0, true);
  left().set_selected(2, true);
  const QString path = QString::fromStdString(::testing::TempDir()) + "phondeck_print.pdf";
  QFile::remove(path);
  form->printer().setOutputFormat(QPrinter::PdfFormat);
  form->printer().setOutputFileName(path);
  ASSERT_TRUE(form->print_entries());
  EXPECT_EQ(form->print_buffer().toPlainText(),
            "Phondeck v3.3\n\nName:  Anna\nPhone: 111\n\nName:  Bert\nPhone: 222\n");
  EXPECT_EQ(form->printer().docName(), "Phondeck v3.3");
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
  pdf.close();
  QFile::remove(path);
}

TEST_F(MainWindowTest, LayoutFollowsArrange) {
  form->resize(900, 500);
  QApplication::processEvents();
  const LayoutResult r = form->layout();
  const int w = form->client()->width() / 6 - 2;
  EXPECT_EQ(form->fkey(3)->geometry(), QRect(2 + 3 * (w + 2), 2, w, 25));
  EXPECT_EQ(form->splitter()->x(), r.left_pane.width + 1);
  // The built-in widths are sized for the list's font; widths of the user's
  // own are pixels as they stand.
  const QFontMetrics metrics(form->list_font());
  EntryListView* left_pane = form->pane(ListSide::Left);
  EXPECT_GT(left_pane->columnWidth(2), metrics.horizontalAdvance("+358401234567"));
  EXPECT_GT(left_pane->columnWidth(4), metrics.horizontalAdvance("Position"));
  config().ColumnWidth[2] = 81;
  form->arrange();
  EXPECT_EQ(left_pane->columnWidth(2), 81);
  EXPECT_EQ(left_pane->columnWidth(4), 40);
  // Dragging the splitter moves the split.
  QTest::mousePress(form->splitter(), Qt::LeftButton, {}, QPoint(1, 10));
  QMouseEvent move(QEvent::MouseMove, QPointF(-99, 10), form->splitter()->mapToGlobal(QPointF(-99, 10)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form->splitter(), &move);
  EXPECT_EQ(form->logic().split_denominator(), form->client()->width());
  EXPECT_EQ(form->pane(ListSide::Left)->width(),
            form->client()->width() * form->logic().split_numerator() / form->client()->width());
  EXPECT_LT(form->pane(ListSide::Left)->width(), r.left_pane.width);
}

TEST_F(MainWindowTest, StatusKeepsTheBusyCursorUntilDoubleClicked) {
  form->normal_cursor();
  form->show_status("Read PhoneBook (Processing)");
  EXPECT_TRUE(form->is_busy());
  EXPECT_EQ(form->status_strip()->text(), "Read PhoneBook (Processing)");
  QTest::mouseDClick(form->status_strip(), Qt::LeftButton);
  EXPECT_FALSE(form->is_busy());
  EXPECT_EQ(form->status_strip()->text(), "");
}

TEST_F(MainWindowTest, HandsetCommandsAreRefusedWhileDisconnected) {
  form->action(Command::ReadPhoneBook)->trigger();
  form->action(Command::NetMonitorClose)->trigger();
  EXPECT_EQ(prompt.messages,
            std::vector<std::string>(2, "Please establish connection first"));
}

TEST_F(MainWindowTest, ExitAndClosingEndTheProcess) {
  form->action(Command::Exit)->trigger();
  EXPECT_EQ(ended, 1);
  form->close();
  EXPECT_EQ(ended, 2);
  QTest::keyClick(form->pane(ListSide::Left), Qt::Key_F4, Qt::ControlModifier);
  EXPECT_EQ(ended, 3);
}

// Exit with a list that is in neither the handset nor a file asks first: Cancel
// stays, Yes saves through the export dialog and quits, No quits. A list
// saved (or read, or written) and not changed since is not asked about.
TEST_F(MainWindowTest, ExitAsksFirstWhileAListHoldsUnsavedChanges) {
  QTemporaryDir dir;
  auto answer_save_dialog = [&](const QString& name) {
    QTimer::singleShot(0, [&dir, name] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->selectFile(dir.filePath(name));
      QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
  };
  fill();  // as imported: in neither the handset nor a file
  prompt.three_way = {Prompt::Answer::Cancel, Prompt::Answer::Yes, Prompt::Answer::No};
  QTest::keyClick(form->pane(ListSide::Left), Qt::Key_F4, Qt::ControlModifier);
  EXPECT_EQ(ended, 0);
  answer_save_dialog("book");
  form->action(Command::Exit)->trigger();
  EXPECT_EQ(ended, 1);
  EXPECT_TRUE(QFile::exists(dir.filePath("book.vcf")));
  EXPECT_EQ(prompt.questions.size(), 2u);
  form->action(Command::Exit)->trigger();  // saved: not asked
  EXPECT_EQ(ended, 2);
  EXPECT_EQ(prompt.questions.size(), 2u);
  // File > Export says what it wrote; a list exported is saved too.
  left().entry(0).Phone = "999";
  answer_save_dialog("again");
  form->action(Command::Export)->trigger();
  EXPECT_EQ(form->status_strip()->text().toStdString(), "3 entries exported to " + dir.filePath("again.vcf").toStdString());
  form->action(Command::Exit)->trigger();
  EXPECT_EQ(ended, 3);
  EXPECT_EQ(prompt.questions.size(), 2u);
  left().entry(0).Phone = "998";
  form->close();  // changed again: asked, and No quits
  EXPECT_EQ(ended, 4);
  ASSERT_EQ(prompt.questions.size(), 3u);
  EXPECT_EQ(prompt.questions.back(),
            "The marked phone-book list has changes that are neither in the phone nor in a file. Save it before quitting?");
}

TEST_F(MainWindowTest, PopupMenuEnablesWithASelection) {
  fill();
  std::unique_ptr<QMenu> menu(form->make_popup_menu());
  ASSERT_EQ(menu->actions().size(), 4);
  EXPECT_FALSE(menu->actions()[0]->isEnabled());
  EXPECT_TRUE(menu->actions()[1]->isEnabled());
  EXPECT_EQ(menu->actions()[3]->text(), "Drop to &SMS");
  left().set_selected(0, true);
  menu.reset(form->make_popup_menu());
  EXPECT_TRUE(menu->actions()[0]->isEnabled());
  EXPECT_TRUE(menu->actions()[2]->isEnabled());
}

TEST_F(MainWindowTest, EditMenuEnablesByTheActiveList) {
  emit form->edit_menu()->aboutToShow();
  EXPECT_FALSE(form->action(Command::Find)->isEnabled());
  EXPECT_FALSE(form->action(Command::Edit)->isEnabled());
  fill();
  emit form->edit_menu()->aboutToShow();
  EXPECT_TRUE(form->action(Command::SortName)->isEnabled());
  EXPECT_FALSE(form->action(Command::Delete)->isEnabled());
}

}  // namespace
}  // namespace phondeck

namespace phondeck {
namespace {

// Every status text the program shows, at the window's default size and the
// default font, is shown whole; what truly cannot fit (a long file name) is
// elided, and the strip's tooltip has it whole.
TEST(MainWindowStatus, EveryStatusTextIsShownWholeAtTheDefaultWidth) {
  testing::fresh_texts_and_configuration();
  testing::FakePrompt prompt;
  WindowSession shared(prompt, make_configured_port);
  TForm1 form(shared, prompt);
  form.set_end_process([] {});
  form.show();
  QApplication::processEvents();
  ASSERT_EQ(form.width(), config().Width);
  const auto with = [](int id, std::initializer_list<std::pair<const char*, std::string>> values) {
    std::string text = tx(id);
    for (const auto& [mark, value] : values) {
      if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, std::string(mark).size(), value);
    }
    return text;
  };
  std::vector<std::string> texts;
  for (int id = 3000; id < 3100; ++id) {
    if (!tx(id).empty()) texts.push_back(tx(id));
  }
  for (int id : {3631, 3632, 3711}) texts.push_back(tx(id));
  texts.push_back(with(3634, {{"%1", "250"}, {"%2", "250"}}));
  texts.push_back(with(3420, {{"%d", "1250"}}));
  StatusStrip* strip = form.status_strip();
  int widest = 0;
  for (const std::string& text : texts) {
    form.show_status(text);
    EXPECT_EQ(strip->text_panel()->text().toStdString(), text);
    EXPECT_TRUE(strip->toolTip().isEmpty()) << text;
    widest = std::max(widest, strip->text_panel()->fontMetrics().horizontalAdvance(QString::fromStdString(text)));
  }
  std::printf("[size] status strip %d px, its widest text %d px\n", strip->width(), widest);
  const std::string path = "/home/someone/Documents/Phondeck/a folder with a long name/phonebook-2026-12-09.vcf";
  const std::string exported = with(3705, {{"%1", "250"}, {"%2", path}});
  form.show_status(exported);
  EXPECT_EQ(strip->text().toStdString(), exported);
  EXPECT_NE(strip->text_panel()->text().toStdString(), exported);
  EXPECT_EQ(strip->toolTip().toStdString(), exported);
  EXPECT_LE(strip->text_panel()->geometry().right(), strip->width());
  form.normal_cursor();
}

}  // namespace
}  // namespace phondeck
