#pragma once
// Message boxes and Yes/No questions on the screen. Callable from any thread:
// a message from another thread is shown by the window thread later; a
// question from another thread waits for the window thread's answer.
#include "app/help.h"
#include "app/prompt.h"

namespace phondeck {

class QtPrompt final : public Prompt {
 public:
  void message(const std::string& text) override;
  bool ask_yes_no(const std::string& text) override;
};

// Opens help pages and web addresses with the desktop's default program.
class QtHelpOpener final : public HelpOpener {
 public:
  void open(const std::string& target) override;
};

}  // namespace phondeck
