#pragma once
// TForm1, the main window: menu bar, tool bar, the two title bars and list
// panes with their splitter, the F-key panel, the tree and third list of the
// tree modes, and the status strip. It shows the shared session's phone book
// and link (it is the session's observer while it lives) and forwards every
// command to MainWindowLogic.
#include <QFont>
#include <QMainWindow>
#include <QPrinter>
#include <QTextDocument>

#include <array>
#include <functional>
#include <map>
#include <memory>

#include "link/link_observer.h"
#include "session/handset_session.h"
#include "ui/commands.h"
#include "ui/main_layout.h"
#include "ui/main_window_logic.h"
#include "ui/qt/entry_list.h"
#include "ui/qt/main_window_parts.h"

class QAction;
class QActionGroup;
class QMenu;
class QPushButton;
class QToolBar;

namespace phondeck {

class Prompt;
class TOKHelpRightDlg;
class FindDialog;
class WindowSession;

// TForm1: the main window.
class TForm1 final : public QMainWindow, public LinkObserver, public EntryEditorHost {
  Q_OBJECT
 public:
  // shared: the session the windows share; the link is set up and reset.
  TForm1(WindowSession& shared, Prompt& prompt, QWidget* parent = nullptr);
  ~TForm1() override;

  MainWindowLogic& logic() { return logic_; }

  // Re-reads every caption, menu text, column caption and hint.
  void apply_texts();
  // Lays the controls out for the current size, mode, split and font.
  void arrange();
  // Shows the lists, the selection and the title bars as the model holds them.
  void refresh_views();
  // Runs a command as the menus, tool bar, F-keys, keys and pop-up menu do.
  void run_command(Command command, int argument = 0);
  // The window size Save Configuration writes as Width and Height.
  int window_width() const;
  int window_height() const;
  // Applies a list font to both panes, the title bars, the tree, the third
  // list and the print buffer.
  void apply_list_font(const QFont& font);
  QFont list_font() const { return list_font_; }

  // Save Configuration: tv.dat, and a message when it cannot be written.
  bool save_settings();
  // The view again (tree modes: the tree's nodes and the third list).
  void rebuild_view();
  // The pixel widths of the eight columns of the list shown now.
  std::array<int, 8> shown_column_widths() const;

  // A message box: prefix, " (", the code, ") " and the system's text for it.
  void show_system_error(const std::string& prefix, unsigned code);

  // Windows other parts build, shown by their commands (Options, Messages,
  // Calendar, Ringing Tone, graphics, Profiles, Hardware and Network
  // information, About) and the SMS window's hand-over of dropped entries.
  void set_window_opener(Command command, std::function<void()> open);
  // Receives the handset's network details (MCC, MNC) as they arrive.
  void set_network_listener(std::function<void(int, int)> listener) {
    network_listener_ = std::move(listener);
  }
  void set_editor(TOKHelpRightDlg* editor) { editor_ = editor; }
  // What ends the process (File > Exit, Ctrl+F4, closing the window).
  void set_end_process(std::function<void()> end) { end_process_ = std::move(end); }
  // Font changes are passed on to the Messages window.
  void set_font_listener(std::function<void(const QFont&)> listener) {
    font_listener_ = std::move(listener);
  }

  // Print buffer and printing.
  QTextDocument& print_buffer() { return print_buffer_; }
  QPrinter& printer();
  // Fills the print buffer from the list and prints it on printer(); false
  // when the list is empty.
  bool print_entries();

  // LinkObserver.
  void show_status(const std::string& text) override;
  void progress(int position, int maximum) override;
  void normal_cursor() override;
  // The hourglass until normal_cursor().
  void busy_cursor();
  void link_state_changed(LinkState state) override;
  void network_details(int mcc, int mnc) override;

  // EntryEditorHost.
  bool edit_entry_values(EntryDefaults& defaults) override;

  // Parts the tests and screenshots look at.
  QAction* action(Command command, int argument = 0) const;
  QMenu* edit_menu() const { return edit_menu_; }
  EntryListView* pane(ListSide side) const { return side == ListSide::Left ? left_ : right_; }
  EntryListView* third_list() const { return third_; }
  CategoryTree* tree() const { return tree_; }
  TitleBar* title_bar(ListSide side) const { return side == ListSide::Left ? left_title_ : right_title_; }
  StatusStrip* status_strip() const { return status_; }
  QPushButton* fkey(int k) const { return fkeys_[static_cast<std::size_t>(k)]; }
  QWidget* splitter() const { return splitter_; }
  QToolBar* tool_bar() const { return tool_bar_; }
  QWidget* client() const { return client_; }
  const LayoutResult& layout() const { return layout_; }
  bool is_busy() const { return busy_; }
  FindDialog* find_dialog();
  // The pop-up menu of the lists as it opens now (caller owns it).
  QMenu* make_popup_menu();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  static void substitute_classic_fonts();
  void build_menus();
  void build_tool_bar();
  void build_client();
  void connect_list(EntryListView* view, ListPane pane);
  void apply_mode();
  void activate(ListSide side);
  void recolour_titles();
  void find_next(const FindOptions& options);
  void show_popup(EntryListView* view, const QPoint& pos);
  // Exit: each list changed since it was last read, written or saved is
  // offered for saving (Yes saves through the export dialog, No drops it,
  // Cancel stays); false when the program is to stay.
  bool unsaved_lists_settled();
  void end_process();
  bool handle_key(QKeyEvent* event);
  int client_width() const;
  void window_command(Command command);

  Prompt& prompt_;
  WindowSession& shared_;
  HandsetSession& session_;
  MainWindowLogic logic_;
  TOKHelpRightDlg* editor_ = nullptr;

  std::map<std::pair<Command, int>, QAction*> actions_;
  std::map<Command, std::function<void()>> openers_;
  std::function<void()> end_process_;
  std::function<void(const QFont&)> font_listener_;
  std::function<void(int, int)> network_listener_;
  QMenu* edit_menu_ = nullptr;
  QActionGroup* mode_group_ = nullptr;
  QToolBar* tool_bar_ = nullptr;
  std::vector<std::pair<QAction*, Command>> tool_actions_;

  QWidget* client_ = nullptr;
  QWidget* title_panel_ = nullptr;
  TitleBar* left_title_ = nullptr;
  TitleBar* right_title_ = nullptr;
  std::unique_ptr<ListEntryView> left_view_;
  std::unique_ptr<ListEntryView> right_view_;
  std::unique_ptr<EntryTableModel> left_model_;
  std::unique_ptr<EntryTableModel> right_model_;
  std::unique_ptr<EntryTableModel> third_model_;
  EntryListView* left_ = nullptr;
  EntryListView* right_ = nullptr;
  EntryListView* third_ = nullptr;
  SplitterHandle* splitter_ = nullptr;
  CategoryTree* tree_ = nullptr;
  QWidget* fkey_panel_ = nullptr;
  std::array<QPushButton*, 6> fkeys_{};
  StatusStrip* status_ = nullptr;
  FindDialog* find_ = nullptr;

  LayoutResult layout_;
  QFont list_font_;
  QTextDocument print_buffer_;
  std::unique_ptr<QPrinter> printer_;
  bool busy_ = false;
};

}  // namespace phondeck
