#pragma once
// Message boxes and Yes/No questions on the screen. Callable from any thread:
// a message from another thread is shown by the window thread later; a
// question from another thread waits for the window thread's answer.
#include <QUrl>

#include <functional>

#include "app/help.h"
#include "app/prompt.h"

namespace phondeck {

class QtPrompt final : public Prompt {
 public:
  void message(const std::string& text) override;
  bool ask_yes_no(const std::string& text) override;
  Answer ask_yes_no_cancel(const std::string& text) override;
};

// Opens help pages and web addresses with the desktop's default program.
// When the page is missing, or no program takes it, a message box says so
// and gives the page's path.
class QtHelpOpener final : public HelpOpener {
 public:
  // launch: hands a URL to the desktop (QDesktopServices::openUrl unless
  // given); false when nothing took it.
  explicit QtHelpOpener(Prompt& prompt, std::function<bool(const QUrl&)> launch = {});
  void open(const std::string& target) override;

 private:
  Prompt& prompt_;
  std::function<bool(const QUrl&)> launch_;
};

}  // namespace phondeck
