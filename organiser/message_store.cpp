#include "organiser/message_store.h"

#include <algorithm>

namespace phondeck {

bool record_in_folder(const SmsRecord& record, SmsFolder folder) {
  switch (folder) {
    case SmsFolder::Inbox:
      return record.Type == "1" || record.Type == "3";
    case SmsFolder::Outbox:
      return record.Type == "5" || record.Type == "7";
    default:
      return false;
  }
}

bool MessageStore::has_location(const std::string& pos) const {
  return std::any_of(records_.begin(), records_.end(), [&](const SmsRecord& r) { return r.Pos == pos; });
}

std::vector<std::size_t> MessageStore::folder(SmsFolder folder) const {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (record_in_folder(records_[i], folder)) out.push_back(i);
  }
  return out;
}

std::uint64_t RecipientList::insert(std::size_t before, std::string phone, std::string name) {
  Recipient row{next_id_++, std::move(phone), std::move(name), {}};
  const std::uint64_t id = row.id;
  rows_.insert(rows_.begin() + static_cast<long>(std::min(before, rows_.size())), std::move(row));
  return id;
}

void RecipientList::remove(std::uint64_t id) {
  std::erase_if(rows_, [id](const Recipient& r) { return r.id == id; });
}

void RecipientList::clear_results() {
  for (Recipient& r : rows_) r.Result.clear();
}

Recipient* RecipientList::find(std::uint64_t id) {
  for (Recipient& r : rows_) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

std::vector<std::uint64_t> RecipientList::ids() const {
  std::vector<std::uint64_t> out;
  for (const Recipient& r : rows_) out.push_back(r.id);
  return out;
}

}  // namespace phondeck
