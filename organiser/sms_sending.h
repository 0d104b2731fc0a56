#pragma once
// The SMS Sending window's data and rules (TForm18 shows them): the
// recipients, the validity slider and its label, and the commands. While a
// send runs the rows stay: New, Delete and Clear List wait for its end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "organiser/message_family.h"
#include "phonebook/phone_book.h"

namespace phondeck {

class OperationEngine;
class Prompt;

class SmsSendingLogic {
 public:
  SmsSendingLogic(OperationEngine& engine, MessageFamily& family, const PhoneBook& book, Prompt& prompt);

  const std::vector<Recipient>& rows() const { return list().rows(); }
  // Delete, Clear List and New are open only while no send runs.
  bool rows_editable() const { return !family_.sending(); }

  // New: a row before `before` (appended past the end).
  bool add(std::size_t before, const std::string& phone);
  // A double-click on a row: a new number, and its name again.
  bool edit(std::size_t row, const std::string& phone);
  bool remove(const std::vector<std::size_t>& rows);
  bool clear_list();
  void clear_results() { family_.records().recipients.clear_results(); }

  // What goes out, as the window shows it above the list: the outgoing
  // message's text ("" for a ringing tone or picture, which
  // message_summary() describes) and how many messages each recipient gets,
  // or why it cannot go out.
  std::string message_text() const;
  std::string message_summary() const;
  bool message_refused() const { return !family_.records().outgoing.refusal.empty(); }

  int validity() const { return family_.records().validity; }
  void set_validity(int code);
  std::string validity_text() const { return validity_label(validity()); }

  // The number editor's OK: a number the handset can store (the Editor's
  // rule), else false with the Editor's message.
  bool number_acceptable(const std::string& phone);

  // Send All / Send Selected. A row whose number cannot be sent to is
  // "Failed" with the reason; the others are sent. options.done is told the
  // rows reached (messages) and the refused ones (refused_items).
  bool send_all(StartOptions options = {});
  bool send_selected(const std::vector<std::size_t>& rows, StartOptions options = {});

  // Drops: phone-book entries (UNICODE as the name when the entry is written
  // with it), messages (their number and name), and this list's own rows.
  void drop_entries(const std::vector<PhoneBookEntry>& entries);
  void drop_messages(const std::vector<MessageContact>& messages);
  void drop_rows(const std::vector<std::size_t>& rows);

 private:
  // The country a national number is read in: the handset network's.
  std::string network_country() const;
  RecipientList& list() { return family_.records().recipients; }
  const RecipientList& list() const { return family_.records().recipients; }

  OperationEngine& engine_;
  MessageFamily& family_;
  const PhoneBook& book_;
  Prompt& prompt_;
};

}  // namespace phondeck
