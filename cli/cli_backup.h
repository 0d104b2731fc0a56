#pragma once
// phondeck backup and phondeck restore: the whole handset into one archive
// and back.
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "session/handset_backup.h"

namespace phondeck::cli {

int backup(Context& c);
int restore(Context& c);

// The backup's file name: FILE, or FILE.zip when it has no ending; "" (the
// reason in `error`) for another ending than .zip.
std::string backup_file_name(const std::string& file, std::string& error);

// Reads every part of the connected handset into FILE (as backup_file_name
// gives it). Exit status.
int backup_handset(CliSession& session, Output& out, Terminal& terminal, const std::string& file,
                   bool verify = false);

struct RestoreFlags {
  bool no_received = false;       // --no-received
  bool ignore_checksums = false;  // --ignore-checksums
};

// The archive is checked before the session connects: a bad file is refused
// with its reason and nothing is written. `only` as --only gives it ("" for
// the default parts). Exit status (kExitUsage for an unknown part name).
int restore_handset(CliSession& session, Output& out, Terminal& terminal, const std::string& file,
                    const std::string& only, bool dry_run, const RestoreFlags& flags = {});

// --only's text as parts; false (the bad name in `bad`) for an unknown one.
// "all" names every part, messages among them.
bool parse_parts(const std::string& text, std::vector<BackupPart>& parts, std::string& bad);

}  // namespace phondeck::cli
