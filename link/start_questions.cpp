#include "link/start_questions.h"

#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/operation_engine.h"

namespace phondeck {
namespace {
constexpr int kTextSureWrite = 3204;
}

bool link_free(const OperationEngine& engine) {
  const LinkState state = engine.state();
  return (state == LinkState::Idle || state == LinkState::StatusPoll) && !engine.has_pending();
}

std::optional<bool> ask_write_confirmation(const OperationEngine& engine, Prompt& prompt) {
  if (!config().WriteConfirm || !link_free(engine)) return std::nullopt;
  return prompt.ask_yes_no(tx(kTextSureWrite));
}

bool ask_before_start(const OperationEngine& engine, Prompt& prompt, const std::string& question) {
  if (!link_free(engine)) return true;
  return prompt.ask_yes_no(question);
}

}  // namespace phondeck
