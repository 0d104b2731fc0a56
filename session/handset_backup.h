#pragma once
// Backup and restore of the whole handset: every part Telvane reads, one
// after another through the operations that exist, into one archive; and
// back, part by part in a safe order, each part read back and compared with
// the file afterwards.
#include <functional>
#include <utility>
#include <optional>
#include <string>
#include <vector>

#include "link/handset_info.h"
#include "link/operation_result.h"
#include "organiser/calendar_list.h"
#include "phonebook/phone_book.h"
#include "session/backup_archive.h"
#include "session/backup_differences.h"
#include "session/backup_files.h"

namespace phondeck {

class HandsetSession;
class Prompt;

// Runs one operation to its end: start(options) starts it with the runner's
// completion in `options`, then the runner's loop runs until that completion
// is told how the operation ended, which it returns. The command line runs
// it on its loop (CliSession::run_operation), the window on a local event
// loop, the tests on virtual time.
using OperationRunner = std::function<OperationResult(const std::function<bool(StartOptions)>& start)>;

// What a runner returns when the start told its completion nothing: refused
// when nothing started, the link lost when it never ended.
OperationResult untold_result(bool started);

// Why a part's operation did not do its part, for the summaries ("link lost
// at step 13: 24 entries").
std::string why_not_done(const OperationResult& result);

// Told before each part: its number from 0, the number of parts, its title.
using PartListener = std::function<void(int index, int count, const std::string& title)>;

// Reads one part into the session's records (the active phone-book list,
// the calendar list, the message store, the caller groups, ...) through the
// runner, each of its operations refused once the link is lost for good.
// Done when every operation of the part was done and what the part needs
// came in; otherwise the result of the one that was not (a reply that never
// came in: Failed at step 0).
OperationResult read_part_records(HandsetSession& session, const OperationRunner& run, BackupPart part);

// The user's own lists (the phone-book list shown, the calendar's notes)
// stay as they were while a run uses the session's records.
class KeptLists {
 public:
  explicit KeptLists(HandsetSession& session);
  ~KeptLists();
  KeptLists(const KeptLists&) = delete;
  KeptLists& operator=(const KeptLists&) = delete;

 private:
  HandsetSession& session_;
  ListSide side_;
  PhoneBookList book_;
  CalendarList calendar_;
};

struct BackupResult {
  bool complete = false;         // the archive is written
  std::string stopped;           // the part that stopped the backup, or the write's error
  std::vector<std::string> absent;  // parts the model does not have
  BackupManifest manifest;
  BackupFiles files;
  // With verify: every part was read until two reads agreed; per part, the
  // records that differed between the first two reads.
  bool verified = false;
  std::vector<std::pair<std::string, int>> reread;
  // How the run ended: done with the entries, messages and notes read; or
  // the result of the part's operation that stopped it (Failed at step 0 for
  // reads that never agreed or an archive that could not be written).
  OperationResult ended;
  int reread_records() const;
  std::string summary() const;
};

// A verified backup reads a part at most this often before giving up on it.
inline constexpr int kMaxVerifyReads = 6;

struct RestoreOptions {
  // The parts to restore; empty: every part in the backup but messages.
  std::vector<BackupPart> only;
  bool dry_run = false;
  // False: the backup's received (inbox) messages are left out; only its
  // outbox messages are stored back.
  bool received_messages = true;
};

struct PartOutcome {
  BackupPart part = BackupPart::Settings;
  bool written = false;               // a write was sent
  std::vector<Difference> changes;    // before: what differed
  std::vector<Difference> left;       // after: what still differs
  // After: messages stored with their number and text but kept otherwise
  // than the backup has them (a received one as an unsent outbox draft
  // without its time stamp): no write can make them equal.
  std::vector<Difference> altered;
  std::vector<std::string> left_out;  // what the handset cannot take of the file, with why
  // Messages: what the backup's messages become on the handset, said before
  // anything is written; and how many received ones were left out.
  std::string note;
  // What its write does, as the question says it ("replaces the handset's
  // 12 entries with the backup's 10").
  std::string plan;
  // A write can change something: a difference other than a message kept
  // otherwise.
  bool writes() const;
};

struct RestoreResult {
  bool refused = false;    // nothing written: the reason in `stopped`
  bool complete = false;   // every part written and read back equal (messages: stored)
  std::string stopped;     // the part that stopped the restore, or why nothing was written
  std::vector<PartOutcome> parts;
  std::vector<std::string> skipped;  // parts of the backup this handset lacks
  // "This backup is of another handset: 6110, IMEI ...; this one is ...";
  // empty for this handset's.
  std::string other_handset;
  // The backup's files that differ from its manifest (opened with the
  // checksums ignored), as OpenedBackup::changed has them.
  std::vector<std::string> changed_files;
  // How the run ended: done when complete; refused when nothing was written
  // (why in `stopped`); the result of the operation that stopped it; or
  // Failed at step 0 when what was written does not read back as the backup.
  OperationResult ended;
  std::string summary() const;
};

// The one question a restore asks before it writes: the backup's time, the
// handsets when they differ, what each part replaces or stores (the phone
// book's and calendar's entries replaced, what their files leave out,
// messages as outbox drafts), and the files changed since the backup.
std::string restore_question(const BackupManifest& manifest, const RestoreResult& compared);

class HandsetBackup {
 public:
  HandsetBackup(HandsetSession& session, Prompt& prompt, OperationRunner runner)
      : session_(session), prompt_(prompt), run_(std::move(runner)) {}
  void set_part_listener(PartListener listener) { on_part_ = std::move(listener); }

  // Reads every part the model has and writes the archive to `path`, only
  // when every part was read. `time` goes into the manifest. With `verify`
  // each part is read twice and compared; while two reads differ it is read
  // again, until two of its reads agree (noise that passed the frames'
  // checksums changes one read only).
  BackupResult backup(const std::string& path, const std::string& time, bool verify = false);

  // Writes the backup's parts into the connected handset, asking once
  // (restore_question), then reads each back and compares. With dry_run only
  // the comparison before is made.
  RestoreResult restore(const OpenedBackup& backup, const RestoreOptions& options);

 private:
  // One operation through the runner; none once the link is lost for good
  // (a lost link that AutoReconnect takes up is running again by then).
  OperationResult run(const std::function<bool(StartOptions)>& start);
  OperationResult read_part(BackupPart part, BackupFiles& out);
  // Reads until two reads agree; not done when a read is not, or (`disagreed`)
  // when no two of kMaxVerifyReads agree.
  OperationResult read_verified(BackupPart part, BackupFiles& out, int& differing, bool& disagreed);
  // Writes with the restore's own question as the confirmation.
  OperationResult write_part(BackupPart part, const BackupFiles& wanted, const BackupFiles& held,
                             PartOutcome& outcome);
  void tell(int index, int count, const std::string& title) {
    if (on_part_) on_part_(index, count, title);
  }

  HandsetSession& session_;
  Prompt& prompt_;
  OperationRunner run_;
  PartListener on_part_;
};

// The parts a restore writes, in order: `only` (or every part of the backup
// but messages) that the backup holds and the model has.
std::vector<BackupPart> parts_to_restore(const BackupManifest& manifest, const RestoreOptions& options,
                                         const HandsetInfo& info, std::vector<std::string>* skipped = nullptr);

}  // namespace phondeck
