#include "session/handset_commands.h"

#include "link/net_monitor_family.h"
#include "link/operation_engine.h"
#include "link/phonebook_family.h"
#include "phonebook/phone_book.h"

namespace phondeck {

void EngineCommands::connect() { engine_.connect_command(); }

void EngineCommands::reset_link() { engine_.reset(); }

void EngineCommands::read_phone_book() { start_phone_book_read(engine_); }

void EngineCommands::clear_then_write() { start_clear_then_write(engine_); }

void EngineCommands::write_all() { start_write_all(engine_, book_.active()); }

void EngineCommands::net_monitor(bool open) { start_net_monitor(engine_, open); }

}  // namespace phondeck
