#include "link/handset_families.h"

#include "link/operation_engine.h"

namespace phondeck {

HandsetFamilies::HandsetFamilies(OperationEngine& engine, PhoneBook& book, std::function<void()> refresh)
    : engine_(engine), phone_book_(book, std::move(refresh)) {
  media_.add(NetMonitorFamily::kFirstStep, NetMonitorFamily::kLastStep, &net_monitor_);
  engine_.register_family(LinkState::Connecting, &connect_);
  engine_.register_family(LinkState::PhoneBook, &phone_book_);
  engine_.register_family(LinkState::Media, &media_);
}

HandsetFamilies::~HandsetFamilies() {
  engine_.register_family(LinkState::Connecting, nullptr);
  engine_.register_family(LinkState::PhoneBook, nullptr);
  engine_.register_family(LinkState::Media, nullptr);
}

}  // namespace phondeck
