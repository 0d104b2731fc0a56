#pragma once
// The Ringing Tone window (TForm12): a thin Qt window over
// RingToneWindowLogic, with the tone player for Play and Stop.
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

#include "media/ring_tone_window.h"

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QToolBar;
class QTreeWidget;

namespace phondeck {

class HandsetSession;
class Prompt;
class TonePlayer;

// TForm12: the Ringing Tone window.
class TForm12 final : public QMainWindow {
  Q_OBJECT
 public:
  // show_main: Back to Main Window; send: fills the outgoing message and
  // shows the SMS Sending window.
  TForm12(HandsetSession& session, Prompt& prompt, std::function<void()> show_main,
          std::function<void(const SmartSms&)> send, QWidget* parent = nullptr);
  ~TForm12() override;

  void apply_texts();
  // Shows the window with what it held when hidden.
  void show_window();
  // Every control from the logic.
  void refresh();

  enum class Tool { New, Open, Save, Write, Send, Back };
  void run(Tool tool);
  void play(int page);
  void stop();

  RingToneWindowLogic& logic() { return *logic_; }
  QTabWidget* pages() const { return pages_; }
  QPlainTextEdit* text(int page) const { return texts_[static_cast<std::size_t>(page)]; }
  QTreeWidget* tree() const { return tree_; }
  QSlider* slider() const { return slider_; }
  QLineEdit* tempo_field() const { return tempo_; }
  QLineEdit* name_field() const { return name_; }
  QPushButton* play_button(int page) const { return play_[static_cast<std::size_t>(page)]; }
  QAction* action(Tool tool) const { return actions_[static_cast<std::size_t>(tool)]; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void build();
  void open_file();
  void save_file();
  void refresh_play_buttons();

  Prompt& prompt_;
  std::function<void()> show_main_;
  std::unique_ptr<RingToneWindowLogic> logic_;
  TonePlayer* player_ = nullptr;
  QToolBar* tool_bar_ = nullptr;
  std::array<QAction*, 6> actions_{};
  QLabel* name_label_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLabel* tempo_label_ = nullptr;
  QLineEdit* tempo_ = nullptr;
  QSlider* slider_ = nullptr;
  QPushButton* debug_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  std::array<QPlainTextEdit*, RingToneWindowLogic::kPageCount> texts_{};
  std::array<QPushButton*, RingToneWindowLogic::kPageCount> play_{};
  std::array<QPushButton*, RingToneWindowLogic::kPageCount> stop_{};
  std::array<QPushButton*, RingToneWindowLogic::kPageCount> paste_{};
  bool refreshing_ = false;
};

}  // namespace phondeck
