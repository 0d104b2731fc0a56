#pragma once
// The questions the phone-book writes need answered before they start,
// asked by their starter (the main window through its prompt, phondeck by
// --yes or the terminal) and passed to the start functions.
#include <optional>

#include "link/operation_result.h"

namespace phondeck {

class OperationEngine;
class PhoneBookList;
class Prompt;

// Write All's answers, as start_write_all() takes them.
struct WriteAllAnswers {
  std::optional<bool> confirmed;  // "Sure to write?" (StartOptions::confirmed)
  bool replace = false;
  bool left_out_accepted = false;  // go on though the import left contacts out
};

// Asks, in turn, "Sure to write?" (WriteConfirm), "Replace the handset's
// phone book?" and, for a replace of an import that left contacts out,
// whether to go on. When `replace` holds the caller's choice (phondeck's
// --replace), the import's question comes first, then "Sure to write?".
// Nothing is asked once the write cannot go: the link is not free, two
// entries share a position, the import took nothing, or a question was
// answered No; the start then refuses and says why.
WriteAllAnswers ask_write_all(OperationEngine& engine, Prompt& prompt, const PhoneBookList& list,
                              std::optional<bool> replace = std::nullopt);

// Starts Write All of `list` with the answers.
bool start_write_all(OperationEngine& engine, const PhoneBookList& list, const WriteAllAnswers& answers,
                     Completion done = {});

// "Sure to write to the first record ?" (asked whatever WriteConfirm says,
// while the link is free); the answer for Clear then Write's
// StartOptions::confirmed.
std::optional<bool> ask_clear_then_write(const OperationEngine& engine, Prompt& prompt);

}  // namespace phondeck
