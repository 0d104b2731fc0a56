#pragma once
// The one way the program talks to the user in a modal box: message boxes and
// Yes/No questions. The window layer implements it with Qt; tests answer it.
#include <string>

namespace phondeck {

class Prompt {
 public:
  virtual ~Prompt() = default;
  // A message box with an OK button; returns when the user has closed it.
  virtual void message(const std::string& text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool ask_yes_no(const std::string& text) = 0;

  enum class Answer { Yes, No, Cancel };
  // A Yes/No/Cancel question. A prompt that cannot offer Cancel answers it
  // as the Yes/No question.
  virtual Answer ask_yes_no_cancel(const std::string& text) {
    return ask_yes_no(text) ? Answer::Yes : Answer::No;
  }
};

}  // namespace phondeck
