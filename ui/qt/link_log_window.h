#pragma once
// Help > Link Log...: the link log, live, with Save... and Clear; and
// Help > Copy Diagnostics, which puts what a bug report needs on the
// clipboard. The logic is LinkLogView and diagnostics_text (ui/).
#include <QDialog>
#include <memory>

#include "ui/link_log_view.h"

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace phondeck {

class LinkLog;
class Prompt;

class TLinkLogWindow final : public QDialog {
  Q_OBJECT
 public:
  TLinkLogWindow(LinkLog& log, Prompt& prompt, QWidget* parent = nullptr);
  void apply_texts();
  // Shows the window with the whole log kept, then follows it.
  void show_window();
  // Saves to path without asking (Save... asks for it).
  bool save_to(const QString& path);

  QPlainTextEdit* text() const { return Text; }

 private:
  void follow();
  void save_clicked();

  LinkLogView view_;
  Prompt& prompt_;
  QPlainTextEdit* Text = nullptr;
  QPushButton* SaveButton = nullptr;
  QPushButton* ClearButton = nullptr;
  QPushButton* CloseButton = nullptr;
  QTimer* follow_timer_ = nullptr;
};

// Help > Copy Diagnostics: the diagnostics text on the clipboard; returns it.
QString copy_diagnostics(const LinkLog& log);

}  // namespace phondeck
