#pragma once
// Archive: every message the handset holds into a folder, one text file per
// message named by its time stamp and sender, with a messages.json index;
// optionally deleted from the handset afterwards, but only a message whose
// file is on disk (file and folder synced) and that was read before the
// files were written, so one that arrives meanwhile stays on the handset.
//
// MessageArchiver runs it over the message family: a read, the files, then
// (when asked) a delete of the written messages' locations, which reads the
// store again; each step follows the result of the one before.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "link/operation_result.h"
#include "organiser/message_store.h"

namespace phondeck {

class MessageFamily;
class OperationEngine;

// One message as the archive writes it, with the locations the handset
// keeps it at.
struct ArchiveItem {
  SmsRecord record;            // a message in parts: the first part, its text the whole
  std::vector<int> locations;
  std::vector<SmsRecord> parts;  // the records as read, to tell whether they are still there
};

// The messages to archive from the store, in store order, the parts of a
// message joined into one.
std::vector<ArchiveItem> messages_to_archive(const MessageStore& store);

// "YYMMDD-HHMMSS_SENDER.txt" from the time stamp and number ("L<location>"
// for a message without a time stamp); characters other than letters,
// digits and "+" become "_".
std::string archive_file_name(const SmsRecord& record);
// The file's text: number, folder, status, time, stamp (with its zone),
// location, centre, then the message with "\n" line ends.
std::string archive_file_text(const SmsRecord& record);

// An index as messages.json holds it: its entries. False (entries empty)
// when the text is not one: a JSON array of objects, each with a "file"
// string naming a file in the folder.
bool parse_archive_index(std::string_view text, nlohmann::ordered_json& entries);

struct ArchiveWrite {
  // Per item: the file name written and synced (or, for a message the
  // folder's index already holds with its file there, that file), or ""
  // when it is not on disk.
  std::vector<std::string> files;
  std::size_t written = 0;
  std::size_t already = 0;  // already in the folder: not written again
  std::string error;  // what failed first ("" when nothing did)
};

// Writes the items' files into `folder` (made when missing; a name taken by
// an earlier file gets "-2", "-3", ...), syncs the folder, then writes
// messages.json: this run's messages after those of an earlier index in the
// folder. A file that could not be written is left out of the index. A
// message the earlier index holds (the same folder, number, time, stamp and
// text; its status and location may have changed) whose file is still there
// is not written again; each entry stands for one message.
//
// True when the earlier index holds this message.
bool archived_already(const nlohmann::ordered_json& entry, const ArchiveItem& item);
ArchiveWrite write_archive(const std::string& folder, const std::vector<ArchiveItem>& items);

struct ArchiveSummary {
  std::size_t messages = 0;  // read from the handset
  std::size_t written = 0;
  std::size_t already = 0;  // in the folder from an earlier run
  std::size_t deleted = 0;
  bool delete_asked = false;
  bool delete_refused = false;  // the user answered No (or, unasked, --yes was not given)
  bool read_done = false;  // the read ran to the end (the files were written)
  bool delete_done = false;  // the delete and its read ran to the end
  std::string error;
};

class MessageArchiver {
 public:
  // The starter's question before the delete ("Delete the N archived
  // messages from the handset?"), asked only when deletes are confirmed.
  using AskDelete = std::function<bool(const std::string& question)>;

  MessageArchiver(OperationEngine& engine, MessageFamily& family);

  // Reads the messages; the files and the delete follow the read's result.
  // False when the read did not start (or a run is under way). With
  // `delete_written`, once the files are on disk, `ask` decides whether the
  // archived messages go from the handset. `done` is told once at the end:
  // the result of the read when it did not complete or nothing is deleted,
  // else that of the delete; the summary says the rest.
  bool start(std::string folder, bool delete_written, AskDelete ask, Completion done = {});
  bool running() const { return phase_ != Phase::Idle; }
  const ArchiveSummary& summary() const { return summary_; }
  // The summary as a line for the user.
  std::string summary_text() const;

  // Runs the archive's work after a result: now (the default), or, for a
  // window whose questions open their own event loop, once the running step
  // has returned.
  std::function<void(std::function<void()>)> later;

 private:
  enum class Phase { Idle, Reading, Deleting };
  void read_ended(const OperationResult& result);
  void delete_ended(const OperationResult& result);
  void finish(const OperationResult& result);
  // The result passed on after `later`, when one is set.
  Completion then(void (MessageArchiver::*step)(const OperationResult&));

  OperationEngine& engine_;
  MessageFamily& family_;
  std::string folder_;
  bool delete_written_ = false;
  AskDelete ask_;
  Completion done_;
  Phase phase_ = Phase::Idle;
  std::vector<ArchiveItem> written_;  // the items whose files are on disk
  ArchiveSummary summary_;
};

}  // namespace phondeck
