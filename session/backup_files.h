#pragma once
// A whole-handset backup as files: what each part of the handset becomes in
// the archive, how a file is read back into the records a write sends, the
// differences between two backups of a part named item by item, and the
// manifest that lists every file with its size and SHA-256.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "organiser/clock_family.h"
#include "organiser/message_family.h"

namespace phondeck {

class HandsetSession;
class Prompt;
struct HandsetInfo;

// The parts in the order a restore writes them; messages are written last
// and only when asked for.
enum class BackupPart { Settings, Groups, Operator, Startup, Profiles, Calendar, PhoneBook, Messages };
inline constexpr BackupPart kBackupParts[] = {BackupPart::Settings, BackupPart::Groups,    BackupPart::Operator,
                                              BackupPart::Startup,  BackupPart::Profiles,  BackupPart::Calendar,
                                              BackupPart::PhoneBook, BackupPart::Messages};

// "settings", "groups", "operator", "startup", "profiles", "calendar",
// "phonebook", "messages": the names --only takes.
std::string part_name(BackupPart part);
std::optional<BackupPart> part_by_name(std::string_view name);
// The name the user reads in summaries ("phone book", "caller groups", ...).
std::string part_title(BackupPart part);
// Models beginning with "5" have no caller groups, startup graphic,
// profiles or calendar.
bool part_on_model(BackupPart part, const HandsetInfo& info);

// The archive's files, by name.
using BackupFiles = std::map<std::string, std::string>;
// The files a part consists of ("groups.json" and "group-1.ngg".."group-5.ngg"; ...).
std::vector<std::string> part_files(BackupPart part);

// The part's files from what the session's records hold after its read.
void files_from_records(BackupPart part, HandsetSession& session, BackupFiles& out);

// One thing of a part as the user names it ("Anna (SIM 12)") and its
// content, compared whole.
struct BackupItem {
  std::string label;
  std::string content;
  // A message's folder, status and time ("inbox, read, 2026-12-08 09:30"):
  // where the same message is kept.
  std::string kept;
};
// The part's items from its files; nullopt when a file is missing or cannot
// be read.
std::optional<std::vector<BackupItem>> part_items(BackupPart part, const BackupFiles& files);


// Puts the part's files into the session's records the way its write sends
// them: the phone book into the active list, the notes into the calendar
// list, the groups' table, the logos, the profile values over those read, the
// message centre and the alarm. The records must hold the handset's part as
// just read (a write sends back what it does not change). False with the
// reason when a file cannot be read.
bool records_from_files(BackupPart part, const BackupFiles& files, HandsetSession& session, Prompt& prompt,
                        std::string& error);

// settings.json: the message centre's number and the diary alarm.
struct SettingsFile {
  std::string centre;
  DiaryAlarm alarm;
};
std::optional<SettingsFile> read_settings_file(const BackupFiles& files);

// The backup's messages the handset does not hold (`held`: its messages as
// a backup has them), to be stored as the handset's own: the handset's write
// stores outbox records, so a received one goes in as an unsent outbox draft
// without its time stamp. Without `received`, the backup's inbox messages
// are left out. nullopt when the file cannot be read.
std::optional<std::vector<StoredMessage>> messages_to_store(const BackupFiles& wanted, const BackupFiles& held,
                                                            bool received = true);
// The backup's messages without its received ones (their count in `left`).
BackupFiles without_received_messages(const BackupFiles& files, int& left);

// The backup's manifest.
struct BackupManifest {
  static constexpr int kFormat = 1;
  int format = kFormat;
  std::string model;
  std::string imei;
  std::string firmware;
  std::string time;                   // "YYYY-MM-DDTHH:MM:SS" local time
  std::vector<std::string> parts;     // the parts backed up
  std::vector<std::string> absent;    // parts the model does not have
  struct File {
    std::string name;
    std::size_t size = 0;
    std::string sha256;
  };
  std::vector<File> files;
};

std::string manifest_json(const BackupManifest& manifest);
// False with the reason when the text is not a manifest this version reads
// (a newer format among them).
bool parse_manifest(std::string_view text, BackupManifest& out, std::string& error);
// The manifest's file list for these files.
std::vector<BackupManifest::File> list_files(const BackupFiles& files);

}  // namespace phondeck
