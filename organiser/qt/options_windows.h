#pragma once
// The Options dialog (TPagesDlg) and the Profiles window (TForm22): thin Qt
// windows over OptionsDialogLogic and ProfilesWindowLogic.
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "organiser/options_dialog.h"
#include "organiser/profiles_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QToolBar;
class QAction;

namespace phondeck {

class PortSearchPanel;
class Prompt;

// TPagesDlg: the Options dialog.
class TPagesDlg final : public QDialog {
  Q_OBJECT
 public:
  TPagesDlg(OptionsDialogLogic& logic, Prompt& prompt, QWidget* parent = nullptr);
  void apply_texts();
  // Fills every page from the Configuration (on the first page).
  void prepare();
  // prepare(), then the dialog runs modally.
  int show_modal();
  // The controls from the logic, and back.
  void load();
  void take();
  void accept() override;

  // Told by the exchanges: the names read, the number read.
  void groups_read() { load_groups(); }
  void smsc_read();

  QTabWidget* pages() const { return pages_; }
  QComboBox* port_choice() const { return port_; }
  PortSearchPanel* port_search() const { return search_; }
  QLineEdit* device_field() const { return device_; }
  QComboBox* media_choice() const { return media_; }
  QCheckBox* auto_reconnect_box() const { return auto_reconnect_; }
  QComboBox* language_choice() const { return language_; }
  QComboBox* multibyte_choice() const { return multibyte_; }
  QLineEdit* group_new(int row) const { return group_new_[static_cast<std::size_t>(row)]; }
  QLineEdit* width_new(int row) const { return width_new_[static_cast<std::size_t>(row)]; }
  QComboBox* smsc_choice() const { return smsc_choice_; }
  QLineEdit* smsc_field(int k) const { return smsc_[static_cast<std::size_t>(k)]; }
  QLineEdit* smsc_read_field() const { return smsc_read_; }
  QSlider* start_slider() const { return start_; }
  QSlider* end_slider() const { return end_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* group_read_button() const { return group_read_; }
  QPushButton* group_write_button() const { return group_write_; }
  QPushButton* smsc_write_button() const { return smsc_write_button_; }

 private:
  void build();
  void load_groups();
  void load_widths();
  void refresh_enabled();
  void refresh_hours();

  OptionsDialogLogic& logic_;
  Prompt& prompt_;
  QTabWidget* pages_ = nullptr;
  std::array<QWidget*, 7> page_{};
  // Port.
  QLabel* port_label_ = nullptr;
  QComboBox* port_ = nullptr;
  QLabel* device_label_ = nullptr;
  QLineEdit* device_ = nullptr;
  QPushButton* virtual_ = nullptr;
  QLabel* media_label_ = nullptr;
  QComboBox* media_ = nullptr;
  QCheckBox* auto_reconnect_ = nullptr;
  QWidget* cable_box_ = nullptr;
  QComboBox* cable_ = nullptr;
  PortSearchPanel* search_ = nullptr;
  // Locale.
  QLabel* language_label_ = nullptr;
  QComboBox* language_ = nullptr;
  QLabel* multibyte_label_ = nullptr;
  QComboBox* multibyte_ = nullptr;
  // Group.
  std::array<QLabel*, 3> group_heads_{};
  std::array<QLabel*, 6> group_default_{};
  std::array<QLabel*, 6> group_current_{};
  std::array<QLineEdit*, 6> group_new_{};
  QPushButton* group_defaults_ = nullptr;
  QPushButton* group_read_ = nullptr;
  QPushButton* group_write_ = nullptr;
  // Width.
  QLabel* method_label_ = nullptr;
  QComboBox* method_ = nullptr;
  std::array<QLabel*, 4> width_heads_{};
  std::array<QLabel*, 8> width_labels_{};
  std::array<QLabel*, 8> width_default_{};
  std::array<QLabel*, 8> width_current_{};
  std::array<QLineEdit*, 8> width_new_{};
  QPushButton* width_defaults_ = nullptr;
  QPushButton* get_width_ = nullptr;
  // SMS.
  QLabel* smsc_label_ = nullptr;
  QComboBox* smsc_choice_ = nullptr;
  std::array<QLineEdit*, 6> smsc_{};
  std::array<QLabel*, 6> smsc_labels_{};
  QLineEdit* smsc_read_ = nullptr;
  QPushButton* smsc_read_button_ = nullptr;
  QPushButton* smsc_write_button_ = nullptr;
  // Calendar.
  QWidget* work_box_ = nullptr;
  QLabel* start_label_ = nullptr;
  QLabel* end_label_ = nullptr;
  QSlider* start_ = nullptr;
  QSlider* end_ = nullptr;
  QLabel* start_hour_ = nullptr;
  QLabel* end_hour_ = nullptr;
  // Misc.
  std::array<QCheckBox*, 4> misc_{};
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* help_ = nullptr;
  bool loading_ = false;
};

// TForm22: the Profiles window.
class TForm22 final : public QWidget {
  Q_OBJECT
 public:
  // back: shows the main window.
  TForm22(ProfilesWindowLogic& logic, std::function<void()> back, QWidget* parent = nullptr);
  void apply_texts();
  // The grid as the profiles hold them now.
  void refresh();
  void show_window();

  // Parts the tests look at.
  QPushButton* cell(int profile, int setting) const {
    return cells_[static_cast<std::size_t>(profile)][static_cast<std::size_t>(setting)];
  }
  QLabel* name(int profile) const { return names_[static_cast<std::size_t>(profile)]; }
  QCheckBox* group_box(int profile, int group) const {
    return groups_[static_cast<std::size_t>(profile)][static_cast<std::size_t>(group)];
  }
  QPushButton* activate_button(int profile) const { return activate_[static_cast<std::size_t>(profile)]; }
  QAction* read_action() const { return read_; }
  QAction* write_action() const { return write_; }
  QToolBar* tool_bar() const { return tool_bar_; }
  // Opens a cell's list at the cell as a click does (nothing for a fixed
  // cell); choosing an option stores it and closes the list.
  void open_cell(int profile, int setting);
  QMenu* open_list() const { return list_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void build();
  // The grid's size, as far as the main window's configured size allows.
  void take_default_size();

  ProfilesWindowLogic& logic_;
  std::function<void()> back_;
  QToolBar* tool_bar_ = nullptr;
  QAction* new_ = nullptr;
  QAction* read_ = nullptr;
  QAction* write_ = nullptr;
  QAction* back_action_ = nullptr;
  std::array<QLabel*, kProfileCount> heads_{};
  std::array<QLabel*, kProfileCount> names_{};
  std::array<std::array<QPushButton*, kProfileSettings>, kProfileCount> cells_{};
  std::array<std::array<QCheckBox*, kProfileGroups>, kProfileCount> groups_{};
  std::array<QPushButton*, kProfileCount> defaults_{};
  std::array<QPushButton*, kProfileCount> activate_{};
  std::array<QLabel*, kProfileSettings + 2> row_labels_{};
  std::array<QLabel*, kProfileGroups> group_labels_{};
  QWidget* sheet_ = nullptr;
  QPointer<QMenu> list_;
};

}  // namespace phondeck
