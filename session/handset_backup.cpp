#include "session/handset_backup.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "app/prompt.h"
#include "link/phonebook_family.h"
#include "media/graphics_family.h"
#include "media/group_write_family.h"
#include "media/startup_graphic_family.h"
#include "organiser/icalendar.h"
#include "organiser/calendar_family.h"
#include "organiser/clock_family.h"
#include "organiser/message_family.h"
#include "organiser/profile_family.h"
#include "phonebook/phone_book_files.h"
#include "session/handset_session.h"

namespace phondeck {
namespace {

std::string join(const std::vector<std::string>& items, const std::string& between) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : between) + item;
  return out;
}

// The records of one read that the other lacks or holds otherwise: a record
// changed in one read counts once.
int differing_records(BackupPart part, const BackupFiles& a, const BackupFiles& b) {
  const auto first = part_items(part, a);
  const auto second = part_items(part, b);
  if (!first || !second) return 1;
  auto key = [](const BackupItem& item) { return item.label + '\n' + item.content; };
  std::multiset<std::string> left;
  for (const BackupItem& item : *first) left.insert(key(item));
  int only_second = 0;
  for (const BackupItem& item : *second) {
    const auto found = left.find(key(item));
    if (found == left.end()) {
      ++only_second;
    } else {
      left.erase(found);
    }
  }
  return std::max(static_cast<int>(left.size()), only_second);
}

// A prompt that says nothing and answers No: the import of a file only to
// see what it yields.
class QuietPrompt final : public Prompt {
 public:
  void message(const std::string&) override {}
  bool ask_yes_no(const std::string&) override { return false; }
};

// What a part whose write replaces the handset's (the phone book, the
// calendar) takes of its file, and what it leaves out; nullopt for the
// other parts.
struct PartYield {
  std::size_t taken = 0;
  std::vector<std::string> left_out;
};
std::optional<PartYield> part_yield(BackupPart part, const BackupFiles& files) {
  if (part != BackupPart::PhoneBook && part != BackupPart::Calendar) return std::nullopt;
  const auto text = files.find(part_files(part).front());
  if (text == files.end()) return PartYield{};
  if (part == BackupPart::Calendar) {
    IcalendarImport imported = import_icalendar(text->second);
    return PartYield{imported.events.size(), std::move(imported.left_out)};
  }
  QuietPrompt quiet;
  PhoneBook scratch(quiet);
  PhoneBookFiles importer(scratch, quiet);
  importer.leave_positions_to_handset();
  const std::size_t taken = importer.import_text(ListSide::Left, text->second, ContactFormat::VCard);
  const std::optional<ImportNote>& note = scratch.left().import_note();
  return PartYield{taken, note ? note->left_out : std::vector<std::string>{}};
}

// A result of this run's own, not of an operation: Failed at step 0.
OperationResult failed_here() {
  OperationResult r;
  r.ending = Ending::Failed;
  return r;
}

// Done, unless what the operation was to bring in never came.
OperationResult came_in(OperationResult result, bool in) {
  return result.done() && !in ? failed_here() : result;
}

// The writes a restore makes were confirmed by its own question.
StartOptions confirmed(StartOptions options) {
  options.confirmed = true;
  return options;
}

}  // namespace

OperationResult untold_result(bool started) {
  if (!started) return OperationResult::refused(Refusal::None);
  OperationResult lost;
  lost.ending = Ending::LinkLost;
  return lost;
}

std::string why_not_done(const OperationResult& result) {
  if (result.ending == Ending::Failed && result.step == 0) return "the handset sent none of it";
  return describe(result);
}

KeptLists::KeptLists(HandsetSession& session)
    : session_(session),
      side_(session.book().active_side()),
      book_(session.book().active()),
      calendar_(session.organiser().calendar().list()) {}

KeptLists::~KeptLists() {
  session_.book().list(side_) = book_;
  session_.organiser().calendar().list() = calendar_;
}

int BackupResult::reread_records() const {
  int n = 0;
  for (const auto& [title, count] : reread) n += count;
  return n;
}

std::string BackupResult::summary() const {
  std::string text;
  if (complete) {
    text = "Backup complete: " + std::to_string(manifest.parts.size()) + " parts, " +
           std::to_string(files.size() + 1) + " files";
  } else {
    text = "Backup not written: " + stopped;
  }
  if (complete && verified) {
    const int n = reread_records();
    if (n == 0) {
      text += "\nVerified: every part read twice, the reads agree";
    } else {
      std::vector<std::string> parts;
      for (const auto& [title, count] : reread) parts.push_back(title + " " + std::to_string(count));
      text += "\nVerified: every part read twice; " + std::to_string(n) + (n == 1 ? " record" : " records") +
              " differed and " + (n == 1 ? "was" : "were") + " read again until two reads agreed (" +
              join(parts, ", ") + ")";
    }
  }
  if (!absent.empty()) text += "\nNot on this model: " + join(absent, ", ");
  return text;
}

bool PartOutcome::writes() const {
  return std::ranges::any_of(changes, [](const Difference& d) { return d.kind != Difference::Kind::KeptOtherwise; });
}

std::string RestoreResult::summary() const {
  if (refused) {
    std::string text = "Nothing was written: " + stopped;
    if (!other_handset.empty() && stopped.find("another handset") != std::string::npos) text += "\n" + other_handset;
    return text;
  }
  auto count = [](std::size_t n) { return std::to_string(n) + (n == 1 ? " change" : " changes"); };
  std::vector<std::string> lines;
  if (!other_handset.empty()) lines.push_back(other_handset);
  if (!changed_files.empty()) {
    lines.push_back("Changed since the backup was written (checksums ignored): " + join(changed_files, ", "));
  }
  bool written = false;
  for (const PartOutcome& p : parts) {
    std::string title = part_title(p.part);
    title[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(title[0])));
    written = written || p.written;
    const bool messages = p.part == BackupPart::Messages;
    if (p.changes.empty()) {
      lines.push_back(title + ": already as in the backup");
    } else if (!p.written) {
      lines.push_back(title + ": " + count(p.changes.size()) + (p.writes() ? " to make" : ""));
      for (const Difference& c : p.changes) lines.push_back("  " + c.text());
    } else if (!p.left.empty()) {
      lines.push_back(title + ": still differs after the restore");
      for (const Difference& c : p.left) lines.push_back("  " + c.text());
    } else if (messages && !p.altered.empty()) {
      // Stored, but not as the backup has them: no "equal" for these.
      lines.push_back(title + ": stored, read back with the same numbers and texts; " +
                      std::to_string(p.altered.size()) +
                      " kept otherwise than in the backup (the handset's write stores outbox records: a received "
                      "message is now an unsent outbox draft without its time stamp)");
      for (const Difference& c : p.altered) lines.push_back("  " + c.text());
    } else {
      lines.push_back(title + ": restored (" + count(p.changes.size()) + "), read back equal");
    }
    if (!p.left_out.empty()) lines.push_back("  left out of the backup's file, as the handset cannot take it:");
    for (const std::string& l : p.left_out) lines.push_back("    " + l);
    if (!p.note.empty()) lines.push_back("  " + p.note);
  }
  if (!skipped.empty()) lines.push_back("Not restored: " + join(skipped, ", "));
  if (!stopped.empty()) lines.push_back("Stopped at the " + stopped + "; the parts after it were not written");
  if (complete) {
    lines.push_back("Restore complete");
  } else if (!written && stopped.empty()) {
    lines.push_back("Nothing written");
  } else {
    lines.push_back("Restore incomplete");
  }
  return join(lines, "\n");
}

std::string restore_question(const BackupManifest& manifest, const RestoreResult& compared) {
  std::string time = manifest.time;
  std::replace(time.begin(), time.end(), 'T', ' ');
  std::vector<std::string> lines{"Write the backup of " + time + " into the handset?"};
  if (!compared.other_handset.empty()) lines.push_back(compared.other_handset);
  if (!compared.changed_files.empty()) {
    lines.push_back("Changed since the backup was written (checksums ignored), restored as they are now: " +
                    join(compared.changed_files, ", "));
  }
  lines.push_back("It changes on the handset:");
  for (const PartOutcome& p : compared.parts) {
    if (!p.writes()) continue;
    lines.push_back("  the " + part_title(p.part) + ": " + p.plan);
    if (!p.left_out.empty()) {
      lines.push_back("    " + std::to_string(p.left_out.size()) + " of the backup's cannot be taken and are left out:");
      for (const std::string& l : p.left_out) lines.push_back("      " + l);
    }
  }
  return join(lines, "\n");
}

std::vector<BackupPart> parts_to_restore(const BackupManifest& manifest, const RestoreOptions& options,
                                         const HandsetInfo& info, std::vector<std::string>* skipped) {
  std::vector<BackupPart> parts;
  for (BackupPart part : kBackupParts) {
    const bool asked = options.only.empty() ? part != BackupPart::Messages
                                            : std::ranges::find(options.only, part) != options.only.end();
    if (!asked) continue;
    const bool held = std::ranges::find(manifest.parts, part_name(part)) != manifest.parts.end();
    if (!held || !part_on_model(part, info)) {
      if (skipped != nullptr) {
        skipped->push_back(part_title(part) + (held ? " (not on this model)" : " (not in the backup)"));
      }
      continue;
    }
    parts.push_back(part);
  }
  return parts;
}

// One operation through the runner; refused without a start once the link
// is lost for good (a start would only ask for a connection once more for
// each operation left; a lost link that AutoReconnect takes up is running
// again by then).
OperationResult run_unless_lost(HandsetSession& session, const OperationRunner& run,
                                const std::function<bool(StartOptions)>& start) {
  if (session.state() == LinkState::Disconnected) return OperationResult::refused(Refusal::NotConnected);
  return run(start);
}

OperationResult HandsetBackup::run(const std::function<bool(StartOptions)>& start) {
  return run_unless_lost(session_, run_, start);
}

OperationResult read_part_records(HandsetSession& session, const OperationRunner& run_operation, BackupPart part) {
  OperationEngine& engine = session.engine();
  MediaFamilies& media = session.media();
  OrganiserFamilies& organiser = session.organiser();
  auto run = [&](const std::function<bool(StartOptions)>& start) {
    return run_unless_lost(session, run_operation, start);
  };
  switch (part) {
    case BackupPart::Settings: {
      MessageRecords& records = organiser.messages();
      records.centre_record.clear();
      const OperationResult read = run([&](StartOptions o) { return start_smsc_read(engine, std::move(o)); });
      const OperationResult centre = came_in(read, !records.centre_record.empty());
      if (!centre.done()) return centre;
      return run([&](StartOptions o) { return start_read_alarm(engine, std::move(o)); });
    }
    case BackupPart::Groups:
      return run([&](StartOptions o) {
        return start_group_read(engine, media.graphics(), GroupReadPurpose::None, std::move(o));
      });
    case BackupPart::Operator: {
      OperatorLogo& logo = media.graphics_records().operator_logo;
      logo.read = false;
      const OperationResult read =
          run([&](StartOptions o) { return start_system_logo_read(engine, media.graphics(), std::move(o)); });
      return came_in(read, logo.read);
    }
    case BackupPart::Startup: {
      GraphicsRecords& records = media.graphics_records();
      records.startup_read = false;
      const OperationResult read =
          run([&](StartOptions o) { return start_startup_read(engine, media.startup_graphic(), std::move(o)); });
      return came_in(read, records.startup_read);
    }
    case BackupPart::Profiles:
      organiser.profiles() = ProfileSet{};
      return run([&](StartOptions o) { return start_profile_read(engine, std::move(o)); });
    case BackupPart::Calendar:
      organiser.calendar().list().clear();
      return run([&](StartOptions o) { return start_calendar_read(engine, std::move(o)); });
    case BackupPart::PhoneBook: {
      PhoneBookList& list = session.book().active();
      while (!list.empty()) list.remove(list.size() - 1);
      return run([&](StartOptions o) { return start_phone_book_read(engine, std::move(o)); });
    }
    case BackupPart::Messages:
      return run([&](StartOptions o) { return start_message_read(engine, organiser.message_family(), std::move(o)); });
  }
  return OperationResult::refused(Refusal::NoSuchFunction);
}

OperationResult HandsetBackup::read_part(BackupPart part, BackupFiles& out) {
  const OperationResult read = read_part_records(session_, run_, part);
  if (read.done()) files_from_records(part, session_, out);
  return read;
}

OperationResult HandsetBackup::read_verified(BackupPart part, BackupFiles& out, int& differing, bool& disagreed) {
  std::vector<BackupFiles> reads;
  differing = 0;
  disagreed = false;
  while (static_cast<int>(reads.size()) < kMaxVerifyReads) {
    BackupFiles read;
    const OperationResult result = read_part(part, read);
    if (!result.done()) return result;
    for (const BackupFiles& earlier : reads) {
      if (earlier == read) {
        out.insert(read.begin(), read.end());
        return result;
      }
    }
    reads.push_back(std::move(read));
    if (reads.size() == 2) differing = differing_records(part, reads[0], reads[1]);
  }
  disagreed = true;
  return failed_here();
}

BackupResult HandsetBackup::backup(const std::string& path, const std::string& time, bool verify) {
  KeptLists kept(session_);
  BackupResult result;
  const HandsetInfo& info = session_.info();
  std::vector<BackupPart> parts;
  for (BackupPart part : kBackupParts) {
    if (part_on_model(part, info)) {
      parts.push_back(part);
    } else {
      result.absent.push_back(part_title(part));
      result.manifest.absent.push_back(part_name(part));
    }
  }
  result.manifest.model = info.model;
  result.manifest.imei = info.imei;
  result.manifest.firmware = info.firmware_version;
  result.manifest.time = time;
  const int count = static_cast<int>(parts.size());
  for (int i = 0; i < count; ++i) {
    const BackupPart part = parts[static_cast<std::size_t>(i)];
    tell(i, count, part_title(part));
    int differing = 0;
    bool disagreed = false;
    const OperationResult read =
        verify ? read_verified(part, result.files, differing, disagreed) : read_part(part, result.files);
    if (!read.done()) {
      result.ended = read;
      result.stopped = "the " + part_title(part) +
                       (disagreed ? " did not read the same twice in " + std::to_string(kMaxVerifyReads) + " reads"
                                   : " could not be read (" + why_not_done(read) + ")");
      return result;
    }
    if (differing > 0) result.reread.emplace_back(part_title(part), differing);
    result.manifest.parts.push_back(part_name(part));
    // What was read, as the records hold it.
    if (part == BackupPart::PhoneBook) result.ended.entries = static_cast<int>(session_.book().active().size());
    if (part == BackupPart::Messages) {
      result.ended.messages = static_cast<int>(session_.organiser().messages().store.size());
    }
    if (part == BackupPart::Calendar) result.ended.notes = static_cast<int>(session_.organiser().calendar().list().size());
  }
  tell(count, count, {});
  result.manifest.files = list_files(result.files);
  std::string error;
  if (!write_backup_archive(path, result.files, result.manifest, error)) {
    result.ended = failed_here();
    result.stopped = error;
    return result;
  }
  result.complete = true;
  result.verified = verify;
  return result;
}

OperationResult HandsetBackup::write_part(BackupPart part, const BackupFiles& wanted, const BackupFiles& held,
                                          PartOutcome& outcome) {
  OperationEngine& engine = session_.engine();
  MediaFamilies& media = session_.media();
  OrganiserFamilies& organiser = session_.organiser();
  const OperationResult nothing_to_do;
  std::string error;
  if (part == BackupPart::Settings) {
    const auto want = read_settings_file(wanted);
    const auto have = read_settings_file(held);
    if (!want || !have) return OperationResult::refused(Refusal::BadInput);
    if (want->centre != have->centre) {
      organiser.messages().message_centre = want->centre;
      const OperationResult centre =
          run([&](StartOptions o) { return start_smsc_write(engine, confirmed(std::move(o))); });
      if (!centre.done()) return centre;
    }
    const DiaryAlarm& a = want->alarm;
    const DiaryAlarm& b = have->alarm;
    if (a.enabled != b.enabled || (a.enabled && (a.hour != b.hour || a.minute != b.minute))) {
      return run([&](StartOptions o) {
        return start_write_alarm(engine, a.enabled, a.hour, a.minute, confirmed(std::move(o)));
      });
    }
    return nothing_to_do;
  }
  if (part == BackupPart::Messages) {
    auto store = messages_to_store(wanted, held);
    if (!store) return OperationResult::refused(Refusal::BadInput);
    if (store->empty()) return nothing_to_do;
    MessageFamily& family = organiser.message_family();
    return run([&](StartOptions o) { return start_messages_store(engine, family, std::move(*store), confirmed(std::move(o))); });
  }
  if (!records_from_files(part, wanted, session_, prompt_, error)) return OperationResult::refused(Refusal::BadInput, error);
  switch (part) {
    case BackupPart::Groups:
      return run([&](StartOptions o) {
        return start_group_restore(engine, media.group_write(), media.caller_groups(), confirmed(std::move(o)));
      });
    case BackupPart::Operator: {
      const OperatorLogo logo = media.graphics_records().operator_logo;
      return run([&](StartOptions o) {
        return start_system_logo_write(engine, media.graphics(), logo.picture, logo.mcc, logo.mnc,
                                       confirmed(std::move(o)));
      });
    }
    case BackupPart::Startup: {
      const MonoBitmap picture = media.graphics_records().startup;
      return run([&](StartOptions o) {
        return start_startup_write(engine, media.startup_graphic(), picture, confirmed(std::move(o)));
      });
    }
    case BackupPart::Profiles:
      if (organiser.profiles().changes().empty()) {
        outcome.note = "a profile's name is kept by the handset and cannot be written";
        return nothing_to_do;
      }
      return run([&](StartOptions o) { return start_profile_write(engine, organiser.profile_family(), confirmed(std::move(o))); });
    case BackupPart::Calendar:
      return run([&](StartOptions o) { return start_calendar_write(engine, confirmed(std::move(o))); });
    case BackupPart::PhoneBook:
      // What the file leaves out was asked about before anything was written,
      // in the restore's one question, which said that it replaces the
      // handset's phone book.
      session_.book().active().set_import_note(std::nullopt);
      return run([&](StartOptions o) {
        return start_write_all(engine, session_.book().active(), true, confirmed(std::move(o)));
      });
    default:
      return OperationResult::refused(Refusal::NoSuchFunction);
  }
}

RestoreResult HandsetBackup::restore(const OpenedBackup& backup, const RestoreOptions& options) {
  KeptLists kept(session_);
  RestoreResult result;
  const HandsetInfo& info = session_.info();
  result.changed_files = backup.changed;
  const BackupManifest& manifest = backup.manifest;
  if (!manifest.imei.empty() && manifest.imei != info.imei) {
    const auto model = [](const std::string& m) { return m.empty() ? std::string("model unknown") : m; };
    result.other_handset = "This backup is of another handset: " + model(manifest.model) + ", IMEI " +
                           manifest.imei + "; this one is " + model(info.model) + ", IMEI " + info.imei;
  }
  // Nothing is written: why, and the result that says so.
  const auto refuse = [&result](std::string why, OperationResult ended) {
    result.refused = true;
    result.stopped = std::move(why);
    result.ended = std::move(ended);
    return result;
  };
  const std::vector<BackupPart> parts = parts_to_restore(manifest, options, info, &result.skipped);
  if (parts.empty()) {
    return refuse("the backup holds none of the parts asked for that this handset has",
                  OperationResult::refused(Refusal::BadInput));
  }
  // Each part's file must read before anything is written.
  for (BackupPart part : parts) {
    if (!part_items(part, backup.files)) {
      return refuse("the backup's " + part_title(part) + " cannot be read", OperationResult::refused(Refusal::BadInput));
    }
  }
  // The files as this restore takes them: without the received messages
  // when they are left out.
  int received_left = 0;
  const BackupFiles wanted =
      options.received_messages ? backup.files : without_received_messages(backup.files, received_left);
  const int count = static_cast<int>(parts.size());
  const int steps = options.dry_run ? count : 3 * count;
  // What the handset holds now, part by part.
  BackupFiles held;
  for (int i = 0; i < count; ++i) {
    const BackupPart part = parts[static_cast<std::size_t>(i)];
    tell(i, steps, "Reading the " + part_title(part));
    PartOutcome outcome;
    outcome.part = part;
    const OperationResult read = read_part(part, held);
    if (!read.done()) return refuse(part_title(part) + " (it could not be read: " + why_not_done(read) + ")", read);
    outcome.changes = part_differences(part, wanted, held);
    outcome.plan = std::to_string(outcome.changes.size()) + (outcome.changes.size() == 1 ? " change" : " changes");
    result.parts.push_back(std::move(outcome));
  }
  // A part that replaces the handset's with a file that yields nothing is
  // never written; one that leaves something out is asked for.
  for (PartOutcome& outcome : result.parts) {
    const std::optional<PartYield> yield = outcome.writes() ? part_yield(outcome.part, wanted) : std::nullopt;
    if (!yield) continue;
    outcome.left_out = yield->left_out;
    if (yield->taken == 0) {
      std::string why = "the backup's " + part_title(outcome.part) + " holds nothing the handset can take, and would "
                        "empty the handset's";
      if (!yield->left_out.empty()) why += " (" + join(yield->left_out, "; ") + ")";
      return refuse(std::move(why), OperationResult::refused(Refusal::BadInput));
    }
    const auto have = part_items(outcome.part, held);
    const std::size_t before = have ? have->size() : 0;
    const std::string what = outcome.part == BackupPart::PhoneBook ? "entries" : "notes";
    outcome.plan = "replaces the handset's " + std::to_string(before) + " " + what + " with the backup's " +
                   std::to_string(yield->taken);
  }
  for (PartOutcome& outcome : result.parts) {
    if (outcome.part != BackupPart::Messages) continue;
    int stored = 0;
    int received = 0;
    for (const Difference& d : outcome.changes) {
      if (d.kind != Difference::Kind::NotOnHandset) continue;
      ++stored;
      if (d.backup.rfind("inbox", 0) == 0) ++received;
    }
    outcome.plan = "stores " + std::to_string(stored) + (stored == 1 ? " message" : " messages");
    if (received > 0) {
      outcome.note = std::to_string(received) + (received == 1 ? " received message goes" : " received messages go") +
                     " in as an unsent outbox draft without its time stamp: the handset's write stores outbox "
                     "records";
      outcome.plan += "; " + outcome.note;
    }
    if (received_left > 0) {
      const std::string left = std::to_string(received_left) + " received " +
                               (received_left == 1 ? "message" : "messages") + " of the backup left out, as asked";
      outcome.note = outcome.note.empty() ? left : outcome.note + "; " + left;
    }
  }
  if (options.dry_run) {
    tell(steps, steps, {});
    return result;
  }
  const bool anything = std::ranges::any_of(result.parts, [](const PartOutcome& p) { return p.writes(); });
  if (anything && !prompt_.ask_yes_no(restore_question(manifest, result))) {
    return refuse(result.other_handset.empty() ? "the restore was not confirmed"
                                               : "the backup is of another handset; the restore was not confirmed",
                  OperationResult::refused(Refusal::UserSaidNo));
  }
  // What the writes did, summed; the first that was not done stops the rest.
  OperationResult written;
  std::optional<OperationResult> stopped;
  for (int i = 0; i < count && !stopped; ++i) {
    PartOutcome& outcome = result.parts[static_cast<std::size_t>(i)];
    tell(count + i, steps, "Writing the " + part_title(outcome.part));
    if (!outcome.writes()) continue;
    const OperationResult write = write_part(outcome.part, wanted, held, outcome);
    written.entries += write.entries;
    written.messages += write.messages;
    written.notes += write.notes;
    written.bytes += write.bytes;
    written.refused_items += write.refused_items;
    if (!write.done()) {
      result.stopped = part_title(outcome.part) + " (" + why_not_done(write) + ")";
      stopped = write;
    }
    outcome.written = true;
  }
  // Read back what was written and compare it with the file.
  bool equal = !stopped;
  std::optional<OperationResult> unread;
  for (int i = 0; i < count; ++i) {
    PartOutcome& outcome = result.parts[static_cast<std::size_t>(i)];
    tell(2 * count + i, steps, "Checking the " + part_title(outcome.part));
    if (!outcome.written) {
      equal = equal && !outcome.writes();
      continue;
    }
    BackupFiles after;
    const OperationResult read = read_part(outcome.part, after);
    if (!read.done()) {
      outcome.left = {{Difference::Kind::Differs, "it could not be read back (" + why_not_done(read) + ")", "", ""}};
      equal = false;
      if (!unread) unread = read;
      continue;
    }
    for (Difference& d : part_differences(outcome.part, wanted, after)) {
      (d.kind == Difference::Kind::KeptOtherwise ? outcome.altered : outcome.left).push_back(std::move(d));
    }
    equal = equal && outcome.left.empty();
  }
  tell(steps, steps, {});
  result.complete = equal;
  if (stopped) {
    result.ended = *stopped;
  } else if (!equal) {
    result.ended = unread ? *unread : failed_here();
  } else {
    result.ended = written;
  }
  return result;
}

}  // namespace phondeck
