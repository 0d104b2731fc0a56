#include "session/handset_commands.h"

#include "link/net_monitor_family.h"
#include "link/operation_engine.h"
#include "link/phonebook_family.h"
#include "link/phonebook_questions.h"
#include "link/start_questions.h"
#include "phonebook/phone_book.h"

namespace phondeck {

void EngineCommands::connect() { engine_.connect_command(); }

void EngineCommands::reset_link() { engine_.reset(); }

// The window learns how each ended from the status bar and the message box
// the result carries, which the engine shows.
void EngineCommands::read_phone_book() { start_phone_book_read(engine_); }

void EngineCommands::clear_then_write() {
  StartOptions options;
  options.confirmed = ask_clear_then_write(engine_, prompt_);
  start_clear_then_write(engine_, std::move(options));
}

void EngineCommands::write_all() {
  const PhoneBookList& list = book_.active();
  start_write_all(engine_, list, ask_write_all(engine_, prompt_, list));
}

void EngineCommands::net_monitor(bool open) {
  StartOptions options;
  options.confirmed = ask_write_confirmation(engine_, prompt_);
  start_net_monitor(engine_, open, std::move(options));
}

}  // namespace phondeck
