#include "ui/qt/entry_list.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>

#include "app/text_table.h"

namespace phondeck {
namespace {
constexpr int kTextFirstColumn = 191;

QString qs(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

// ------------------------------------------------------------------ model

int EntryTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(view_.size());
}

int EntryTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant EntryTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  const auto row = static_cast<std::size_t>(index.row());
  if (row >= view_.size()) return {};
  return qs(view_.entry(row).column(static_cast<Column>(index.column())));
}

QVariant EntryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= captions_.size()) return {};
  return captions_[section];
}

Qt::ItemFlags EntryTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList EntryTableModel::mimeTypes() const { return {kEntriesMime, kMessagesMime}; }

QMimeData* EntryTableModel::mimeData(const QModelIndexList&) const {
  auto* mime = new QMimeData;
  set_entries_source(*mime, source_);
  return mime;
}

void EntryTableModel::apply_texts() {
  captions_.clear();
  for (int c = 0; c < kColumnCount; ++c) captions_ << qs(window_title(tx(kTextFirstColumn + c)));
  emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

void EntryTableModel::reload() {
  beginResetModel();
  endResetModel();
}

// ------------------------------------------------------------------ list view

EntryListView::EntryListView(EntryTableModel& model, std::optional<DragSource> accepts,
                             bool accept_messages, QWidget* parent)
    : QTableView(parent), model_(model), accepts_(accepts), accept_messages_(accept_messages) {
  setModel(&model_);
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::CopyAction);
  setDropIndicatorShown(true);
  setWordWrap(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { take_selection(); });
  connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
    // The selection model is cleared by the reset; show the list's own.
    show_selection();
  });
}

void EntryListView::show_selection() {
  syncing_ = true;
  QItemSelection selection;
  const int last = model_.columnCount() - 1;
  for (std::size_t row : model_.view().selected_rows()) {
    const int r = static_cast<int>(row);
    selection.select(model_.index(r, 0), model_.index(r, last));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (const auto first = model_.view().first_selected()) {
    const QModelIndex current = model_.index(static_cast<int>(*first), 0);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    scrollTo(current);
  }
  syncing_ = false;
}

void EntryListView::take_selection() {
  if (syncing_) return;
  EntryView& view = model_.view();
  view.clear_selection();
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    view.select(static_cast<std::size_t>(index.row()));
  }
}

void EntryListView::set_column_widths(const std::array<int, 8>& widths) {
  for (int c = 0; c < kColumnCount; ++c) setColumnWidth(c, std::max(widths[c], 1));
}

bool EntryListView::accepts(const QMimeData& mime) const {
  if (accept_messages_ && mime.hasFormat(kMessagesMime)) return true;
  if (accepts_ && !phone_book_files(mime).empty()) return true;
  const auto source = entries_source(mime);
  return source && accepts_ && *source == *accepts_;
}

std::optional<std::size_t> EntryListView::row_at(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  if (!index.isValid()) return std::nullopt;
  return static_cast<std::size_t>(index.row());
}

void EntryListView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  emit activated_by_user();
}

void EntryListView::mousePressEvent(QMouseEvent* event) {
  emit activated_by_user();
  QTableView::mousePressEvent(event);
}

void EntryListView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  emit double_clicked_at(row_at(event->position().toPoint()));
}

void EntryListView::dragEnterEvent(QDragEnterEvent* event) {
  if (accepts(*event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void EntryListView::dragMoveEvent(QDragMoveEvent* event) {
  if (accepts(*event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void EntryListView::dropEvent(QDropEvent* event) {
  if (!handle_drop(*event->mimeData(), event->position().toPoint())) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

bool EntryListView::handle_drop(const QMimeData& mime, const QPoint& pos) {
  if (!accepts(mime)) return false;
  const auto before = row_at(pos);
  if (mime.hasFormat(kMessagesMime)) {
    emit messages_dropped(messages_of(mime), before);
  } else if (const auto source = entries_source(mime)) {
    emit entries_dropped(*source, before);
  } else {
    emit files_dropped(phone_book_files(mime), before);
  }
  return true;
}

// ------------------------------------------------------------------ tree

CategoryTree::CategoryTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QTreeWidget::currentItemChanged, this, [this] {
    if (!building_) emit node_selected(selected_node());
  });
  connect(this, &QTreeWidget::itemClicked, this, [this] { emit node_selected(selected_node()); });
}

void CategoryTree::set_nodes(const std::string& root, const std::vector<std::string>& children,
                             int selected) {
  building_ = true;
  clear();
  auto* top = new QTreeWidgetItem(this, QStringList{qs(root)});
  for (std::size_t k = 0; k < children.size(); ++k) {
    auto* child = new QTreeWidgetItem(top, QStringList{qs(children[k])});
    child->setData(0, Qt::UserRole, static_cast<int>(k));
  }
  top->setData(0, Qt::UserRole, -1);
  top->setExpanded(true);
  const bool child = selected >= 0 && selected < top->childCount();
  setCurrentItem(child ? top->child(selected) : top);
  building_ = false;
}

int CategoryTree::selected_node() const {
  const QTreeWidgetItem* item = currentItem();
  return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

int CategoryTree::node_at(const QPoint& pos) const {
  const QTreeWidgetItem* item = itemAt(pos);
  return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

bool CategoryTree::accepts(const QMimeData& mime) const {
  if (mime.hasFormat(kMessagesMime)) return true;
  const auto source = entries_source(mime);
  return source && *source == DragSource::ThirdList;
}

void CategoryTree::dragEnterEvent(QDragEnterEvent* event) {
  if (accepts(*event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void CategoryTree::dragMoveEvent(QDragMoveEvent* event) {
  if (accepts(*event->mimeData()) && itemAt(event->position().toPoint()) != nullptr) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void CategoryTree::dropEvent(QDropEvent* event) {
  if (!handle_drop(*event->mimeData(), event->position().toPoint())) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

bool CategoryTree::handle_drop(const QMimeData& mime, const QPoint& pos) {
  if (!accepts(mime) || itemAt(pos) == nullptr) return false;
  const int node = node_at(pos);
  if (mime.hasFormat(kMessagesMime)) {
    emit messages_dropped(messages_of(mime), node);
  } else {
    emit rows_dropped(node);
  }
  return true;
}

}  // namespace phondeck
