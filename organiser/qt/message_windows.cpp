#include "organiser/qt/message_windows.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <set>

#include "app/prompt.h"
#include "app/text_table.h"
#include "organiser/qt/archive_dialog.h"
#include "session/qt/entry_mime.h"
#include "session/qt/number_editor.h"
#include "session/qt/save_dialog.h"

namespace phondeck {
namespace {

const QString kRecipientsMime = QStringLiteral("application/x-phondeck-recipients");

QString qs(const std::string& text) { return QString::fromStdString(text); }
QString qtx(int id) { return qs(tx(id)); }
QString caption(int id) { return qs(window_title(tx(id))); }

constexpr int kTextArchive = 3720;
constexpr int kTextParts = 3693;    // %1 messages, %2 / %3
constexpr int kTextMessage = 3510;  // the SMS Sending window's message box

std::vector<std::size_t> selected_of(const QTreeWidget& tree) {
  std::vector<std::size_t> rows;
  for (QTreeWidgetItem* item : tree.selectedItems()) {
    const int row = tree.indexOfTopLevelItem(item);
    if (row >= 0) rows.push_back(static_cast<std::size_t>(row));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

// Grid lines in the colour the phone-book lists draw theirs, over the
// style's own painting of each cell (the selection's colours included).
class GridLines final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    const QWidget* view = option.widget;
    const QStyle* style = view ? view->style() : QApplication::style();
    const auto grid = static_cast<QRgb>(style->styleHint(QStyle::SH_Table_GridLineColor, &option, view));
    painter->save();
    painter->setPen(QColor::fromRgba(grid));
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
  }
};

void set_report_style(QTreeWidget& tree) {
  tree.setRootIsDecorated(false);
  tree.setSelectionMode(QAbstractItemView::ExtendedSelection);
  tree.setSelectionBehavior(QAbstractItemView::SelectRows);
  tree.setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree.setAllColumnsShowFocus(true);
  tree.setUniformRowHeights(true);
  tree.setItemDelegate(new GridLines(&tree));
}

}  // namespace

// ---------------------------------------------------------------- TForm6

MessageListWidget::MessageListWidget(QWidget* parent) : QTreeWidget(parent) {
  set_report_style(*this);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
}

std::vector<std::size_t> MessageListWidget::selected_rows() const { return selected_of(*this); }

QStringList MessageListWidget::mimeTypes() const { return {kMessagesMime}; }

QMimeData* MessageListWidget::mimeData(const QList<QTreeWidgetItem*>&) const {
  auto* mime = new QMimeData;
  if (contacts) set_messages(*mime, contacts(selected_rows()));
  return mime;
}

TForm6::TForm6(OperationEngine& engine, MessageFamily& family, const PhoneBook& book, Prompt& prompt,
               QWidget* parent)
    : QMainWindow(parent), logic_(engine, family, book, prompt), archiver_(engine, family), prompt_(prompt) {
  setObjectName(QStringLiteral("TForm6"));
  file_menu_ = menuBar()->addMenu(QString());
  archive_ = file_menu_->addAction(QString());
  connect(archive_, &QAction::triggered, this, [this] { archive(); });
  // The archive goes on once the running step has returned: it may ask
  // before its delete, and shows its summary at the end.
  archiver_.later = [this](std::function<void()> work) { QTimer::singleShot(0, this, std::move(work)); };
  QToolBar* bar = addToolBar(QString());
  bar->setMovable(false);
  bar->setIconSize(QSize(16, 16));
  auto add_tool = [&](int number, QStyle::StandardPixmap icon, const QKeySequence& key, auto slot) {
    QAction* a = bar->addAction(style()->standardIcon(icon), QString());
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, slot);
    tools_.emplace_back(number, a);
  };
  add_tool(1, QStyle::SP_FileIcon, QKeySequence(Qt::CTRL | Qt::Key_1), [this] {
    if (logic_.new_message()) {
      filling_ = true;
      memo_->clear();
      filling_ = false;
      update_counter();
    }
  });
  add_tool(2, QStyle::SP_DialogSaveButton, QKeySequence(Qt::CTRL | Qt::Key_2), [this] { export_folder(); });
  bar->addSeparator();
  add_tool(5, QStyle::SP_ArrowDown, QKeySequence(Qt::CTRL | Qt::Key_4), [this] {
    logic_.read();
  });
  add_tool(7, QStyle::SP_ArrowUp, QKeySequence(Qt::CTRL | Qt::Key_5), [this] {
    logic_.write();
  });
  add_tool(8, QStyle::SP_CommandLink, QKeySequence(Qt::CTRL | Qt::Key_6), [this] {
    if (logic_.send() && on_send) on_send();
  });
  bar->addSeparator();
  add_tool(10, QStyle::SP_ArrowBack, QKeySequence(Qt::CTRL | Qt::Key_0), [this] {
    if (on_back) on_back();
  });

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  auto* upper = new QSplitter(Qt::Horizontal, central);
  tree_ = new QTreeWidget(upper);
  tree_->setHeaderHidden(true);
  list_ = new MessageListWidget(upper);
  list_->contacts = [this](const std::vector<std::size_t>& rows) { return logic_.contacts(rows); };
  upper->setStretchFactor(0, 1);
  upper->setStretchFactor(1, 3);
  auto* count_panel = new QWidget(central);
  count_panel->setFixedHeight(50);
  auto* count_row = new QHBoxLayout(count_panel);
  count_label_ = new QLabel(count_panel);
  counter_ = new QLineEdit(count_panel);
  counter_->setReadOnly(true);
  count_row->addWidget(count_label_);
  count_row->addWidget(counter_);
  count_row->addStretch(1);
  memo_ = new QPlainTextEdit(central);
  // A message is one paragraph more often than not: it wraps at the width.
  memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  column->addWidget(upper, 1);
  column->addWidget(count_panel);
  column->addWidget(memo_, 2);
  setCentralWidget(central);

  connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    const int index = item->parent() == nullptr ? -1 : item->parent()->indexOfChild(item);
    logic_.select_folder(index == 0 ? SmsFolder::Inbox : index == 1 ? SmsFolder::Outbox : SmsFolder::Root);
    refresh_list();
  });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    logic_.open_row(static_cast<std::size_t>(list_->indexOfTopLevelItem(item)));
    filling_ = true;
    memo_->setPlainText(qs(logic_.text()));
    filling_ = false;
    update_counter();
  });
  connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
    if (filling_) return;
    logic_.set_text(memo_->toPlainText().toStdString());
    update_counter();
  });
  delete_ = new QAction(this);
  connect(delete_, &QAction::triggered, this, [this] {
    logic_.delete_rows(list_->selected_rows());
  });
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    QMenu menu(this);
    delete_->setEnabled(!list_->selectedItems().isEmpty());
    menu.addAction(delete_);
    menu.exec(list_->viewport()->mapToGlobal(pos));
  });
  family.set_read_listener([this] {
    logic_.read_done();
    refresh_list();
  });
  apply_texts();
  update_counter();
  resize(640, 480);
}

QAction* TForm6::tool(int number) const {
  for (const auto& [n, a] : tools_) {
    if (n == number) return a;
  }
  return nullptr;
}

void TForm6::apply_texts() {
  setWindowTitle(caption(148));
  static const std::map<int, int> hints{{1, 600}, {2, 605}, {5, 601}, {7, 602}, {8, 603}, {10, 604}};
  for (const auto& [n, a] : tools_) a->setToolTip(qtx(hints.at(n)));
  tree_->clear();
  auto* root = new QTreeWidgetItem(tree_, {qtx(630)});
  new QTreeWidgetItem(root, {qtx(631)});
  new QTreeWidgetItem(root, {qtx(632)});
  tree_->expandAll();
  show_folder_in_tree();
  list_->setHeaderLabels({qtx(610), qtx(611), qtx(612), qtx(613)});
  count_label_->setText(qtx(620));
  delete_->setText(caption(113));
  file_menu_->setTitle(qtx(100));
  archive_->setText(qtx(kTextArchive));
}

void TForm6::archive() {
  ArchiveDialog dialog(this);
  if (dialog.exec() == QDialog::Accepted) start_archive(dialog.folder(), dialog.delete_written());
}

bool TForm6::start_archive(const std::string& folder, bool delete_written) {
  auto ask = [this](const std::string& question) { return prompt_.ask_yes_no(question); };
  // A run the link cut off before its files were written says nothing more.
  return archiver_.start(folder, delete_written, ask, [this](const OperationResult&) {
    if (archiver_.summary().read_done) prompt_.message(archiver_.summary_text());
  });
}

void TForm6::show_window() {
  show();
  raise();
  activateWindow();
}

void TForm6::show_folder_in_tree() {
  QTreeWidgetItem* root = tree_->topLevelItem(0);
  if (root == nullptr) return;
  const SmsFolder folder = logic_.folder();
  QTreeWidgetItem* shown = folder == SmsFolder::Inbox    ? root->child(0)
                           : folder == SmsFolder::Outbox ? root->child(1)
                                                         : root;
  if (shown != nullptr && tree_->currentItem() != shown) tree_->setCurrentItem(shown);
}

void TForm6::refresh_list() {
  show_folder_in_tree();
  list_->clear();
  const QIcon unread = style()->standardIcon(QStyle::SP_MessageBoxInformation);
  for (const MessageRow& row : logic_.rows()) {
    auto* item = new QTreeWidgetItem(list_, {qs(row.Phone), qs(row.Name), qs(row.Abstract), qs(row.Time)});
    if (row.icon == 1) item->setIcon(0, unread);
  }
}

void TForm6::apply_font(const QFont& font) {
  for (QWidget* w : std::initializer_list<QWidget*>{tree_, list_, list_->header(), memo_}) w->setFont(font);
}

void TForm6::update_counter() {
  const QString text = qs(logic_.counter_text());
  counter_->setText(text);
  // Wide enough for the longest count ("6 messages, 918 / 918") and this one.
  const QFontMetrics metrics(counter_->font());
  const int widest =
      std::max(metrics.horizontalAdvance(text), metrics.horizontalAdvance(qs(tx_with(kTextParts, {"6", "918", "918"}))));
  counter_->setMinimumWidth(widest + 4 * metrics.averageCharWidth());
  if (on_text_changed) on_text_changed();
  QPalette palette = counter_->palette();
  palette.setColor(QPalette::Text, logic_.counter_red() ? QColor(255, 0, 0) : QApplication::palette().color(QPalette::Text));
  counter_->setPalette(palette);
}

void TForm6::export_folder() {
  const QString path = save_file_name(this, caption(605), QStringLiteral("Text (*.txt)"));
  std::string report;
  if (!path.isEmpty() && logic_.export_folder(path.toStdString(), &report)) statusBar()->showMessage(qs(report));
}

void TForm6::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------- TForm18

RecipientListWidget::RecipientListWidget(QWidget* parent) : QTreeWidget(parent) {
  set_report_style(*this);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::CopyAction);
}

std::vector<std::size_t> RecipientListWidget::selected_rows() const { return selected_of(*this); }

QStringList RecipientListWidget::mimeTypes() const { return {kRecipientsMime}; }

QMimeData* RecipientListWidget::mimeData(const QList<QTreeWidgetItem*>&) const {
  auto* mime = new QMimeData;
  mime->setData(kRecipientsMime, QByteArray("rows"));
  return mime;
}

namespace {
bool takes(const QMimeData* mime) {
  if (mime == nullptr) return false;
  if (mime->hasFormat(kMessagesMime) || mime->hasFormat(kRecipientsMime)) return true;
  const std::optional<DragSource> source = entries_source(*mime);
  return source && *source != DragSource::ThirdList;
}
}  // namespace

void RecipientListWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (takes(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void RecipientListWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (takes(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void RecipientListWidget::dropEvent(QDropEvent* event) {
  if (!takes(event->mimeData())) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
  if (dropped) dropped(*event->mimeData());
}

TForm18::TForm18(OperationEngine& engine, MessageFamily& family, PhoneBook& book, Prompt& prompt,
                 TOKHelpRightDlg3& phone_editor, QWidget* parent)
    : QDialog(parent), logic_(engine, family, book, prompt), book_(book), phone_editor_(phone_editor) {
  setObjectName(QStringLiteral("TForm18"));
  setModal(false);
  auto* column = new QVBoxLayout(this);
  // What goes out: the text (or what the data is) and its parts.
  message_label_ = new QLabel(this);
  message_ = new QPlainTextEdit(this);
  message_->setObjectName(QStringLiteral("message"));
  message_->setReadOnly(true);
  message_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  message_->setMaximumHeight(message_->fontMetrics().lineSpacing() * 4 + 12);
  parts_ = new QLabel(this);
  parts_->setObjectName(QStringLiteral("parts"));
  parts_->setWordWrap(true);
  column->addWidget(message_label_);
  column->addWidget(message_);
  column->addWidget(parts_);
  group_ = new QGroupBox(this);
  auto* inside = new QVBoxLayout(group_);
  list_ = new RecipientListWidget(group_);
  inside->addWidget(list_, 1);
  auto* validity_row = new QHBoxLayout;
  validity_label_ = new QLabel(group_);
  slider_ = new QSlider(Qt::Horizontal, group_);
  slider_->setRange(0, 200);
  slider_->setValue(logic_.validity());
  validity_ = new QLineEdit(group_);
  validity_->setReadOnly(true);
  validity_row->addWidget(validity_label_);
  validity_row->addWidget(slider_, 1);
  validity_row->addWidget(validity_);
  inside->addLayout(validity_row);
  auto* clear_row = new QHBoxLayout;
  clear_list_ = new QPushButton(group_);
  clear_result_ = new QPushButton(group_);
  clear_row->addStretch(1);
  clear_row->addWidget(clear_list_);
  clear_row->addWidget(clear_result_);
  inside->addLayout(clear_row);
  column->addWidget(group_, 1);
  auto* send_row = new QHBoxLayout;
  send_all_ = new QPushButton(this);
  send_selected_ = new QPushButton(this);
  send_all_->setAutoDefault(false);
  send_selected_->setAutoDefault(false);
  send_row->addStretch(1);
  send_row->addWidget(send_all_);
  send_row->addWidget(send_selected_);
  column->addLayout(send_row);

  connect(slider_, &QSlider::valueChanged, this, [this](int code) {
    logic_.set_validity(code);
    validity_->setText(qs(logic_.validity_text()));
  });
  connect(clear_list_, &QPushButton::clicked, this, [this] {
    logic_.clear_list();
    refresh();
  });
  connect(clear_result_, &QPushButton::clicked, this, [this] {
    logic_.clear_results();
    refresh();
  });
  connect(send_all_, &QPushButton::clicked, this, [this] {
    logic_.send_all();
    refresh();
  });
  connect(send_selected_, &QPushButton::clicked, this, [this] {
    logic_.send_selected(list_->selected_rows());
    refresh();
  });
  new_ = new QAction(this);
  delete_ = new QAction(this);
  connect(new_, &QAction::triggered, this, [this] {
    const std::vector<std::size_t> rows = list_->selected_rows();
    new_row(rows.empty() ? logic_.rows().size() : rows.front());
  });
  connect(delete_, &QAction::triggered, this, [this] {
    logic_.remove(list_->selected_rows());
    refresh();
  });
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    QMenu menu(this);
    new_->setEnabled(logic_.rows_editable());
    delete_->setEnabled(logic_.rows_editable() && !list_->selectedItems().isEmpty());
    menu.addAction(new_);
    menu.addAction(delete_);
    menu.exec(list_->viewport()->mapToGlobal(pos));
  });
  connect(list_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { edit_row(static_cast<std::size_t>(list_->indexOfTopLevelItem(item))); });
  list_->viewport()->installEventFilter(this);
  list_->dropped = [this](const QMimeData& mime) { take_drop(mime); };
  family.set_send_listener([this] { refresh(); });
  apply_texts();
  refresh();
  resize(440, 460);
}

void TForm18::apply_texts() {
  setWindowTitle(caption(1800));
  message_label_->setText(qtx(kTextMessage));
  group_->setTitle(qtx(1801));
  list_->setHeaderLabels({qtx(610), qtx(611), qtx(1802)});
  validity_label_->setText(qtx(1810));
  validity_->setText(qs(logic_.validity_text()));
  clear_list_->setText(qtx(1820));
  clear_result_->setText(qtx(1821));
  send_all_->setText(qtx(1822));
  send_selected_->setText(qtx(1823));
  new_->setText(qtx(600));
  delete_->setText(caption(113));
}

void TForm18::show_window() {
  refresh();
  show();
  raise();
  activateWindow();
}

void TForm18::refresh() {
  std::set<std::size_t> selected;
  for (std::size_t row : list_->selected_rows()) selected.insert(row);
  list_->clear();
  for (std::size_t i = 0; i < logic_.rows().size(); ++i) {
    const Recipient& r = logic_.rows()[i];
    auto* item = new QTreeWidgetItem(list_, {qs(r.Phone), qs(r.Name), qs(r.Result)});
    item->setSelected(selected.contains(i));
  }
  clear_list_->setEnabled(logic_.rows_editable());
  refresh_message();
}

void TForm18::refresh_message() {
  const QString text = qs(logic_.message_text());
  if (message_->toPlainText() != text) message_->setPlainText(text);
  parts_->setText(qs(logic_.message_summary()));
  QPalette palette = parts_->palette();
  palette.setColor(QPalette::WindowText,
                   logic_.message_refused() ? QColor(255, 0, 0) : QApplication::palette().color(QPalette::WindowText));
  parts_->setPalette(palette);
}

void TForm18::take_entries(const std::vector<PhoneBookEntry>& entries) {
  logic_.drop_entries(entries);
  refresh();
}

void TForm18::take_drop(const QMimeData& mime) {
  if (mime.hasFormat(kMessagesMime)) {
    logic_.drop_messages(messages_of(mime));
  } else if (mime.hasFormat(kRecipientsMime)) {
    logic_.drop_rows(list_->selected_rows());
  } else if (const std::optional<DragSource> source = entries_source(mime)) {
    const PhoneBookList& from = *source == DragSource::LeftPane ? book_.left() : book_.right();
    std::vector<PhoneBookEntry> entries;
    for (std::size_t i = 0; i < from.size(); ++i) {
      if (from.is_selected(i)) entries.push_back(from.entry(i));
    }
    logic_.drop_entries(entries);
  }
  refresh();
}

bool TForm18::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (list_->itemAt(mouse->position().toPoint()) == nullptr) {
      new_row(logic_.rows().size());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool TForm18::ask_number(const std::string& number) {
  phone_editor_.set_number(number);
  phone_editor_.check = [this](const std::string& phone) { return logic_.number_acceptable(phone); };
  const bool accepted = phone_editor_.exec() == QDialog::Accepted;
  phone_editor_.check = nullptr;
  return accepted;
}

void TForm18::new_row(std::size_t before) {
  if (!logic_.rows_editable() || !ask_number("")) return;
  logic_.add(before, phone_editor_.number());
  refresh();
}

void TForm18::edit_row(std::size_t row) {
  if (row >= logic_.rows().size() || !ask_number(logic_.rows()[row].Phone)) return;
  logic_.edit(row, phone_editor_.number());
  refresh();
}

}  // namespace phondeck
