#include "organiser/messages_window.h"

#include <algorithm>

#include "app/configuration.h"
#include "app/file_replace.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/operation_engine.h"
#include "link/start_questions.h"
#include "phonebook/phone_numbers.h"
#include "phonebook/text_codec.h"

namespace phondeck {
namespace {

constexpr int kTextAskClear = 3200;
constexpr int kTextFileError = 3402;
constexpr int kTextMessagesSaved = 3704;
constexpr int kTextTooLong = 3411;
constexpr int kTextWriteOne = 3515;  // Write stores one message ... this text needs %1
constexpr int kTextUnsupported = 3413;
constexpr int kTextParts = 3693;  // %1 messages, %2 / %3
constexpr int kTextPhone = 610;
constexpr int kTextName = 611;
constexpr int kTextTime = 613;

std::string replace_all(std::string text, std::string_view what, std::string_view with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
  return text;
}

}  // namespace

std::string to_handset_lines(const std::string& text) { return replace_all(replace_all(text, "\r\n", "\n"), "\n", "\r\n"); }
std::string from_handset_lines(const std::string& text) { return replace_all(text, "\r\n", "\n"); }

MessagesWindowLogic::MessagesWindowLogic(OperationEngine& engine, MessageFamily& family, const PhoneBook& book,
                                         Prompt& prompt)
    : engine_(engine), family_(family), book_(book), prompt_(prompt) {
  set_text("");
}

void MessagesWindowLogic::select_folder(SmsFolder folder) {
  folder_ = folder;
  rebuild();
}

void MessagesWindowLogic::rebuild() {
  rows_.clear();
  const MessageStore& store = family_.records().store;
  const std::string country = country_of_mcc(engine_.info().mcc);
  for (const JoinedMessage& m : store.joined(folder_)) {
    const SmsRecord& r = store.at(m.records.front());
    // A message in parts is marked with its parts ("[3]", "[2/3]").
    const std::string abstract = m.total == 0 ? r.Abstract : m.mark() + " " + message_abstract(m.text);
    const bool unread = std::any_of(m.records.begin(), m.records.end(),
                                    [&store](std::size_t i) { return store.at(i).Type == "3"; });
    rows_.push_back({r.Phone, book_.name_for_number(r.Phone, country), abstract, r.Time, unread ? 1 : 0, m.records.front(),
                     m.records, m.text});
  }
}

void MessagesWindowLogic::read_done() {
  if (folder_ == SmsFolder::Root) {
    const MessageStore& store = family_.records().store;
    const bool outbox_only = store.folder(SmsFolder::Inbox).empty() && !store.folder(SmsFolder::Outbox).empty();
    folder_ = outbox_only ? SmsFolder::Outbox : SmsFolder::Inbox;
  }
  rebuild();
}

void MessagesWindowLogic::open_row(std::size_t row) {
  if (row >= rows_.size()) return;
  set_text(from_handset_lines(rows_[row].text));
}

void MessagesWindowLogic::set_text(const std::string& text) {
  text_ = text;
  encoded_ = encode_message_text(to_handset_lines(text));
  count_ = count_message_text(to_handset_lines(text));
  // A message filled from the editor follows it, so the SMS Sending window
  // sends the text shown here, or nothing while it does not fit.
  MessageRecords& records = family_.records();
  OutgoingSms& outgoing = records.outgoing;
  if (!outgoing.composed) return;
  const std::string refusal = composition_refusal(false);
  if (refusal.empty()) {
    fill_outgoing_text(outgoing, to_handset_lines(text_), records.references.last());
  } else {
    outgoing.refusal = refusal;
    outgoing.text = text_;  // shown with the refusal
  }
}

std::string MessagesWindowLogic::composition_refusal(bool one_message) const {
  // The outbox holds one message; a send takes up to six parts.
  if (count_.parts == 0) return tx(kTextTooLong);
  if (one_message && count_.parts > 1) return tx_with(kTextWriteOne, {std::to_string(count_.parts)});
  if (encoded_.unsupported.empty()) return {};
  std::string text = tx(kTextUnsupported);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, encoded_.unsupported);
  return text;
}

std::string MessagesWindowLogic::counter_text() const {
  if (count_.parts == 1) return std::to_string(count_.units) + " / " + std::to_string(count_.capacity);
  if (count_.parts == 0) return std::to_string(count_.units) + " / " + std::to_string(count_.capacity);
  std::string text = tx(kTextParts);
  for (const auto& [mark, value] : {std::pair{"%1", count_.parts}, {"%2", count_.units}, {"%3", count_.capacity}}) {
    const std::size_t at = text.find(mark);
    if (at != std::string::npos) text.replace(at, 2, std::to_string(value));
  }
  return text;
}

bool MessagesWindowLogic::new_message() {
  if (rows_.empty()) return false;
  if (config().DelConfirm != 0 && !prompt_.ask_yes_no(tx(kTextAskClear))) return false;
  set_text("");
  return true;
}

bool MessagesWindowLogic::read(StartOptions options) { return start_message_read(engine_, family_, std::move(options)); }

bool MessagesWindowLogic::take_composition(bool one_message) {
  if (const std::string refusal = composition_refusal(one_message); !refusal.empty()) {
    prompt_.message(refusal);
    return false;
  }
  MessageRecords& records = family_.records();
  return fill_outgoing_text(records.outgoing, to_handset_lines(text_), records.references.take());
}

bool MessagesWindowLogic::write(StartOptions options) {
  if (const std::string refusal = composition_refusal(true); !refusal.empty()) {
    return engine_.refuse(options.done, Refusal::BadInput, refusal);
  }
  if (!take_composition(true)) return engine_.refuse(options.done, Refusal::BadInput);
  if (!options.confirmed) options.confirmed = ask_write_confirmation(engine_, prompt_);
  return start_message_write(engine_, std::move(options));
}

bool MessagesWindowLogic::send() { return take_composition(false); }

bool MessagesWindowLogic::delete_rows(const std::vector<std::size_t>& rows, StartOptions options) {
  if (rows.empty()) return engine_.refuse(options.done, Refusal::BadInput);
  if (!options.confirmed && config().DelConfirm != 0) {
    options.confirmed = ask_before_start(engine_, prompt_, tx(kTextAskClear));
  }
  if (options.confirmed == false) return engine_.refuse(options.done, Refusal::UserSaidNo);
  std::vector<int> locations;
  const MessageStore& store = family_.records().store;
  for (std::size_t row : rows) {
    if (row >= rows_.size()) continue;
    for (std::size_t i : rows_[row].records) locations.push_back(std::stoi(store.at(i).Pos));
  }
  return start_message_delete(engine_, family_, std::move(locations), std::move(options));
}

std::string MessagesWindowLogic::export_text() const {
  std::string out;
  const MessageStore& store = family_.records().store;
  for (const MessageRow& row : rows_) {
    const SmsRecord& r = store.at(row.record);
    out += tx(kTextPhone) + ": " + r.Phone + "\n";
    out += tx(kTextName) + ": " + row.Name + "\n";
    if (!r.Time.empty()) out += tx(kTextTime) + ": " + r.Time + "\n";
    out += "\n" + from_handset_lines(row.text) + "\n\n";
  }
  return out;
}

bool MessagesWindowLogic::export_folder(const std::string& path, std::string* report) {
  const std::string text = export_text();
  if (!replace_file(path, path + ".tmp", text.data(), text.size(), FileAccess::Owner)) {
    prompt_.message(tx(kTextFileError));
    return false;
  }
  if (report != nullptr) *report = tx_with(kTextMessagesSaved, {std::to_string(rows_.size()), path});
  return true;
}

std::vector<MessageContact> MessagesWindowLogic::contacts(const std::vector<std::size_t>& rows) const {
  std::vector<MessageContact> out;
  for (std::size_t row : rows) {
    if (row < rows_.size()) out.push_back({rows_[row].Phone, rows_[row].Name});
  }
  return out;
}

}  // namespace phondeck
