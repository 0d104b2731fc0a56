#include "organiser/messages_window.h"

#include <fstream>

#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"

namespace phondeck {
namespace {

constexpr int kTextAskClear = 3200;
constexpr int kTextFileError = 3402;
constexpr int kTextMessagesSaved = 3704;
constexpr int kTextTooLong = 3411;
constexpr int kTextUnsupported = 3413;
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
  for (std::size_t i : store.folder(folder_)) {
    const SmsRecord& r = store.at(i);
    rows_.push_back({r.Phone, book_.name_for_number(r.Phone), r.Abstract, r.Time, r.Type == "3" ? 1 : 0, i});
  }
}

void MessagesWindowLogic::open_row(std::size_t row) {
  if (row >= rows_.size()) return;
  set_text(from_handset_lines(family_.records().store.at(rows_[row].record).Text));
}

void MessagesWindowLogic::set_text(const std::string& text) {
  text_ = text;
  encoded_ = encode_message_text(to_handset_lines(text));
  // A message filled from the editor follows it, so the SMS Sending window
  // sends the text shown here, or nothing while it does not fit.
  OutgoingSms& outgoing = family_.records().outgoing;
  if (!outgoing.composed) return;
  const std::string refusal = composition_refusal();
  if (refusal.empty()) {
    fill_outgoing(outgoing, encoded_);
  } else {
    outgoing.refusal = refusal;
  }
}

std::string MessagesWindowLogic::composition_refusal() const {
  if (encoded_.length > kMessageLimit) return tx(kTextTooLong);
  if (encoded_.unsupported.empty()) return {};
  std::string text = tx(kTextUnsupported);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, encoded_.unsupported);
  return text;
}

std::string MessagesWindowLogic::counter_text() const { return std::to_string(encoded_.length) + " / 140"; }

bool MessagesWindowLogic::new_message() {
  if (rows_.empty()) return false;
  if (config().DelConfirm != 0 && !prompt_.ask_yes_no(tx(kTextAskClear))) return false;
  set_text("");
  return true;
}

bool MessagesWindowLogic::read() { return start_message_read(engine_, family_); }

bool MessagesWindowLogic::take_composition() {
  if (const std::string refusal = composition_refusal(); !refusal.empty()) {
    prompt_.message(refusal);
    return false;
  }
  fill_outgoing(family_.records().outgoing, encoded_);
  return true;
}

bool MessagesWindowLogic::write() { return take_composition() && start_message_write(engine_); }

bool MessagesWindowLogic::send() { return take_composition(); }

bool MessagesWindowLogic::delete_rows(const std::vector<std::size_t>& rows) {
  if (rows.empty()) return false;
  if (config().DelConfirm != 0 && !prompt_.ask_yes_no(tx(kTextAskClear))) return false;
  std::vector<int> locations;
  const MessageStore& store = family_.records().store;
  for (std::size_t row : rows) {
    if (row < rows_.size()) locations.push_back(std::stoi(store.at(rows_[row].record).Pos));
  }
  return start_message_delete(engine_, family_, std::move(locations));
}

std::string MessagesWindowLogic::export_text() const {
  std::string out;
  const MessageStore& store = family_.records().store;
  for (const MessageRow& row : rows_) {
    const SmsRecord& r = store.at(row.record);
    out += tx(kTextPhone) + ": " + r.Phone + "\n";
    out += tx(kTextName) + ": " + row.Name + "\n";
    if (!r.Time.empty()) out += tx(kTextTime) + ": " + r.Time + "\n";
    out += "\n" + from_handset_lines(r.Text) + "\n\n";
  }
  return out;
}

bool MessagesWindowLogic::export_folder(const std::string& path, std::string* report) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file << export_text();
  if (!file || !file.flush()) {
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
