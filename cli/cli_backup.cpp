#include "cli/cli_backup.h"

#include <cctype>
#include <sstream>

#include "cli/cli_arguments.h"
#include "cli/cli_session.h"
#include "organiser/clock_family.h"

namespace phondeck::cli {
namespace {

std::string now_text() {
  const LocalTime t = system_local_time();
  return std::to_string(t.year) + "-" + two(t.month) + "-" + two(t.day) + "T" + two(t.hour) + ":" + two(t.minute) +
         ":" + two(t.second);
}

HandsetBackup make_backup(CliSession& s, Terminal& terminal) {
  HandsetBackup backup(s.session(), s.prompt(),
                       [&s](const std::function<bool(StartOptions)>& start) { return s.run_operation(start); });
  // Each part on standard error when that is a terminal.
  if (terminal.err_is_terminal) {
    backup.set_part_listener([&terminal](int index, int count, const std::string& title) {
      if (!title.empty()) terminal.err << "[" << index + 1 << "/" << count << "] " << title << "\n";
    });
  }
  return backup;
}

}  // namespace

bool parse_parts(const std::string& text, std::vector<BackupPart>& parts, std::string& bad) {
  parts.clear();
  std::istringstream list(text);
  for (std::string name; std::getline(list, name, ',');) {
    if (name == "all") {
      parts.assign(std::begin(kBackupParts), std::end(kBackupParts));
      continue;
    }
    const std::optional<BackupPart> part = part_by_name(name);
    if (!part) {
      bad = name;
      return false;
    }
    parts.push_back(*part);
  }
  return !parts.empty();
}

std::string backup_file_name(const std::string& file, std::string& error) {
  const std::size_t slash = file.find_last_of('/');
  const std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
  const std::size_t dot = base.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return file + ".zip";
  std::string ending = base.substr(dot);
  for (char& ch : ending) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (ending == ".zip") return file;
  error = "a backup is a ZIP archive: name it .zip, not " + base.substr(dot);
  return {};
}

Record differences_record(const std::vector<Difference>& differences) {
  Record list = Record::array();
  for (const Difference& d : differences) {
    list.push_back(Record{{"kind", kind_text(d.kind)}, {"item", d.label}, {"handset", d.handset}, {"backup", d.backup}});
  }
  return list;
}

int backup_handset(CliSession& s, Output& out, Terminal& terminal, const std::string& name, bool verify) {
  std::string bad;
  const std::string file = backup_file_name(name, bad);
  if (file.empty()) {
    terminal.err << "phondeck: " << bad << "\n";
    return kExitUsage;
  }
  if (!s.connect()) return kExitFailed;
  HandsetBackup backup = make_backup(s, terminal);
  const BackupResult result = backup.backup(file, now_text(), verify);
  if (out.json()) {
    Record reread = Record::object();
    for (const auto& [title, count] : result.reread) reread[title] = count;
    out.object(Record{{"file", file},
                      {"complete", result.complete},
                      {"verified", result.verified},
                      {"reread", reread},
                      {"parts", result.manifest.parts},
                      {"absent", result.manifest.absent},
                      {"stopped", result.stopped},
                      {"ended", describe(result.ended)}});
  } else {
    out.summary(result.summary() + (result.complete ? "\nWritten to " + file : std::string()));
  }
  if (!result.complete) s.fail(result.summary());
  return result.complete ? kExitOk : kExitFailed;
}

int restore_handset(CliSession& s, Output& out, Terminal& terminal, const std::string& file,
                    const std::string& only, bool dry_run, const RestoreFlags& flags) {
  RestoreOptions options;
  options.dry_run = dry_run;
  options.received_messages = !flags.no_received;
  std::string bad;
  if (!only.empty() && !parse_parts(only, options.only, bad)) {
    terminal.err << "phondeck: --only takes settings, groups, operator, startup, profiles, calendar, phonebook, "
                    "messages or all, separated by commas, not "
                 << bad << "\n";
    return kExitUsage;
  }
  std::string error;
  const std::optional<OpenedBackup> opened = open_backup_archive(file, error, flags.ignore_checksums);
  if (!opened) {
    // Changed on purpose after the backup: the way on is named.
    std::string ignored;
    const bool changed = !flags.ignore_checksums && open_backup_archive(file, ignored, true).has_value();
    s.fail("cannot restore " + file + ": " + error +
           (changed ? " (changed after the backup was written; --ignore-checksums restores it as it is now)" : ""));
    return kExitFailed;
  }
  if (!s.connect()) return kExitFailed;
  HandsetBackup backup = make_backup(s, terminal);
  const RestoreResult result = backup.restore(*opened, options);
  if (out.json()) {
    Record parts = Record::array();
    for (const PartOutcome& p : result.parts) {
      parts.push_back(Record{{"part", part_name(p.part)},
                             {"written", p.written},
                             {"changes", differences_record(p.changes)},
                             {"left", differences_record(p.left)},
                             {"kept_otherwise", differences_record(p.altered)},
                             {"left_out", p.left_out},
                             {"note", p.note}});
    }
    out.object(Record{{"file", file},
                      {"dry_run", dry_run},
                      {"complete", result.complete},
                      {"refused", result.refused},
                      {"stopped", result.stopped},
                      {"ended", describe(result.ended)},
                      {"other_handset", result.other_handset},
                      {"changed_files", result.changed_files},
                      {"parts", parts},
                      {"skipped", result.skipped}});
  } else {
    out.summary(result.summary());
  }
  if (result.refused) {
    s.fail(result.stopped);
    return kExitFailed;
  }
  return dry_run || result.complete ? kExitOk : kExitFailed;
}

int backup(Context& c) {
  return backup_handset(c.handset(), c.out, c.terminal, c.inv.operands.at(0), c.inv.has("--verify"));
}

int restore(Context& c) {
  return restore_handset(c.handset(), c.out, c.terminal, c.inv.operands.at(0), c.inv.value("--only"),
                         c.inv.has("--dry-run"), {c.inv.has("--no-received"), c.inv.has("--ignore-checksums")});
}

}  // namespace phondeck::cli
