#include "organiser/message_store.h"

#include <algorithm>

#include "app/text_table.h"

namespace phondeck {
namespace {
constexpr int kTextMissingPart = 3692;
}  // namespace

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

std::string JoinedMessage::mark() const {
  if (total == 0) return {};
  const std::string parts = std::to_string(total);
  return missing() ? "[" + std::to_string(records.size()) + "/" + parts + "]" : "[" + parts + "]";
}

std::vector<JoinedMessage> MessageStore::joined(SmsFolder folder_shown) const {
  std::vector<JoinedMessage> out;
  std::vector<std::size_t> first_of;  // out index -> its first record, for joining
  for (const std::size_t i : folder(folder_shown)) {
    const SmsRecord& r = records_[i];
    if (r.ConcatTotal <= 1) {
      out.push_back({{i}, r.Text, 0});
      continue;
    }
    auto same = [&](const JoinedMessage& m) {
      const SmsRecord& first = records_[m.records.front()];
      return m.total == r.ConcatTotal && first.ConcatRef == r.ConcatRef && first.Phone == r.Phone;
    };
    auto it = std::find_if(out.begin(), out.end(), same);
    const bool repeat = it != out.end() && std::any_of(it->records.begin(), it->records.end(), [&](std::size_t k) {
                          return records_[k].ConcatPart == r.ConcatPart;
                        });
    if (it == out.end() || repeat) {
      out.push_back({{i}, {}, r.ConcatTotal});
    } else {
      it->records.push_back(i);
    }
  }
  for (JoinedMessage& m : out) {
    if (m.total == 0) continue;
    std::stable_sort(m.records.begin(), m.records.end(),
                     [this](std::size_t a, std::size_t b) { return records_[a].ConcatPart < records_[b].ConcatPart; });
    std::size_t next = 0;
    // The mark of a missing part stands apart from the words around it.
    const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    bool after_gap = false;
    for (int part = 1; part <= m.total; ++part) {
      if (next < m.records.size() && records_[m.records[next]].ConcatPart == part) {
        const std::string& text = records_[m.records[next++]].Text;
        if (after_gap && !text.empty() && !blank(text.front())) m.text += ' ';
        m.text += text;
        after_gap = false;
      } else {
        std::string gap = tx(kTextMissingPart);
        const std::size_t at = gap.find("%1");
        if (at != std::string::npos) gap.replace(at, 2, std::to_string(part));
        if (!m.text.empty() && !blank(m.text.back())) m.text += ' ';
        m.text += gap;
        after_gap = true;
      }
    }
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
  for (Recipient& r : rows_) {
    r.Result.clear();
    r.sent = false;
  }
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
