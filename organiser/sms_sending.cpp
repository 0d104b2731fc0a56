#include "organiser/sms_sending.h"

#include <algorithm>

#include "app/prompt.h"
#include "app/text_table.h"
#include "link/operation_engine.h"
#include "phonebook/number_codec.h"
#include "phonebook/phone_numbers.h"
#include "phonebook/value_tables.h"

namespace phondeck {
namespace {
constexpr int kTextPhoneCharacters = 3421;
constexpr int kTextOneMessage = 3511;
constexpr int kTextMessages = 3512;  // %1 messages
constexpr int kTextData = 3513;      // a ringing tone or picture, %1 bytes
constexpr int kTextNoMessage = 3514;
}  // namespace

SmsSendingLogic::SmsSendingLogic(OperationEngine& engine, MessageFamily& family, const PhoneBook& book,
                                 Prompt& prompt)
    : engine_(engine), family_(family), book_(book), prompt_(prompt) {}

std::string SmsSendingLogic::network_country() const { return country_of_mcc(engine_.info().mcc); }

std::string SmsSendingLogic::message_text() const {
  const OutgoingSms& sms = family_.records().outgoing;
  if (!sms.text.empty() || sms.composed) return sms.text;
  if (sms.byte_count == 0) return tx(kTextNoMessage);
  return tx_with(kTextData, {std::to_string(sms.byte_count)});
}

std::string SmsSendingLogic::message_summary() const {
  const OutgoingSms& sms = family_.records().outgoing;
  if (!sms.refusal.empty()) return sms.refusal;
  if (sms.byte_count == 0 && !sms.composed) return {};
  return sms.parts() == 1 ? tx(kTextOneMessage) : tx_with(kTextMessages, {std::to_string(sms.parts())});
}

bool SmsSendingLogic::add(std::size_t before, const std::string& phone) {
  if (!rows_editable()) return false;
  list().insert(before, phone, book_.name_for_number(phone, network_country()));
  return true;
}

bool SmsSendingLogic::edit(std::size_t row, const std::string& phone) {
  if (row >= list().size()) return false;
  Recipient& r = list().rows()[row];
  r.Phone = phone;
  r.Name = book_.name_for_number(phone, network_country());
  return true;
}

bool SmsSendingLogic::remove(const std::vector<std::size_t>& rows) {
  if (!rows_editable()) return false;
  std::vector<std::uint64_t> ids;
  for (std::size_t row : rows) {
    if (row < list().size()) ids.push_back(list().rows()[row].id);
  }
  for (std::uint64_t id : ids) list().remove(id);
  return !ids.empty();
}

bool SmsSendingLogic::clear_list() {
  if (!rows_editable()) return false;
  list().clear();
  return true;
}

void SmsSendingLogic::set_validity(int code) { family_.records().validity = std::clamp(code, 0, 200); }

bool SmsSendingLogic::number_acceptable(const std::string& phone) {
  if (handset_number_valid(phone)) return true;
  prompt_.message(tx(kTextPhoneCharacters));
  return false;
}

bool SmsSendingLogic::send_all(StartOptions options) { return start_send_all(engine_, family_, std::move(options)); }

bool SmsSendingLogic::send_selected(const std::vector<std::size_t>& rows, StartOptions options) {
  std::vector<std::size_t> sorted = rows;
  std::sort(sorted.begin(), sorted.end());
  std::vector<std::uint64_t> ids;
  for (std::size_t row : sorted) {
    if (row < list().size()) ids.push_back(list().rows()[row].id);
  }
  // An empty selection starts nothing (refused as bad input).
  return start_send_selected(engine_, family_, std::move(ids), std::move(options));
}

void SmsSendingLogic::drop_entries(const std::vector<PhoneBookEntry>& entries) {
  for (const PhoneBookEntry& e : entries) {
    const int write_as = write_as_index(e.WriteAs);
    const bool unicode = (write_as == 0 || write_as == 2 || write_as == 3 || write_as == 4) && !e.UNICODE.empty();
    list().append(e.Phone, unicode ? e.UNICODE : e.Name);
  }
}

void SmsSendingLogic::drop_messages(const std::vector<MessageContact>& messages) {
  for (const MessageContact& m : messages) {
    list().append(m.number, m.name.empty() ? book_.name_for_number(m.number, network_country()) : m.name);
  }
}

void SmsSendingLogic::drop_rows(const std::vector<std::size_t>& rows) {
  std::vector<std::pair<std::string, std::string>> copies;
  for (std::size_t row : rows) {
    if (row < list().size()) copies.emplace_back(list().rows()[row].Phone, list().rows()[row].Name);
  }
  for (auto& [phone, name] : copies) list().append(std::move(phone), std::move(name));
}

}  // namespace phondeck
