#pragma once
// The questions an operation needs answered before it starts, asked by
// whoever starts it (the window through its prompt, phondeck by --yes or the
// terminal, the restore by its own question) and passed in as StartOptions.
// A link that is not free asks nothing: the start refuses and says why.
#include <optional>
#include <string>

namespace phondeck {

class OperationEngine;
class Prompt;

// The link is connected and free for a new operation (Idle or polling).
bool link_free(const OperationEngine& engine);

// "Sure to write?" when WriteConfirm is on and the link is free; nullopt
// when nothing was asked (StartOptions::confirmed).
std::optional<bool> ask_write_confirmation(const OperationEngine& engine, Prompt& prompt);

// A Yes/No question of the operation's own, asked only while the link is
// free; true (nothing asked) otherwise, so that the start refuses as usual.
bool ask_before_start(const OperationEngine& engine, Prompt& prompt, const std::string& question);

}  // namespace phondeck
