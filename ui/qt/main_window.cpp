#include "ui/qt/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include <cstring>

#include "app/configuration.h"
#include "app/help.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "session/qt/window_session.h"
#include "ui/qt/about_box.h"
#include "ui/qt/backup_dialog.h"
#include "ui/qt/entry_editor_dialog.h"
#include "ui/qt/export_dialog.h"
#include "ui/qt/find_dialog.h"
#include "ui/qt/phone_book_file_dialogs.h"
#include "ui/qt/tool_icons.h"

namespace phondeck {
namespace {
constexpr int kTextProduct = 5;
constexpr int kTextSaveList = 3702;
constexpr int kTextEntriesExported = 3705;
constexpr int kStatusHeight = 20;
constexpr const char* kVersionText = "v3.3";

QString qs(const std::string& text) { return QString::fromStdString(text); }

Key key_of(int qt_key) {
  switch (qt_key) {
    case Qt::Key_Insert: return Key::Insert;
    case Qt::Key_Delete: return Key::Delete;
    case Qt::Key_A: return Key::A;
    case Qt::Key_F4: return Key::F4;
    case Qt::Key_F5: return Key::F5;
    case Qt::Key_F6: return Key::F6;
    case Qt::Key_F7: return Key::F7;
    case Qt::Key_F8: return Key::F8;
    default: return Key::Other;
  }
}
}  // namespace

TForm1::TForm1(WindowSession& shared, Prompt& prompt, QWidget* parent)
    : QMainWindow(parent),
      prompt_(prompt),
      shared_(shared),
      session_(shared.session()),
      logic_(prompt, *this, session_.commands(), session_.book()) {
  shared_.set_observer(this);
  session_.set_read_listener([this] {
    // A completed read: in a tree mode the third list shows the new entries too.
    logic_.refresh_tree_view();
    refresh_views();
  });
  build_menus();
  build_tool_bar();
  build_client();
  apply_texts();
  activate(ListSide::Left);

  // The link: frame id of the configured Type, then a reset.
  session_.set_up();
  run_command(Command::Reset);
  // Busy until the splash sequence ends.
  busy_cursor();

  substitute_classic_fonts();
  resize(config().Width, config().Height);
  if (config().UIMode != kModeDefault) run_command(Command::ViewMode, config().UIMode);
  apply_list_font(QFont(qs(config().FontName), config().FontSize > 0 ? config().FontSize : 8));
  qApp->installEventFilter(this);
}

void TForm1::substitute_classic_fonts() {
  // The default list face is rarely installed here: take the narrowest sans
  // face at hand, so that the configured column widths still fit.
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                             {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial"),
                              QStringLiteral("Liberation Sans"),
                              QStringLiteral("DejaVu Sans Condensed")});
}

TForm1::~TForm1() {
  session_.set_read_listener({});
  shared_.set_observer(nullptr);
  qApp->removeEventFilter(this);
  normal_cursor();
  // The lists' views go before the models and the logic they show, and the
  // windows opened over this one (Messages, Calendar, ...) with them.
  delete takeCentralWidget();
  qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

// ------------------------------------------------------------------ building

void TForm1::build_menus() {
  mode_group_ = new QActionGroup(this);
  mode_group_->setExclusive(true);
  std::function<void(QMenu*, const std::vector<MenuItem>&)> add_items =
      [&](QMenu* menu, const std::vector<MenuItem>& items) {
        for (const MenuItem& item : items) {
          if (item.is_separator()) {
            menu->addSeparator();
            continue;
          }
          if (!item.children.empty()) {
            QMenu* sub = menu->addMenu(QString());
            sub->setProperty("text_id", item.text_id);
            add_items(sub, item.children);
            continue;
          }
          QAction* action = menu->addAction(QString());
          action->setProperty("text_id", item.text_id);
          if (*item.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
          action->setVisible(item.visible);
          if (item.command == Command::ViewMode) {
            action->setCheckable(true);
            mode_group_->addAction(action);
          }
          const Command command = item.command;
          const int argument = item.argument;
          connect(action, &QAction::triggered, this,
                  [this, command, argument] { run_command(command, argument); });
          actions_[{command, command == Command::ViewMode ? argument : 0}] = action;
        }
      };
  for (const MenuItem& top : main_menu()) {
    QMenu* menu = menuBar()->addMenu(QString());
    menu->setProperty("text_id", top.text_id);
    add_items(menu, top.children);
    if (top.text_id == 110) edit_menu_ = menu;
  }
  // Opening the Edit menu enables what the active list allows.
  connect(edit_menu_, &QMenu::aboutToShow, this, [this] {
    const EditMenuState s = logic_.edit_menu();
    action(Command::Find)->setEnabled(s.find);
    for (Command c : {Command::SortName, Command::SortUnicode, Command::SortPhone,
                      Command::SortType, Command::SortPosition, Command::SortTypeAndPosition,
                      Command::SortGroup, Command::SortWriteAs}) {
      action(c)->setEnabled(s.sort);
    }
    action(Command::SerializeByType)->setEnabled(s.serialize_all);
    action(Command::SerializeByOrder)->setEnabled(s.serialize_all);
    action(Command::SerializeDuplicated)->setEnabled(s.serialize_duplicated);
    action(Command::Edit)->setEnabled(s.edit);
    action(Command::Delete)->setEnabled(s.delete_entry);
  });
  // Shortcuts work with the menu closed: everything enabled again.
  connect(edit_menu_, &QMenu::aboutToHide, this, [this] {
    QMetaObject::invokeMethod(this, [this] {
      for (QAction* a : edit_menu_->actions()) a->setEnabled(true);
      for (auto& [key, a] : actions_) a->setEnabled(true);
    }, Qt::QueuedConnection);
  });
  action(Command::ViewMode, kModeDefault)->setChecked(true);
}

void TForm1::build_tool_bar() {
  tool_bar_ = addToolBar(QString());
  tool_bar_->setMovable(false);
  tool_bar_->setFloatable(false);
  tool_bar_->setIconSize(QSize(16, 16));
  tool_bar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  for (Command command : phondeck::tool_bar()) {
    if (command == Command::None) {
      tool_bar_->addSeparator();
      continue;
    }
    QAction* a = tool_bar_->addAction(tool_icon(command), QString());
    connect(a, &QAction::triggered, this, [this, command] { run_command(command); });
    if (auto* button = qobject_cast<QToolButton*>(tool_bar_->widgetForAction(a))) {
      button->setFixedWidth(25);
    }
    tool_actions_.emplace_back(a, command);
  }
}

void TForm1::build_client() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  client_ = new QWidget(central);
  status_ = new StatusStrip(central);
  connect(status_, &StatusStrip::double_clicked, this, [this] {
    status_->set_text(QString());
    normal_cursor();
  });

  title_panel_ = new QWidget(client_);
  left_title_ = new TitleBar(client_);
  right_title_ = new TitleBar(client_);
  connect(left_title_, &TitleBar::clicked, this, [this] {
    activate(ListSide::Left);
    left_->setFocus();
  });
  connect(right_title_, &TitleBar::clicked, this, [this] {
    activate(ListSide::Right);
    right_->setFocus();
  });

  left_view_ = std::make_unique<ListEntryView>(logic_.book().left());
  right_view_ = std::make_unique<ListEntryView>(logic_.book().right());
  left_model_ = std::make_unique<EntryTableModel>(*left_view_, DragSource::LeftPane);
  right_model_ = std::make_unique<EntryTableModel>(*right_view_, DragSource::RightPane);
  third_model_ = std::make_unique<EntryTableModel>(logic_.third_view(), DragSource::ThirdList);
  left_ = new EntryListView(*left_model_, DragSource::RightPane, true, client_);
  right_ = new EntryListView(*right_model_, DragSource::LeftPane, true, client_);
  third_ = new EntryListView(*third_model_, std::nullopt, true, client_);
  third_->hide();
  connect_list(left_, ListPane::Left);
  connect_list(right_, ListPane::Right);
  connect_list(third_, ListPane::Third);

  splitter_ = new SplitterHandle(client_);
  connect(splitter_, &SplitterHandle::moved, this, [this](int x) {
    logic_.splitter_moved(x, client_width());
    arrange();
  });

  tree_ = new CategoryTree(client_);
  tree_->hide();
  connect(tree_, &CategoryTree::node_selected, this, [this](int node) {
    logic_.select_tree_node(node);
    refresh_views();
  });
  connect(tree_, &CategoryTree::rows_dropped, this, [this](int node) {
    logic_.drop_rows_on_node(node);
    refresh_views();
  });
  connect(tree_, &CategoryTree::messages_dropped, this,
          [this](std::vector<MessageContact> messages, int node) {
            logic_.drop_messages_on_node(node, messages);
            refresh_views();
          });

  fkey_panel_ = new QWidget(client_);
  for (std::size_t k = 0; k < fkeys_.size(); ++k) {
    fkeys_[k] = new QPushButton(fkey_panel_);
    fkeys_[k]->setFocusPolicy(Qt::NoFocus);
    const Command command = fkey_buttons()[k].command;
    connect(fkeys_[k], &QPushButton::clicked, this, [this, command] { run_command(command); });
  }
}

void TForm1::connect_list(EntryListView* view, ListPane pane) {
  connect(view, &EntryListView::activated_by_user, this, [this, pane] {
    // The panes are hidden in the tree modes, where the left list stays
    // active; hiding the focused pane hands the focus to the other one.
    if (logic_.tree_mode()) return;
    if (pane == ListPane::Left) activate(ListSide::Left);
    if (pane == ListPane::Right) activate(ListSide::Right);
  });
  connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this, [this, pane](int column) {
    logic_.header_clicked(pane, column);
    refresh_views();
  });
  connect(view, &EntryListView::double_clicked_at, this,
          [this, pane](std::optional<std::size_t> row) {
            try {
              logic_.double_clicked(pane, row);
            } catch (const std::exception& error) {
              prompt_.message(error.what());
            }
            refresh_views();
          });
  connect(view, &EntryListView::customContextMenuRequested, this,
          [this, view](const QPoint& pos) { show_popup(view, pos); });
  if (pane == ListPane::Third) {
    connect(view, &EntryListView::messages_dropped, this,
            [this](std::vector<MessageContact> messages, std::optional<std::size_t>) {
              logic_.drop_messages_on_third_list(messages);
              refresh_views();
            });
    return;
  }
  const ListSide side = pane == ListPane::Left ? ListSide::Left : ListSide::Right;
  connect(view, &EntryListView::entries_dropped, this,
          [this, side](DragSource, std::optional<std::size_t> before) {
            logic_.drop_entries_on_pane(side, before);
            refresh_views();
          });
  connect(view, &EntryListView::messages_dropped, this,
          [this, side](std::vector<MessageContact> messages, std::optional<std::size_t> before) {
            logic_.drop_messages_on_pane(side, messages, before);
            refresh_views();
          });
  connect(view, &EntryListView::files_dropped, this,
          [this, side](std::vector<std::string> paths, std::optional<std::size_t> before) {
            // After the drop has ended: the import may ask questions.
            QMetaObject::invokeMethod(this, [this, side, paths, before] {
              activate(side);
              PhoneBookFiles(logic_.book(), prompt_).import_files(side, paths, before);
              refresh_views();
            }, Qt::QueuedConnection);
          });
}

// ------------------------------------------------------------------ texts, layout

void TForm1::apply_texts() {
  const QString caption = qs(tx(kTextProduct)) + QLatin1Char(' ') + QLatin1String(kVersionText);
  setWindowTitle(caption);
  std::function<void(QMenu*)> retext = [&](QMenu* menu) {
    menu->setTitle(qs(tx(menu->property("text_id").toInt())));
    for (QAction* a : menu->actions()) {
      if (a->menu()) {
        retext(a->menu());
      } else if (!a->isSeparator()) {
        a->setText(qs(tx(a->property("text_id").toInt())));
      }
    }
  };
  for (QAction* top : menuBar()->actions()) {
    if (top->menu()) retext(top->menu());
  }
  for (auto& [a, command] : tool_actions_) {
    if (const MenuItem* item = find_menu_item(command)) {
      const QString hint = qs(window_title(tx(item->text_id)));
      a->setText(hint);
      a->setToolTip(hint);
    }
  }
  for (std::size_t k = 0; k < fkeys_.size(); ++k) fkeys_[k]->setText(qs(tx(fkey_buttons()[k].text_id)));
  left_model_->apply_texts();
  right_model_->apply_texts();
  third_model_->apply_texts();
  if (logic_.tree_mode()) {
    logic_.retext_tree();
    tree_->set_nodes(logic_.tree_root(), logic_.tree_children(), logic_.selected_category());
  }
}

// The size the window is created with: what a save writes, a start applies.
// (The frame the desktop draws around it is not ours to size, so it is left
// out; otherwise every save and start would grow the window by the frame.)
int TForm1::window_width() const { return width(); }
int TForm1::window_height() const { return height(); }

int TForm1::client_width() const { return client_ ? client_->width() : width(); }

void TForm1::arrange() {
  if (!client_) return;
  QWidget* central = centralWidget();
  const int status_height = kStatusHeight;
  client_->setGeometry(0, 0, central->width(), std::max(central->height() - status_height, 0));
  status_->setGeometry(0, client_->height(), central->width(), status_height);

  LayoutInput in;
  in.client_width = client_->width();
  in.client_height = client_->height();
  in.tree_mode = logic_.tree_mode();
  in.split_numerator = logic_.split_numerator();
  in.split_denominator = logic_.split_denominator();
  in.font_points = list_font_.pointSize() > 0 ? list_font_.pointSize() : 8;
  in.pixels_per_inch = logicalDpiY();
  in.status_width = status_->width();
  in.status_height = status_height;
  in.method = config().Method;
  in.column_widths = settle_column_widths(config());
  if (in.method != 0 && in.column_widths == Configuration{}.ColumnWidth) {
    // The built-in pixel widths suit a much smaller face than this
    // platform's: sized for the list's font instead. Widths of the user's
    // own in tv.dat are taken as they are.
    const QFontMetrics metrics(list_font_);
    in.column_widths = readable_column_widths(
        in.column_widths, metrics.averageCharWidth(),
        [&metrics](const std::string& text) { return metrics.horizontalAdvance(qs(text)); },
        2 * metrics.averageCharWidth() + 6);
  }
  layout_ = phondeck::arrange(in);
  const LayoutResult& r = layout_;
  auto place = [](QWidget* w, const Rect& rect) {
    w->setGeometry(rect.left, rect.top, rect.width, rect.height);
  };

  if (logic_.tree_mode()) {
    place(tree_, r.tree);
    place(third_, r.third_list);
    place(splitter_, r.splitter);
    third_->set_column_widths(r.columns);
  } else {
    place(title_panel_, r.title_panel);
    place(left_title_, r.left_title);
    place(right_title_, r.right_title);
    place(left_, r.left_pane);
    place(right_, r.right_pane);
    place(splitter_, r.splitter);
    place(fkey_panel_, r.fkey_panel);
    for (std::size_t k = 0; k < fkeys_.size(); ++k) place(fkeys_[k], r.fkeys[k]);
    left_->set_column_widths(r.columns);
    right_->set_column_widths(r.columns);
  }
  status_->place(r.status_panels, r.progress.left, r.progress.top, r.progress.width,
                 r.progress.height);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  arrange();
}

void TForm1::apply_mode() {
  const bool tree = logic_.tree_mode();
  if (QAction* a = action(Command::ViewMode, logic_.mode())) a->setChecked(true);
  for (QWidget* w : std::initializer_list<QWidget*>{title_panel_, left_title_, right_title_, left_,
                                                     right_, fkey_panel_}) {
    w->setVisible(!tree);
  }
  tree_->setVisible(tree);
  third_->setVisible(tree);
  if (tree) tree_->set_nodes(logic_.tree_root(), logic_.tree_children());
  recolour_titles();
  arrange();
}

void TForm1::activate(ListSide side) {
  logic_.activate(side);
  recolour_titles();
}

void TForm1::recolour_titles() {
  const bool left_active = logic_.book().active_side() == ListSide::Left;
  left_title_->set_active(left_active);
  right_title_->set_active(!left_active);
  left_title_->setText(qs(logic_.book().left().title()));
  right_title_->setText(qs(logic_.book().right().title()));
}

void TForm1::refresh_views() {
  left_model_->reload();
  right_model_->reload();
  third_model_->reload();
  recolour_titles();
  // The focused entry of the active list stays in view.
  const PhoneBookList& active = logic_.book().active();
  if (const auto focused = active.focused(); focused && !logic_.tree_mode()) {
    EntryListView* view = pane(logic_.book().active_side());
    view->scrollTo(view->model()->index(static_cast<int>(*focused), 0));
  }
}

void TForm1::apply_list_font(const QFont& font) {
  list_font_ = font;
  for (QWidget* w : std::initializer_list<QWidget*>{left_, right_, third_, tree_, left_title_,
                                                     right_title_}) {
    w->setFont(font);
  }
  print_buffer_.setDefaultFont(font);
  const int row_height = QFontMetrics(font).height() + 4;
  for (EntryListView* v : {left_, right_, third_}) {
    v->verticalHeader()->setDefaultSectionSize(row_height);
    v->horizontalHeader()->setFont(font);
  }
  arrange();
}

// ------------------------------------------------------------------ commands

QAction* TForm1::action(Command command, int argument) const {
  const auto it = actions_.find({command, command == Command::ViewMode ? argument : 0});
  return it == actions_.end() ? nullptr : it->second;
}

void TForm1::set_window_opener(Command command, std::function<void()> open) {
  openers_[command] = std::move(open);
}

void TForm1::run_command(Command command, int argument) {
  try {
    switch (command) {
      case Command::Import:
      case Command::Export:
      case Command::BackupHandset:
      case Command::RestoreHandset:
      case Command::ExportForNewPhone:
      case Command::Print:
      case Command::PrintSetup:
      case Command::Exit:
      case Command::Find:
      case Command::Font:
      case Command::SaveConfiguration:
      case Command::Help:
      case Command::HardwareInfo:
      case Command::Options:
      case Command::NetworkInfo:
      case Command::Messages:
      case Command::Calendar:
      case Command::RingingTone:
      case Command::GroupGraphics:
      case Command::StartupGraphic:
      case Command::Profiles:
      case Command::About:
      case Command::LinkLog: case Command::CopyDiagnostics:
      case Command::DropToSms:
        window_command(command);
        return;
      default:
        break;
    }
    const int before = logic_.mode();
    logic_.run(command, argument, client_width());
    if (logic_.mode() != before) apply_mode();
  } catch (const std::exception& error) {
    prompt_.message(error.what());
  }
  refresh_views();
}

void TForm1::window_command(Command command) {
  switch (command) {
    case Command::Exit:
      end_process();
      return;
    case Command::Import: {
      PhoneBookFiles files(logic_.book(), prompt_);
      import_with_dialog(this, files, logic_.book().active_side());
      logic_.refresh_tree_view();
      refresh_views();
      return;
    }
    case Command::BackupHandset:
    case Command::RestoreHandset:
    case Command::ExportForNewPhone:
      (command == Command::BackupHandset    ? backup_handset_with_dialog
       : command == Command::RestoreHandset ? restore_handset_with_dialog
                                            : export_for_new_phone_with_dialog)(this, session_, prompt_);
      logic_.refresh_tree_view();
      refresh_views();
      return;
    case Command::Export: {
      if (logic_.book().active().empty()) return;
      PhoneBookFiles files(logic_.book(), prompt_);
      std::string path;
      if (export_with_dialog(this, files, &path)) {
        show_status(tx_with(kTextEntriesExported, {std::to_string(logic_.book().active().size()), path}));
      }
      return;
    }
    case Command::Print: {
      QPrintDialog dialog(&printer(), this);
      if (dialog.exec() == QDialog::Accepted) print_entries();
      return;
    }
    case Command::PrintSetup: {
      QPageSetupDialog dialog(&printer(), this);
      dialog.exec();
      return;
    }
    case Command::Find:
      find_dialog()->show();
      find_dialog()->raise();
      find_dialog()->activateWindow();
      return;
    case Command::Font: {
      bool ok = false;
      const QFont font = QFontDialog::getFont(&ok, list_font_, this);
      if (!ok) return;
      apply_list_font(font);
      config().FontSize = font.pointSize();
      config().FontName = font.family().toStdString();
      if (font_listener_) font_listener_(font);
      return;
    }
    case Command::SaveConfiguration:
      save_settings();
      return;
    case Command::Help:
      open_help("0");
      return;
    default:
      break;
  }
  if (const auto it = openers_.find(command); it != openers_.end() && it->second) it->second();
}

bool TForm1::save_settings() {
  return save_configuration_or_report(prompt_, window_width(), window_height());
}

void TForm1::rebuild_view() {
  if (!logic_.tree_mode()) return;
  apply_mode();
  logic_.refresh_tree_view();
  refresh_views();
}

std::array<int, 8> TForm1::shown_column_widths() const {
  const EntryListView* view = logic_.tree_mode() ? third_ : pane(logic_.book().active_side());
  std::array<int, 8> widths{};
  for (int c = 0; c < 8; ++c) widths[static_cast<std::size_t>(c)] = view->columnWidth(c);
  return widths;
}

bool TForm1::unsaved_lists_settled() {
  for (ListSide side : {ListSide::Left, ListSide::Right}) {
    if (!logic_.book().list(side).unsaved()) continue;
    activate(side);  // the list asked about is the one marked active
    switch (prompt_.ask_yes_no_cancel(tx(kTextSaveList))) {
      case Prompt::Answer::Cancel:
        return false;
      case Prompt::Answer::No:
        continue;
      case Prompt::Answer::Yes: {
        PhoneBookFiles files(logic_.book(), prompt_);
        if (!export_with_dialog(this, files)) return false;  // not saved: stay
      }
    }
  }
  return true;
}

void TForm1::end_process() {
  if (!unsaved_lists_settled()) return;
  session_.link().port().close();
  if (end_process_) {
    end_process_();
  } else {
    QCoreApplication::exit(0);
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  event->ignore();
  end_process();
}

// ------------------------------------------------------------------ keys, pop-up

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  // Only keys meant for this window (not for a dialog on top of it).
  if (widget == nullptr || widget->window() != this || QApplication::activeModalWidget()) {
    return QMainWindow::eventFilter(watched, event);
  }
  return handle_key(static_cast<QKeyEvent*>(event)) || QMainWindow::eventFilter(watched, event);
}

bool TForm1::handle_key(QKeyEvent* event) {
  const Key key = key_of(event->key());
  // F4, F7, F8 and Ctrl+F4 are menu shortcuts; the rest is handled here.
  if (key == Key::Other || key == Key::F4 || key == Key::F7 || key == Key::F8) return false;
  const bool control = event->modifiers().testFlag(Qt::ControlModifier);
  const Command command = command_for_key(key, control, logic_.tree_mode());
  if (command == Command::None) return false;
  run_command(command);
  return true;
}

QMenu* TForm1::make_popup_menu() {
  auto* menu = new QMenu(this);
  const bool has_selection = logic_.popup_has_selection();
  for (const FKey& item : popup_menu()) {
    QAction* a = menu->addAction(qs(tx(item.text_id)));
    a->setEnabled(item.command == Command::Insert || has_selection);
    const Command command = item.command;
    connect(a, &QAction::triggered, this, [this, command] { run_command(command); });
  }
  return menu;
}

void TForm1::show_popup(EntryListView* view, const QPoint& pos) {
  QMenu* menu = make_popup_menu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(view->viewport()->mapToGlobal(pos));
}

// ------------------------------------------------------------------ find, print

FindDialog* TForm1::find_dialog() {
  if (!find_) {
    find_ = new FindDialog(this);
    connect(find_, &FindDialog::find_next_pressed, this,
            [this](const FindOptions& options) { find_next(options); });
  }
  return find_;
}

void TForm1::find_next(const FindOptions& options) {
  const auto found = logic_.find_next(options);
  refresh_views();
  if (!found) return;
  EntryListView* view = logic_.tree_mode() ? third_ : pane(logic_.book().active_side());
  view->setFocus();
  view->scrollTo(view->model()->index(static_cast<int>(*found), 0));
}

QPrinter& TForm1::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

bool TForm1::print_entries() {
  const std::string caption = windowTitle().toStdString();
  const std::vector<std::string> lines = logic_.print_lines(caption);
  if (lines.empty()) return false;
  QString text;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k) text += QLatin1Char('\n');
    text += qs(lines[k]);
  }
  print_buffer_.setPlainText(text);
  printer().setDocName(qs(caption));
  print_buffer_.print(&printer());
  return true;
}

// ------------------------------------------------------------------ link

void TForm1::show_system_error(const std::string& prefix, unsigned code) {
  prompt_.message(prefix + " (" + std::to_string(code) + ") " +
                  std::strerror(static_cast<int>(code)));
}

void TForm1::show_status(const std::string& text) {
  status_->set_text(qs(text));
  busy_cursor();
}

void TForm1::busy_cursor() {
  if (!busy_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
  }
}

void TForm1::progress(int position, int maximum) {
  status_->progress()->setMaximum(std::max(maximum, 1));
  status_->progress()->setValue(std::clamp(position, 0, std::max(maximum, 1)));
}

void TForm1::normal_cursor() {
  if (busy_) {
    QApplication::restoreOverrideCursor();
    busy_ = false;
  }
}

void TForm1::link_state_changed(LinkState state) {
  const std::optional<std::string> note = logic_.link_state_changed(state);
  if (state != LinkState::Disconnected) return;
  // A reset, also one that cuts a read off: the panes show what the lists
  // hold. The note goes up after the reset's own "Disconnected".
  refresh_views();
  if (note) {
    QMetaObject::invokeMethod(
        this, [this, text = qs(*note)] { status_->set_text(text); }, Qt::QueuedConnection);
  }
}

void TForm1::network_details(int mcc, int mnc) {
  if (network_listener_) network_listener_(mcc, mnc);
}

bool TForm1::edit_entry_values(EntryDefaults& defaults) {
  if (!editor_) return false;
  return editor_->edit_entry_values(defaults);
}

}  // namespace phondeck
