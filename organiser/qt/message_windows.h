#pragma once
// The Messages window (TForm6) and the SMS Sending window (TForm18): thin
// windows over MessagesWindowLogic and SmsSendingLogic.
#include <QDialog>
#include <QMainWindow>
#include <QTreeWidget>

#include <functional>
#include <vector>

#include "organiser/message_archive.h"
#include "organiser/messages_window.h"
#include "organiser/sms_sending.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QLabel;
class QGroupBox;
class QAction;
class QMenu;

namespace phondeck {

class TOKHelpRightDlg3;

// The message list: a drag source carrying number and name.
class MessageListWidget final : public QTreeWidget {
  Q_OBJECT
 public:
  explicit MessageListWidget(QWidget* parent = nullptr);
  std::function<std::vector<MessageContact>(const std::vector<std::size_t>&)> contacts;
  std::vector<std::size_t> selected_rows() const;

 protected:
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
};

// TForm6: the Messages window.
class TForm6 final : public QMainWindow {
  Q_OBJECT
 public:
  TForm6(OperationEngine& engine, MessageFamily& family, const PhoneBook& book, Prompt& prompt,
         QWidget* parent = nullptr);
  void apply_texts();
  void show_window();
  MessagesWindowLogic& logic() { return logic_; }
  // Shows the list for the logic's folder again.
  void refresh_list();
  // The main window's list font, for the tree, the list and the editor.
  void apply_font(const QFont& font);

  // Back to Main Window, and the SMS Sending window after Send.
  std::function<void()> on_back;
  std::function<void()> on_send;
  // The editor's text or its count changed (SMS Sending shows them).
  std::function<void()> on_text_changed;

  QTreeWidget* tree() const { return tree_; }
  MessageListWidget* list() const { return list_; }
  QPlainTextEdit* memo() const { return memo_; }
  QLineEdit* counter() const { return counter_; }
  QAction* tool(int number) const;  // ToolButton1, 2, 5, 7, 8, 10
  // File > Archive...: its dialog, then the run; the summary follows.
  QAction* archive_action() const { return archive_; }
  MessageArchiver& archiver() { return archiver_; }
  void archive();
  // The run the dialog's OK starts: its questions through the window's
  // prompt, its summary at the end.
  bool start_archive(const std::string& folder, bool delete_written);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void update_counter();
  void export_folder();
  // The tree's current item is the folder the list shows.
  void show_folder_in_tree();

  MessagesWindowLogic logic_;
  MessageArchiver archiver_;
  Prompt& prompt_;
  QAction* archive_ = nullptr;
  QMenu* file_menu_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  MessageListWidget* list_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  QLineEdit* counter_ = nullptr;
  QLabel* count_label_ = nullptr;
  QAction* delete_ = nullptr;
  std::vector<std::pair<int, QAction*>> tools_;
  bool filling_ = false;
};

// The recipient list: drag source (its own rows) and drop target.
class RecipientListWidget final : public QTreeWidget {
  Q_OBJECT
 public:
  explicit RecipientListWidget(QWidget* parent = nullptr);
  std::vector<std::size_t> selected_rows() const;
  // Drops: from a phone-book pane (its selection), messages, own rows.
  std::function<void(const QMimeData&)> dropped;

 protected:
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

// TForm18: the SMS Sending window.
class TForm18 final : public QDialog {
  Q_OBJECT
 public:
  TForm18(OperationEngine& engine, MessageFamily& family, PhoneBook& book, Prompt& prompt,
          TOKHelpRightDlg3& phone_editor, QWidget* parent = nullptr);
  void apply_texts();
  void show_window();
  SmsSendingLogic& logic() { return logic_; }
  void refresh();
  // The lists' pop-up item "Drop to SMS": the entries join the list.
  void take_entries(const std::vector<PhoneBookEntry>& entries);
  void take_drop(const QMimeData& mime);
  // The message box and its parts line, from the outgoing message.
  void refresh_message();

  RecipientListWidget* list() const { return list_; }
  QSlider* slider() const { return slider_; }
  QLineEdit* validity_box() const { return validity_; }
  QPushButton* send_all_button() const { return send_all_; }
  QPushButton* send_selected_button() const { return send_selected_; }
  QPlainTextEdit* message_box() const { return message_; }
  QLabel* parts_label() const { return parts_; }
  QAction* new_action() const { return new_; }
  QAction* delete_action() const { return delete_; }

 protected:
  // A double-click on the list's empty space is New.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The number editor with this number and the Editor's check; true on OK.
  bool ask_number(const std::string& number);
  void new_row(std::size_t before);
  void edit_row(std::size_t row);

  SmsSendingLogic logic_;
  PhoneBook& book_;
  TOKHelpRightDlg3& phone_editor_;
  QLabel* message_label_ = nullptr;
  QPlainTextEdit* message_ = nullptr;
  QLabel* parts_ = nullptr;
  QGroupBox* group_ = nullptr;
  RecipientListWidget* list_ = nullptr;
  QLabel* validity_label_ = nullptr;
  QSlider* slider_ = nullptr;
  QLineEdit* validity_ = nullptr;
  QPushButton* clear_list_ = nullptr;
  QPushButton* clear_result_ = nullptr;
  QPushButton* send_all_ = nullptr;
  QPushButton* send_selected_ = nullptr;
  QAction* new_ = nullptr;
  QAction* delete_ = nullptr;
};

}  // namespace phondeck
