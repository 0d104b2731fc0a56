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

}  // namespace

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

bool HandsetBackup::run(const std::function<bool()>& start, const std::function<bool()>& done) {
  if (session_.state() == LinkState::Disconnected) return false;
  return run_(start, done);
}

bool read_part_records(HandsetSession& session, const OperationRunner& run_operation, BackupPart part) {
  OperationEngine& engine = session.engine();
  MediaFamilies& media = session.media();
  OrganiserFamilies& organiser = session.organiser();
  auto idle = [&session] { return session.state() == LinkState::Idle; };
  auto run = [&](const std::function<bool()>& start, const std::function<bool()>& done) {
    return session.state() != LinkState::Disconnected && run_operation(start, done);
  };
  switch (part) {
    case BackupPart::Settings: {
      MessageRecords& records = organiser.messages();
      records.centre_record.clear();
      return run([&] { return start_smsc_read(engine); }, [&] { return idle() && !records.centre_record.empty(); }) &&
             run([&] { return start_read_alarm(engine); }, idle);
    }
    case BackupPart::Groups:
      return run([&] { return start_group_read(engine, media.graphics(), GroupReadPurpose::None); }, idle);
    case BackupPart::Operator: {
      OperatorLogo& logo = media.graphics_records().operator_logo;
      logo.read = false;
      return run([&] { return start_system_logo_read(engine, media.graphics()); }, [&] { return idle() && logo.read; });
    }
    case BackupPart::Startup: {
      GraphicsRecords& records = media.graphics_records();
      records.startup_read = false;
      return run([&] { return start_startup_read(engine, media.startup_graphic()); },
                 [&] { return idle() && records.startup_read; });
    }
    case BackupPart::Profiles:
      organiser.profiles() = ProfileSet{};
      return run([&] { return start_profile_read(engine); }, idle);
    case BackupPart::Calendar:
      organiser.calendar().list().clear();
      return run([&] { return start_calendar_read(engine); }, idle);
    case BackupPart::PhoneBook: {
      PhoneBookList& list = session.book().active();
      while (!list.empty()) list.remove(list.size() - 1);
      return run([&] { return start_phone_book_read(engine); }, idle);
    }
    case BackupPart::Messages:
      return run([&] { return start_message_read(engine, organiser.message_family()); }, idle);
  }
  return false;
}

bool HandsetBackup::read_part(BackupPart part, BackupFiles& out) {
  const bool ok = read_part_records(session_, run_, part);
  if (ok) files_from_records(part, session_, out);
  return ok;
}

bool HandsetBackup::read_verified(BackupPart part, BackupFiles& out, int& differing, bool& disagreed) {
  std::vector<BackupFiles> reads;
  differing = 0;
  disagreed = false;
  while (static_cast<int>(reads.size()) < kMaxVerifyReads) {
    BackupFiles read;
    if (!read_part(part, read)) return false;
    for (const BackupFiles& earlier : reads) {
      if (earlier == read) {
        out.insert(read.begin(), read.end());
        return true;
      }
    }
    reads.push_back(std::move(read));
    if (reads.size() == 2) differing = differing_records(part, reads[0], reads[1]);
  }
  disagreed = true;
  return false;
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
    if (verify ? !read_verified(part, result.files, differing, disagreed) : !read_part(part, result.files)) {
      result.stopped = "the " + part_title(part) +
                       (disagreed ? " did not read the same twice in " + std::to_string(kMaxVerifyReads) + " reads"
                                   : " could not be read");
      return result;
    }
    if (differing > 0) result.reread.emplace_back(part_title(part), differing);
    result.manifest.parts.push_back(part_name(part));
  }
  tell(count, count, {});
  result.manifest.files = list_files(result.files);
  std::string error;
  if (!write_backup_archive(path, result.files, result.manifest, error)) {
    result.stopped = error;
    return result;
  }
  result.complete = true;
  result.verified = verify;
  return result;
}

bool HandsetBackup::write_part(BackupPart part, const BackupFiles& wanted, const BackupFiles& held,
                               PartOutcome& outcome) {
  OperationEngine& engine = session_.engine();
  MediaFamilies& media = session_.media();
  OrganiserFamilies& organiser = session_.organiser();
  auto idle = [this] { return session_.state() == LinkState::Idle; };
  std::string error;
  if (part == BackupPart::Settings) {
    const auto want = read_settings_file(wanted);
    const auto have = read_settings_file(held);
    if (!want || !have) return false;
    if (want->centre != have->centre) {
      organiser.messages().message_centre = want->centre;
      if (!run([&] { return start_smsc_write(engine); }, idle)) return false;
    }
    const DiaryAlarm& a = want->alarm;
    const DiaryAlarm& b = have->alarm;
    if (a.enabled != b.enabled || (a.enabled && (a.hour != b.hour || a.minute != b.minute))) {
      if (!run([&] { return start_write_alarm(engine, a.enabled, a.hour, a.minute); }, idle)) return false;
    }
    return true;
  }
  if (part == BackupPart::Messages) {
    auto store = messages_to_store(wanted, held);
    if (!store) return false;
    if (store->empty()) return true;
    MessageFamily& family = organiser.message_family();
    return run([&] { return start_messages_store(engine, family, std::move(*store)); }, idle);
  }
  if (!records_from_files(part, wanted, session_, prompt_, error)) return false;
  switch (part) {
    case BackupPart::Groups:
      return run([&] { return start_group_restore(engine, media.group_write(), media.caller_groups()); }, idle);
    case BackupPart::Operator: {
      const OperatorLogo logo = media.graphics_records().operator_logo;
      return run([&] { return start_system_logo_write(engine, media.graphics(), logo.picture, logo.mcc, logo.mnc); },
                  idle);
    }
    case BackupPart::Startup: {
      const MonoBitmap picture = media.graphics_records().startup;
      return run([&] { return start_startup_write(engine, media.startup_graphic(), picture); }, idle);
    }
    case BackupPart::Profiles:
      if (organiser.profiles().changes().empty()) {
        outcome.note = "a profile's name is kept by the handset and cannot be written";
        return true;
      }
      return run([&] { return start_profile_write(engine, organiser.profile_family()); }, idle);
    case BackupPart::Calendar:
      return run([&] { return start_calendar_write(engine); }, idle);
    case BackupPart::PhoneBook:
      // What the file leaves out was asked about before anything was written,
      // in the restore's one question, which said that it replaces the
      // handset's phone book.
      session_.book().active().set_import_note(std::nullopt);
      return run([&] { return start_write_all(engine, session_.book().active(), true); }, idle);
    default:
      return false;
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
  const std::vector<BackupPart> parts = parts_to_restore(manifest, options, info, &result.skipped);
  if (parts.empty()) {
    result.refused = true;
    result.stopped = "the backup holds none of the parts asked for that this handset has";
    return result;
  }
  // Each part's file must read before anything is written.
  for (BackupPart part : parts) {
    if (!part_items(part, backup.files)) {
      result.refused = true;
      result.stopped = "the backup's " + part_title(part) + " cannot be read";
      return result;
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
    if (!read_part(part, held)) {
      result.stopped = part_title(part) + " (it could not be read)";
      result.refused = true;
      return result;
    }
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
      result.refused = true;
      result.stopped = "the backup's " + part_title(outcome.part) + " holds nothing the handset can take, and would "
                       "empty the handset's";
      if (!yield->left_out.empty()) result.stopped += " (" + join(yield->left_out, "; ") + ")";
      return result;
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
    result.refused = true;
    result.stopped = result.other_handset.empty() ? "the restore was not confirmed"
                                                  : "the backup is of another handset; the restore was not confirmed";
    return result;
  }
  session_.engine().set_writes_confirmed(true);
  bool stopped = false;
  for (int i = 0; i < count && !stopped; ++i) {
    PartOutcome& outcome = result.parts[static_cast<std::size_t>(i)];
    tell(count + i, steps, "Writing the " + part_title(outcome.part));
    if (!outcome.writes()) continue;
    if (!write_part(outcome.part, wanted, held, outcome)) {
      result.stopped = part_title(outcome.part);
      stopped = true;
    }
    outcome.written = true;
  }
  session_.engine().set_writes_confirmed(false);
  // Read back what was written and compare it with the file.
  bool equal = !stopped;
  for (int i = 0; i < count; ++i) {
    PartOutcome& outcome = result.parts[static_cast<std::size_t>(i)];
    tell(2 * count + i, steps, "Checking the " + part_title(outcome.part));
    if (!outcome.written) {
      equal = equal && !outcome.writes();
      continue;
    }
    BackupFiles after;
    if (!read_part(outcome.part, after)) {
      outcome.left = {{Difference::Kind::Differs, "it could not be read back", "", ""}};
      equal = false;
      continue;
    }
    for (Difference& d : part_differences(outcome.part, wanted, after)) {
      (d.kind == Difference::Kind::KeptOtherwise ? outcome.altered : outcome.left).push_back(std::move(d));
    }
    equal = equal && outcome.left.empty();
  }
  tell(steps, steps, {});
  result.complete = equal;
  return result;
}

}  // namespace phondeck
