#pragma once
// The window's side of connecting: while a connect runs, a small box beside
// the main window shows the wake-up going out ("Waking the handset (2 of 4)")
// with a Cancel button; when no handset answered, a message box names the
// port, the media and the likely causes and offers "Search...", which opens
// the Options dialog's Port page and starts its search.
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QPushButton>

#include <functional>

#include "link/connect_report.h"

class QLabel;
class QWidget;

namespace phondeck {

class OperationEngine;

class ConnectFeedback final : public QObject, public ConnectListener {
  Q_OBJECT
 public:
  // Registers itself as the engine's connect listener for its lifetime.
  ConnectFeedback(OperationEngine& engine, QWidget* window);
  ~ConnectFeedback() override;

  // What "Search..." does (the Options dialog's Port page and its search).
  void set_search(std::function<void()> search) { search_ = std::move(search); }

  // ConnectListener.
  void connect_progress(int attempt, int attempts, const std::string& text) override;
  void connect_ended(const ConnectOutcome& outcome) override;

  // What the tests look at: the progress box (null until the first
  // connect), its Cancel button, and the message box of the last attempt
  // that went unanswered while it is up.
  QWidget* progress_box() const { return box_; }
  QPushButton* cancel_button() const { return cancel_; }
  QMessageBox* no_answer_box() const { return no_answer_; }
  QPushButton* search_button() const { return search_button_; }

 private:
  void build_box();

  OperationEngine& engine_;
  QWidget* window_;
  std::function<void()> search_;
  QWidget* box_ = nullptr;
  QLabel* label_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPointer<QMessageBox> no_answer_;
  QPointer<QPushButton> search_button_;
};

}  // namespace phondeck
