#include "ui/handset_commands.h"

#include "link/operation_engine.h"

namespace phondeck {
namespace {
constexpr int kStepReadPhoneBook = 11;
constexpr int kStepClearThenWrite = 91;
constexpr int kStepNetMonitorOpen = 71;
constexpr int kStepNetMonitorClose = 81;
}  // namespace

void EngineCommands::connect() { engine_.connect_command(); }

void EngineCommands::reset_link() { engine_.reset(); }

void EngineCommands::read_phone_book() {
  Operation read;
  read.family = LinkState::PhoneBook;
  read.step = kStepReadPhoneBook;
  OperationParams params;
  // Models beginning with "5" have no phone memory: the read starts at the SIM.
  params.p0 = engine_.info().model_lacks_features() ? 1 : 0;
  params.p1 = 1;
  params.p2 = 0;
  read.params = params;
  engine_.guard_without_confirmation(read);
}

void EngineCommands::clear_then_write() {
  Operation write;
  write.family = LinkState::PhoneBook;
  write.step = kStepClearThenWrite;
  engine_.clear_then_write_command(write);
}

void EngineCommands::net_monitor(bool open) {
  Operation monitor;
  monitor.family = LinkState::Media;
  monitor.step = open ? kStepNetMonitorOpen : kStepNetMonitorClose;
  engine_.guard_with_confirmation(monitor);
}

}  // namespace phondeck
