#pragma once
// The PC's side of the handset, without a screen: the link (port, frame
// layer, operation engine), every area's families and the records they fill
// (the phone-book lists, the handset information, and each area's own), and
// the handset commands the menus run. The main window holds one and forwards
// its window messages and Timer1 here; the tests, the benchmark and
// command-line tools build the same object.
#include <cstdint>
#include <functional>
#include <memory>

#include "link/link_families.h"
#include "link/phone_link.h"
#include "media/media_families.h"
#include "organiser/organiser_families.h"
#include "phonebook/phone_book.h"
#include "session/handset_commands.h"

namespace phondeck {

class HandsetSession {
 public:
  // port: the serial port, the built-in handset's port or a test's pipe.
  // timer: Timer1, whose expiries come back through Timer1Timer().
  HandsetSession(std::unique_ptr<LinkPort> port, Timer& timer, Clock& clock, Prompt& prompt,
                 LinkObserver& observer);
  HandsetSession(const HandsetSession&) = delete;
  HandsetSession& operator=(const HandsetSession&) = delete;

  // The configured Type's frame identifier, then a link reset.
  void set_up() { link_.set_up(); }
  // Window messages 1024 and 1025; others are ignored.
  void handle_message(int message, std::uint32_t parameter) { link_.handle_message(message, parameter); }
  void Timer1Timer() { link_.Timer1Timer(); }
  // Told when a phone-book read has filled the active list.
  void set_read_listener(std::function<void()> listener) {
    link_families_.phone_book().set_refresh(std::move(listener));
  }

  LinkState state() const { return link_.engine().state(); }
  // Nothing running or waiting: Idle or Disconnected.
  bool settled() const { return state() == LinkState::Idle || state() == LinkState::Disconnected; }

  PhoneLink& link() { return link_; }
  OperationEngine& engine() { return link_.engine(); }
  HandsetCommands& commands() { return commands_; }
  PhoneBook& book() { return book_; }
  HandsetInfo& info() { return link_.engine().info(); }
  LinkFamilies& link_families() { return link_families_; }
  MediaFamilies& media() { return media_; }
  OrganiserFamilies& organiser() { return organiser_; }

 private:
  PhoneBook book_;
  PhoneLink link_;
  LinkFamilies link_families_;
  MediaFamilies media_;
  OrganiserFamilies organiser_;
  EngineCommands commands_;
};

}  // namespace phondeck
