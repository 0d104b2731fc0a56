#pragma once
// The report-style phone-book lists: a table model over an EntryView with the
// eight columns, and the view with grid lines, whole-row multiple selection,
// drag and drop, header clicks and double-clicks on rows or empty space.
#include <QAbstractTableModel>
#include <QTableView>
#include <QTreeWidget>

#include <functional>
#include <optional>

#include "ui/entry_view.h"
#include "session/qt/entry_mime.h"

namespace phondeck {

class EntryTableModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  EntryTableModel(EntryView& view, DragSource source, QObject* parent = nullptr)
      : QAbstractTableModel(parent), view_(view), source_(source) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }

  // Re-reads the column captions (texts 191..198, cleaned).
  void apply_texts();
  // The list changed: rows are read again.
  void reload();
  EntryView& view() { return view_; }

 private:
  EntryView& view_;
  DragSource source_;
  QStringList captions_;
};

class EntryListView final : public QTableView {
  Q_OBJECT
 public:
  // accepts: which drags this list takes (besides messages when
  // accept_messages is set).
  EntryListView(EntryTableModel& model, std::optional<DragSource> accepts, bool accept_messages,
                QWidget* parent = nullptr);

  EntryTableModel& entries() { return model_; }
  // Shows the view's selection as the model holds it.
  void show_selection();
  // Writes the user's selection into the EntryView.
  void take_selection();
  void set_column_widths(const std::array<int, 8>& widths);

  bool accepts(const QMimeData& mime) const;
  // What a drop at pos does; false when this list does not take the data.
  bool handle_drop(const QMimeData& mime, const QPoint& pos);

 signals:
  void activated_by_user();
  void double_clicked_at(std::optional<std::size_t> row);
  void entries_dropped(DragSource source, std::optional<std::size_t> before);
  void messages_dropped(std::vector<phondeck::MessageContact> messages,
                        std::optional<std::size_t> before);
  // Phone-book files dropped from a file manager (panes only).
  void files_dropped(std::vector<std::string> paths, std::optional<std::size_t> before);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  std::optional<std::size_t> row_at(const QPoint& pos) const;

  EntryTableModel& model_;
  std::optional<DragSource> accepts_;
  bool accept_messages_;
  bool syncing_ = false;
};

// The tree of the tree modes: the root and its category children. Takes
// rows of the third list and messages as drops.
class CategoryTree final : public QTreeWidget {
  Q_OBJECT
 public:
  explicit CategoryTree(QWidget* parent = nullptr);
  // Rebuilds the nodes and selects a child (-1: the root).
  void set_nodes(const std::string& root, const std::vector<std::string>& children,
                 int selected = -1);
  // -1 for the root.
  int selected_node() const;
  // What a drop at pos does; false when nothing there takes the data.
  bool handle_drop(const QMimeData& mime, const QPoint& pos);

 signals:
  void node_selected(int node);
  void rows_dropped(int node);
  void messages_dropped(std::vector<phondeck::MessageContact> messages, int node);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  int node_at(const QPoint& pos) const;
  bool accepts(const QMimeData& mime) const;
  bool building_ = false;
};

}  // namespace phondeck
