#pragma once
// The Messages window's data and rules (TForm6 shows them): the folder
// tree's choice and the list it gives, the composed text with its live
// encoding and counter, and the tool-bar and context-menu commands.
#include <cstddef>
#include <string>
#include <vector>

#include "organiser/long_message.h"
#include "organiser/message_family.h"
#include "phonebook/phone_book.h"

namespace phondeck {

class OperationEngine;
class Prompt;

struct MessageRow {
  std::string Phone;
  std::string Name;
  std::string Abstract;
  std::string Time;
  int icon = 0;            // 1 for an unread inbox message
  std::size_t record = 0;  // index in the store (a joined message's first part)
  std::vector<std::size_t> records;  // every part's index, in part order
  std::string text;        // the whole text, parts joined
};

class MessagesWindowLogic {
 public:
  MessagesWindowLogic(OperationEngine& engine, MessageFamily& family, const PhoneBook& book, Prompt& prompt);

  // The tree's choice; the list is rebuilt from the store.
  void select_folder(SmsFolder folder);
  SmsFolder folder() const { return folder_; }
  // Rebuilds the list for the current folder.
  void rebuild();
  // A read ended: with the root chosen, which lists nothing, the Inbox is
  // chosen instead (the Outbox when only it holds messages).
  void read_done();
  const std::vector<MessageRow>& rows() const { return rows_; }

  // A double-click on a row: its text goes into the editor.
  void open_row(std::size_t row);
  // The editor's text changed (lines separated by "\n").
  void set_text(const std::string& text);
  const std::string& text() const { return text_; }
  const EncodedMessage& encoded() const { return encoded_; }
  // "N / 140" for one message; "2 messages, 190 / 306" for a text sent in
  // parts; red when no number of parts holds it.
  std::string counter_text() const;
  bool counter_red() const { return count_.parts == 0; }
  int parts() const { return count_.parts; }

  // Tool-bar commands. New clears the editor (asking first when deletes are
  // confirmed) when the list shows a row; true when it cleared. Read, Write
  // and Delete tell options.done how they ended; Write asks the write
  // confirmation (unless options.confirmed is given), Delete its own question.
  bool new_message();
  bool read(StartOptions options = {});
  bool write(StartOptions options = {});
  // Fills the outgoing message; true when the SMS Sending window is to be shown.
  bool send();
  // The context menu's Delete: the selected rows' messages, from the handset.
  bool delete_rows(const std::vector<std::size_t>& rows, StartOptions options = {});
  // File > Save: the folder's messages as text, one block each; false (and
  // the user told) when the file cannot be written.
  // `report`, if given, receives "N messages saved to FILE".
  bool export_folder(const std::string& path, std::string* report = nullptr);
  std::string export_text() const;
  // What a drag of these rows carries: number and name.
  std::vector<MessageContact> contacts(const std::vector<std::size_t>& rows) const;

 private:
  // The length and character checks of Write (one message) and Send (up to
  // six parts); fills OutgoingSms.
  bool take_composition(bool one_message);
  // Why the composed text cannot go out ("" when it can).
  std::string composition_refusal(bool one_message) const;

  OperationEngine& engine_;
  MessageFamily& family_;
  const PhoneBook& book_;
  Prompt& prompt_;
  SmsFolder folder_ = SmsFolder::Root;
  std::vector<MessageRow> rows_;
  std::string text_;
  EncodedMessage encoded_;
  PartCount count_;
};

// Lines separated by "\n" as the handset keeps them (CR LF), and back.
std::string to_handset_lines(const std::string& text);
std::string from_handset_lines(const std::string& text);

}  // namespace phondeck
