#pragma once
// A Prompt for tests: records every message and question, and answers the
// questions from a script (then with a default). Safe to call from the serial
// port's reader thread.
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "app/prompt.h"

namespace phondeck::testing {

class ScriptedPrompt : public Prompt {
 public:
  void message(const std::string& text) override {
    std::lock_guard<std::mutex> guard(mutex_);
    messages.push_back(text);
  }
  bool ask_yes_no(const std::string& text) override {
    std::lock_guard<std::mutex> guard(mutex_);
    questions.push_back(text);
    if (answers.empty()) return answer;
    const bool next = answers.front();
    answers.pop_front();
    return next;
  }

  Answer ask_yes_no_cancel(const std::string& text) override {
    std::lock_guard<std::mutex> guard(mutex_);
    questions.push_back(text);
    if (three_way.empty()) return Answer::No;
    const Answer next = three_way.front();
    three_way.pop_front();
    return next;
  }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<bool> answers;  // answered first, in order
  bool answer = true;        // then this
  std::deque<Answer> three_way;  // Yes/No/Cancel questions, in order; then No

 private:
  std::mutex mutex_;
};

}  // namespace phondeck::testing
