#pragma once
// A Prompt that records what it was shown and answers from a queue.
#include <deque>
#include <string>
#include <vector>

#include "app/prompt.h"

namespace phondeck {

class FakePrompt : public Prompt {
 public:
  void message(const std::string& text) override { messages.push_back(text); }
  bool ask_yes_no(const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<bool> answers;  // Yes when empty
};

}  // namespace phondeck
