#pragma once
// The Group and System Graphics window (TForm16), its Group Graphic dialog
// (TOKHelpRightDlg5) and the Startup Graphic window (TForm20): thin windows
// over GroupGraphicsLogic and StartupGraphicLogic, each with the pixel grid
// panel of its profile.
#include <QDialog>
#include <QMainWindow>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "media/graphics_windows.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace phondeck {

class HandsetSession;
class MonoView;
class PixelGridPanel;
class Prompt;

// TOKHelpRightDlg5: the Group Graphic dialog.
// The five caller groups' logos and names after a read; one is picked.
class TOKHelpRightDlg5 final : public QDialog {
  Q_OBJECT
 public:
  explicit TOKHelpRightDlg5(QWidget* parent = nullptr);
  void apply_texts();
  // What the dialog is shown for: its title, its instruction and its
  // buttons (the read back has only OK); `group` the group written.
  void set_choice(GroupChoice choice, int group = 0);
  GroupChoice choice() const { return choice_; }
  // The names as shown, and the logos; a logo not read from the handset
  // yet is drawn empty, with a tooltip that says so.
  void fill(const std::array<std::string, kCallerGroups>& names, const std::array<MonoBitmap, kCallerGroups>& logos,
            const std::array<bool, kCallerGroups>& read);
  int selected() const { return selected_; }
  void select(int index);
  MonoView* logo(int k) const { return logos_.at(static_cast<std::size_t>(k)); }
  QLineEdit* name(int k) const { return names_.at(static_cast<std::size_t>(k)); }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }
  QLabel* instruction() const { return instruction_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<MonoView*, kCallerGroups> logos_{};
  std::array<QLineEdit*, kCallerGroups> names_{};
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* instruction_ = nullptr;
  GroupChoice choice_ = GroupChoice::Take;
  int group_ = 0;
  int selected_ = 0;
};

// The tool bar and keys both windows share.
class GraphicsWindowBase : public QMainWindow {
  Q_OBJECT
 public:
  QAction* action(GraphicsCommand command) const;
  PixelGridPanel& panel() { return *panel_; }
  void show_window();
  // Back to Main Window.
  std::function<void()> on_back;

 protected:
  GraphicsWindowBase(bool group, Prompt& prompt, QWidget* parent);
  // The tool bar and the panel, once the window's logic exists.
  void set_up(GraphicsEditor& editor);
  void apply_tool_texts(int caption_id);
  virtual void run(GraphicsCommand command) = 0;
  // New, Open, Save and Back; false for the window's own commands.
  bool run_common(GraphicsCommand command);
  // True when the file was written.
  virtual bool save_picture(const std::string& name, PictureFormat format);
  void keyPressEvent(QKeyEvent* event) override;

  GraphicsEditor* editor_ = nullptr;
  Prompt& prompt_;
  PixelGridPanel* panel_ = nullptr;
  bool group_;
  std::map<GraphicsCommand, QAction*> actions_;
};

// TForm16: the Group and System Graphic window.
class TForm16 final : public GraphicsWindowBase {
  Q_OBJECT
 public:
  // The Operator Information dialog, run while the handset's network details
  // arrive: its MCC and MNC texts, or nothing when closed without OK.
  using OperatorQuestion = std::function<std::optional<std::pair<std::string, std::string>>()>;
  TForm16(HandsetSession& session, Prompt& prompt, OperatorQuestion ask_operator, QWidget* parent = nullptr);
  ~TForm16() override;
  void apply_texts();
  GroupGraphicsLogic& logic() { return logic_; }
  TOKHelpRightDlg5& group_dialog() { return *dialog_; }
  void run(GraphicsCommand command) override;
  // After Read Group Graphic: the dialog, and the chosen logo into the picture.
  void show_group_dialog();
  // Write into Group: a group picked in the dialog gets the picture; the
  // group read back is shown in the dialog after.
  void write_into_group();
  void show_written_group(int group);
  bool save_picture(const std::string& name, PictureFormat format) override;

  // The SMS Sending window, once OutgoingSms holds the picture message.
  std::function<void()> on_send;

 private:
  // Read Network Code, then the Operator Information dialog; its MCC and
  // MNC texts, or nothing when it did not start or was closed without OK.
  std::optional<std::pair<std::string, std::string>> ask_network_code();

  HandsetSession& session_;
  GroupGraphicsLogic logic_;
  OperatorQuestion ask_operator_;
  TOKHelpRightDlg5* dialog_ = nullptr;
};

// TForm20: the Startup Graphic window.
class TForm20 final : public GraphicsWindowBase {
  Q_OBJECT
 public:
  TForm20(HandsetSession& session, Prompt& prompt, QWidget* parent = nullptr);
  ~TForm20() override;
  void apply_texts();
  StartupGraphicLogic& logic() { return logic_; }
  void run(GraphicsCommand command) override;

 private:
  HandsetSession& session_;
  StartupGraphicLogic logic_;
};

}  // namespace phondeck
