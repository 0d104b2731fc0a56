#pragma once
// The Calendar window (TForm13) and the event editor (TForm14): thin Qt
// windows over CalendarWindow and EventEditor.
#include <QDialog>
#include <QMainWindow>

#include <array>
#include <functional>

#include "organiser/calendar_window.h"

class QButtonGroup;
class QCalendarWidget;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace phondeck {

class HandsetSession;
class PhoneBook;
class TForm13;

// TForm14: the event editor.
class TForm14 final : public QDialog {
  Q_OBJECT
 public:
  // book: whose lists' entries can be dropped on the text field.
  TForm14(EventEditor& logic, TForm13& calendar, PhoneBook& book);
  void apply_texts();
  // Shows the editor's fields as the logic holds them.
  void load();
  // OK: stores the event, rebuilds the calendar, hides.
  void accept() override;

  QLineEdit* event_field(int k) const { return event_[static_cast<std::size_t>(k)]; }
  QLineEdit* alarm_field(int k) const { return alarm_[static_cast<std::size_t>(k)]; }
  QLineEdit* text_field() const { return text_; }
  QLabel* text_label() const { return text_label_; }
  QLineEdit* call_text_field() const { return call_text_; }
  QLabel* call_text_label() const { return call_text_label_; }
  QRadioButton* type_button(int t) const { return types_[static_cast<std::size_t>(t)]; }
  QComboBox* enable_choice() const { return enable_; }
  QComboBox* before_choice() const { return before_; }
  QPushButton* ok_button() const { return ok_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void take_fields();
  void refresh_enabled();

  EventEditor& logic_;
  TForm13& calendar_;
  PhoneBook& book_;
  std::array<QLineEdit*, 5> event_{};
  std::array<QLineEdit*, 5> alarm_{};
  std::array<QLabel*, 10> field_labels_{};
  std::array<QRadioButton*, 4> types_{};
  QButtonGroup* type_group_ = nullptr;
  QComboBox* enable_ = nullptr;
  QComboBox* before_ = nullptr;
  QLabel* text_label_ = nullptr;
  QLabel* bytes_left_ = nullptr;
  QLineEdit* text_ = nullptr;
  QLabel* call_text_label_ = nullptr;
  QLineEdit* call_text_ = nullptr;
  QLabel* enable_label_ = nullptr;
  QLabel* before_label_ = nullptr;
  QWidget* event_box_ = nullptr;
  QWidget* alarm_box_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool loading_ = false;
};

// TForm13: the Calendar window.
class TForm13 final : public QMainWindow {
  Q_OBJECT
 public:
  // show_main: Back to Main Window.
  TForm13(HandsetSession& session, Prompt& prompt, std::function<void()> show_main, QWidget* parent = nullptr);
  ~TForm13() override;

  void apply_texts();
  // Rebuilds the tree and the bold days from the logic.
  void refresh();
  // Shown from the menu: the day view of today.
  void show_today();

  CalendarWindow& logic() { return *logic_; }
  TForm14& editor() { return *editor_; }
  QTreeWidget* tree() const { return tree_; }
  QCalendarWidget* month() const { return month_; }
  QLabel* handset_time() const { return handset_time_; }
  void run(CalendarCommand command);
  void open_editor(int node_id);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  // Wide enough for the panel and a list of common subjects.
  void take_default_size();
  void add_nodes(QTreeWidgetItem* parent, const CalendarNode& node);
  void select_date(const QDate& date);
  void show_context_menu(const QPoint& pos);
  int node_id(QTreeWidgetItem* item) const;
  void alarm_to_fields();

  HandsetSession& session_;
  Prompt& prompt_;
  std::function<void()> show_main_;
  std::unique_ptr<CalendarWindow> logic_;
  TForm14* editor_ = nullptr;
  QToolBar* tool_bar_ = nullptr;
  QDateEdit* date_ = nullptr;
  QPushButton* show_all_ = nullptr;
  QCalendarWidget* month_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QWidget* time_group_ = nullptr;
  QPushButton* write_time_ = nullptr;
  QPushButton* read_time_ = nullptr;
  QLabel* handset_time_ = nullptr;
  QWidget* alarm_group_ = nullptr;
  QLabel* hour_label_ = nullptr;
  QLabel* minute_label_ = nullptr;
  QLineEdit* hour_ = nullptr;
  QLineEdit* minute_ = nullptr;
  QLabel* enable_label_ = nullptr;
  QRadioButton* enable_yes_ = nullptr;
  QRadioButton* enable_no_ = nullptr;
  QPushButton* alarm_read_ = nullptr;
  QPushButton* alarm_write_ = nullptr;
  std::map<CalendarCommand, QAction*> actions_;
  int dragged_ = -1;
};

}  // namespace phondeck
