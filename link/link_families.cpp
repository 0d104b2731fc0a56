#include "link/link_families.h"

#include "link/operation_engine.h"

namespace phondeck {

LinkFamilies::LinkFamilies(OperationEngine& engine, PhoneBook& book, std::function<void()> refresh)
    : phone_book_(book, std::move(refresh)),
      connect_in_(engine, LinkState::Connecting, connect_),
      phone_book_in_(engine, LinkState::PhoneBook, phone_book_),
      media_and_settings_in_(engine, LinkState::Media, media_and_settings_),
      net_monitor_in_(media_and_settings_, NetMonitorFamily::kFirstStep, NetMonitorFamily::kLastStep,
                      net_monitor_) {}

}  // namespace phondeck
