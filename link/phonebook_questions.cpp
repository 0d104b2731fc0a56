#include "link/phonebook_questions.h"

#include "app/prompt.h"
#include "link/operation_engine.h"
#include "link/phonebook_family.h"
#include "link/start_questions.h"
#include "phonebook/phone_book_list.h"

namespace phondeck {

WriteAllAnswers ask_write_all(OperationEngine& engine, Prompt& prompt, const PhoneBookList& list,
                              std::optional<bool> replace) {
  WriteAllAnswers answers;
  if (!link_free(engine) || write_all_refusal(engine, list, false)) return answers;
  // A replace of a partial import asks whether to go on; nothing when the import took nothing.
  const auto ask_left_out = [&] {
    if (write_all_refusal(engine, list, true)) return false;
    if (const auto question = write_all_left_out_question(list)) answers.left_out_accepted = prompt.ask_yes_no(*question);
    return !write_all_left_out_question(list) || answers.left_out_accepted;
  };
  if (replace) {
    // The caller chose already (--replace): what the file left out first, then the write guard's question.
    answers.replace = *replace;
    if (answers.replace && !ask_left_out()) return answers;
    answers.confirmed = ask_write_confirmation(engine, prompt);
    return answers;
  }
  // The write guard's question first, then what to do with the rest.
  answers.confirmed = ask_write_confirmation(engine, prompt);
  if (answers.confirmed == false) return answers;
  answers.replace = prompt.ask_yes_no(write_all_replace_question());
  if (answers.replace) ask_left_out();
  return answers;
}

bool start_write_all(OperationEngine& engine, const PhoneBookList& list, const WriteAllAnswers& answers,
                     Completion done) {
  StartOptions options;
  options.done = std::move(done);
  options.confirmed = answers.confirmed;
  return start_write_all(engine, list, answers.replace, std::move(options), answers.left_out_accepted);
}

std::optional<bool> ask_clear_then_write(const OperationEngine& engine, Prompt& prompt) {
  if (!link_free(engine)) return std::nullopt;
  return prompt.ask_yes_no(clear_then_write_question());
}

}  // namespace phondeck
